// HudsonMsgBase, the writing half: new letters appended under the base
// lock, headers rewritten and letters deleted in place, each taken back
// whole when a step fails.
#include <algorithm>
#include <cstring>
#include <vector>

#include "msgbase/ChangedBits.h"
#include "msgbase/FileUndo.h"
#include "msgbase/hudson/HudsonMsgBase.h"
#include "msgbase/hudson/HudsonShared.h"

using namespace hudson_files;

namespace {

// A letter has at most 65535 text blocks (a 16-bit count).
constexpr std::size_t MaxTextChars = std::size_t(0xFFFF) * HudsonBlockChars;
// Index positions are 16-bit (ECHOMAIL.BBS records hold them): 65535 letters.
constexpr int64_t MaxLetters = 0xFFFF;
// Every block of a letter stays addressable by a 16-bit block number.
constexpr int64_t MaxTextBlocks = 0x10000;

uint16_t Increased(uint16_t value)
{
    return value == 0xFFFF ? value : static_cast<uint16_t>(value + 1);
}

uint16_t Decreased(uint16_t value)
{
    return value == 0 ? value : static_cast<uint16_t>(value - 1);
}

HudsonToIdxRecord ToIdxEntry(const std::string& oemName)
{
    HudsonToIdxRecord entry{};
    SetPascal(entry.Length, entry.Name, HudsonNameChars, oemName);
    return entry;
}

}  // namespace

void HudsonMsgBase::WriteChar(char ch)
{
    // Nothing typed is dropped quietly: text beyond what a letter can hold
    // makes WriteLetter fail, and the editor keeps the letter.
    if (NewText.size() >= MaxTextChars) {
        NewTextTooLong = true;
        return;
    }
    NewText += ch;
    if (ch == '\r')
        LastWasCarriageReturn = true;
    else if (ch != '\n')
        LastWasCarriageReturn = false;
}

Status HudsonMsgBase::WriteLetter()
{
    if (!Opened)
        return 103;  // file not open
    if (!LastWasCarriageReturn)
        WriteChar('\r');
    if (NewTextTooLong)
        return HudsonBaseFull;
    std::size_t blocks = std::max<std::size_t>(1, (NewText.size() + HudsonBlockChars - 1) / HudsonBlockChars);

    switch (MailType) {
    case MailLocal:
        SetMsgFlag(HudsonMsgNetPending | HudsonMsgNetmail | HudsonMsgEchoPending, false);
        break;
    case MailEcho:
        SetMsgFlag(HudsonMsgNetPending | HudsonMsgNetmail, false);
        if (ExportMark)
            SetMsgFlag(HudsonMsgEchoPending, true);
        break;
    case MailNet:
        SetMsgFlag(HudsonMsgEchoPending, false);
        SetMsgFlag(HudsonMsgNetmail, true);
        if (ExportMark)
            SetMsgFlag(HudsonMsgNetPending, true);
        break;
    default:
        break;
    }
    HdrRecord.Board = static_cast<uint8_t>(Board);

    bool tookLock = !Locked;
    if (Status status = TakeLock(); status != 0)
        return status;
    // NewText is capped at 65535 blocks, so the count fits its 16-bit field.
    Status status = WriteLetterLocked(static_cast<uint16_t>(blocks),
                                      ExportMark && (MailType == MailEcho || MailType == MailNet));
    if (tookLock)
        ReleaseLock(false);  // the counters were written (or left alone) under the lock
    if (status == 0)
        for (FileRecord* f : {&TxtFile, &HdrFile, &ToIdxFile, &IdxFile, &InfoFile})
            FlushFile(*f);
    return status;
}

// The letter is appended while the lock is held, in an order in which every
// step a writer may die after leaves something Reconcile makes whole: its
// text, header and recipient first, its index entry (which makes it part of
// the base) next, then the export list and the counters. A failure that is
// reported cuts every file back to its old size and leaves the counters on
// disk and in memory as they were.
Status HudsonMsgBase::WriteLetterLocked(uint16_t blocks, bool exportIt)
{
    const HudsonInfoRecord before = Info;
    FileCounts counts;
    if (!ReadCounts(counts))
        return IoStatus();
    if (Status status = Reconcile(counts); status != 0) {
        Info = before;
        return status;
    }
    if (counts.Hdr >= MaxLetters || Info.HighMsg >= HudsonDeletedNumber - 1 ||
        counts.Txt + blocks > MaxTextBlocks) {
        Info = before;
        return HudsonBaseFull;
    }

    const auto position = static_cast<uint16_t>(counts.Hdr);
    const auto number = static_cast<uint16_t>(Info.HighMsg + 1);
    HdrRecord.MsgNum = number;
    HdrRecord.StartBlock = static_cast<uint16_t>(counts.Txt);
    HdrRecord.NumBlocks = blocks;

    std::vector<HudsonTxtRecord> text(blocks);
    std::memset(text.data(), 0, text.size() * sizeof(HudsonTxtRecord));
    for (std::size_t b = 0; b < blocks; ++b) {
        std::size_t from = b * HudsonBlockChars;
        std::size_t n = from < NewText.size() ? std::min<std::size_t>(HudsonBlockChars, NewText.size() - from) : 0;
        text[b].Length = static_cast<uint8_t>(n);
        std::memcpy(text[b].Text, NewText.data() + from, n);
    }
    HudsonToIdxRecord toIdx = ToIdxEntry(PascalText(HdrRecord.ToLength, HdrRecord.To, HudsonNameChars));
    HudsonIdxRecord idx{number, static_cast<uint8_t>(Board)};

    // Reconcile left the three parallel files the same length: the letter's
    // records go at its index position, after its text.
    FileRecord exportFile;  // outlives the undo list that may cut it back
    FileUndo undo;
    undo.Appended(TxtFile, counts.Txt);
    bool ok = WriteAt(TxtFile, counts.Txt, text.data(), blocks) &&
        WriteLetterRecords(undo, position, {HdrRecord, toIdx, idx}, nullptr);
    if (ok && exportIt) {
        int64_t listedAt = -1;
        ok = ListForExport(position, MailType == MailNet, exportFile, listedAt) == 0;
        if (listedAt >= 0)
            undo.Appended(exportFile, listedAt);
    }
    if (ok) {
        Info.HighMsg = number;
        Info.TotalMsgs = Increased(Info.TotalMsgs);
        Info.ActiveMsgs[Board - 1] = Increased(Info.ActiveMsgs[Board - 1]);
        ok = WriteCounters(undo, before);
    }
    if (!ok) {
        Status status = IoStatus();
        undo.Restore();
        Info = before;
        return status;
    }

    ForgetBlocks();
    Found = true;
    CurrentPosition = position;
    CurrentNumber = number;
    TakeAsLoaded(HdrRecord, position);
    LoadStatus = 0;
    return 0;
}

// --- what a writer that died part way left behind ------------------------------

// Whatever step of a new letter a writer died after, the next writer puts it
// right under the lock before it writes anything of its own:
// - a header or recipient record past the last index record belongs to no
//   letter: it is cut off;
// - letters at the end of the index numbered above MSGINFO's highest number
//   were stored whole but never counted: they are counted now, and listed
//   for export when their header says they wait for it and they are not
//   listed yet;
// - the highest number becomes at least the highest number in the index, so
//   that a new letter never shares a number with one already there.
// Text blocks past the last letter's text are left alone: nothing refers to
// them, and the next letter's text follows them. A failure leaves the
// counters in memory changed: the caller puts them back.
Status HudsonMsgBase::Reconcile(FileCounts& counts)
{
    if (Status status = CutBrokenOffTail(counts); status != 0)
        return status;
    return AdoptUncountedLetters(counts);
}

Status HudsonMsgBase::CutBrokenOffTail(FileCounts& counts)
{
    if (counts.Hdr == counts.Idx && counts.ToIdx == counts.Idx)
        return 0;
    // Anything but a tail of one record beyond the index puts the parallel
    // files out of step: an append would misplace the letter's records.
    BaseNames names{InfoFile.Name(), IdxFile.Name(), ToIdxFile.Name(), HdrFile.Name(), TxtFile.Name()};
    auto inStep = [&](int64_t records) { return records == counts.Idx || records == counts.Idx + 1; };
    if (!inStep(counts.Hdr) || !inStep(counts.ToIdx) || !LastIndexMatchesItsHeader(names, counts.Idx))
        return HudsonDamaged;
    for (auto [file, records] : {std::pair{&HdrFile, &counts.Hdr}, std::pair{&ToIdxFile, &counts.ToIdx}}) {
        if (*records == counts.Idx)
            continue;
        if (!SeekRecord(*file, counts.Idx) || !TruncateFile(*file))
            return IoStatus();
        *records = counts.Idx;
    }
    return 0;
}

Status HudsonMsgBase::AdoptUncountedLetters(const FileCounts& counts)
{
    std::vector<HudsonIdxRecord> index(static_cast<std::size_t>(counts.Idx));
    uint32_t got = 0;
    if (!index.empty() &&
        (!SeekRecord(IdxFile, 0) || !ReadRecords(IdxFile, index.data(), static_cast<uint32_t>(index.size()), got)))
        return IoStatus();
    index.resize(got);

    uint16_t highest = Info.HighMsg;
    for (const HudsonIdxRecord& r : index) {
        uint16_t number = r.MsgNum;  // a packed field: taken by value
        if (number != HudsonDeletedNumber)
            highest = std::max(highest, number);
    }
    std::size_t uncounted = index.size();
    while (uncounted > 0 && index[uncounted - 1].MsgNum != HudsonDeletedNumber &&
           index[uncounted - 1].MsgNum > Info.HighMsg)
        --uncounted;
    for (std::size_t position = uncounted; position < index.size(); ++position) {
        HudsonHdrRecord header{};
        if (!ReadRecordAt(HdrFile, static_cast<int64_t>(position), &header))
            return IoStatus();
        if (header.MsgAttr & HudsonMsgDeleted)
            continue;
        uint8_t board = index[position].Board;
        Info.TotalMsgs = Increased(Info.TotalMsgs);
        if (board >= 1 && board <= HudsonBoards)
            Info.ActiveMsgs[board - 1] = Increased(Info.ActiveMsgs[board - 1]);
        if (header.MsgAttr & (HudsonMsgEchoPending | HudsonMsgNetPending)) {
            FileRecord exportFile;
            int64_t listedAt = -1;
            Status status = ListForExport(static_cast<uint16_t>(position), header.MsgAttr & HudsonMsgNetPending,
                                          exportFile, listedAt);
            if (status != 0)
                return status;
        }
    }
    Info.HighMsg = highest;
    return 0;
}

// Lists a letter's index position in ECHOMAIL.BBS or NETMAIL.BBS for the
// tosser, unless it is listed there already. listedAt is the record it was
// appended as, -1 when nothing was appended.
Status HudsonMsgBase::ListForExport(uint16_t position, bool netmail, FileRecord& file, int64_t& listedAt)
{
    listedAt = -1;
    std::string name = NameToCreate(netmail ? NetMailName : EchoMailName);
    if (!FileExists(name) && SaveFile(name, nullptr, 0) != 0)
        return IoStatus();
    if (!BindFile(file, name) || !OpenExisting(file, sizeof(HudsonExportRecord)))
        return IoStatus();
    int64_t records = FileSizeRecords(file);
    if (records < 0)
        return IoStatus();
    std::vector<HudsonExportRecord> listed(static_cast<std::size_t>(records));
    uint32_t got = 0;
    if (records > 0 && (!SeekRecord(file, 0) || !ReadRecords(file, listed.data(), static_cast<uint32_t>(records), got)))
        return IoStatus();
    for (uint32_t i = 0; i < got; ++i)
        if (listed[i].Position == position)
            return 0;
    HudsonExportRecord entry{position};
    listedAt = records;
    if (!WriteAt(file, records, &entry, 1))
        return IoStatus();
    FlushFile(file);
    return 0;
}

// --- the records of one letter, under the undo list ---------------------------

// Writes a letter's records at its index position, header first, then its
// recipient, then its index record, each step on the undo list. A new
// letter's records are appended (no `before`): the index record, written
// last, makes it part of the base. An existing letter's records are
// overwritten where they differ from `before`: a letter whose header says
// deleted is gone whatever the index says, so a deletion broken off after
// its first step already counts.
bool HudsonMsgBase::WriteLetterRecords(FileUndo& undo, int64_t position, const LetterRecords& after,
                                       const LetterRecords* before)
{
    auto write = [&](FileRecord& file, const auto& now, const auto* old) {
        if (!old)
            undo.Appended(file, position);
        else if (std::memcmp(old, &now, sizeof now) == 0)
            return true;
        else
            undo.Overwritten(file, position, old, sizeof now);
        return WriteAt(file, position, &now, 1);
    };
    return write(HdrFile, after.Hdr, before ? &before->Hdr : nullptr) &&
           write(ToIdxFile, after.ToIdx, before ? &before->ToIdx : nullptr) &&
           write(IdxFile, after.Idx, before ? &before->Idx : nullptr);
}

// The counters in memory written over those on disk, which the undo list
// learns were `before` (as read under the lock).
bool HudsonMsgBase::WriteCounters(FileUndo& undo, const HudsonInfoRecord& before)
{
    undo.Overwritten(InfoFile, 0, &before, sizeof before);
    return WriteAt(InfoFile, 0, &Info, 1);
}

// Re-reads the current letter's records under the lock and checks that they
// still describe the letter this object stands on.
Status HudsonMsgBase::ReadCurrentOnDisk(const FileCounts& counts, LetterRecords& onDisk)
{
    if (!Found || CurrentPosition < 0)
        return HudsonNoLetter;
    if (CurrentPosition >= counts.Hdr || CurrentPosition >= counts.Idx || CurrentPosition >= counts.ToIdx)
        return HudsonNoLetter;  // the index names a record the other files lack
    if (!ReadRecordAt(IdxFile, CurrentPosition, &onDisk.Idx) || !ReadRecordAt(HdrFile, CurrentPosition, &onDisk.Hdr))
        return IoStatus();
    const HudsonIdxRecord& idx = onDisk.Idx;
    if (onDisk.Hdr.MsgNum != CurrentNumber || (idx.MsgNum != CurrentNumber && idx.MsgNum != HudsonDeletedNumber))
        return HudsonNoLetter;  // another letter lies here now (the base was packed)
    if (!ReadRecordAt(ToIdxFile, CurrentPosition, &onDisk.ToIdx))
        return IoStatus();
    return 0;
}

// --- rewriting and deleting ----------------------------------------------------

// Only what differs from the header as loaded is written, onto
// the header as it is on disk now: what a tosser changed meanwhile (a Sent
// bit) stays. The index record is never touched: marking a letter read never
// deletes it, and a letter deleted meanwhile is not brought back.
Status HudsonMsgBase::RewriteHeader(const LetterHeader& header)
{
    if (!Opened || !HeaderLoaded || HeaderPosition != CurrentPosition)
        return HudsonNoLetter;
    ApplyHeader(header);
    bool tookLock = !Locked;
    if (Status status = TakeLock(); status != 0)
        return status;

    FileCounts counts;
    LetterRecords before{};
    Status status = ReadCounts(counts) ? ReadCurrentOnDisk(counts, before) : IoStatus();
    if (status == 0 && (before.Idx.MsgNum == HudsonDeletedNumber || (before.Hdr.MsgAttr & HudsonMsgDeleted)))
        status = HudsonNoLetter;
    if (status == 0) {
        LetterRecords after = before;
        ApplyChangedBits(&after.Hdr, &LoadedHeader, &HdrRecord, sizeof after.Hdr);
        after.Hdr.MsgAttr &= static_cast<uint8_t>(~HudsonMsgDeleted);
        std::string name = (after.Hdr.MsgAttr & HudsonMsgReceived)
                               ? "* Received *"
                               : PascalText(after.Hdr.ToLength, after.Hdr.To, HudsonNameChars);
        if (name != PascalText(before.ToIdx.Length, before.ToIdx.Name, HudsonNameChars))
            after.ToIdx = ToIdxEntry(name);
        FileUndo undo;
        if (WriteLetterRecords(undo, CurrentPosition, after, &before)) {
            TakeAsLoaded(after.Hdr, CurrentPosition);
        } else {
            status = IoStatus();
            undo.Restore();
        }
    }
    if (tookLock)
        ReleaseLock(false);  // the counters are not touched
    ForgetBlocks();
    return status;
}

Status HudsonMsgBase::DeleteLetter()
{
    if (!Opened || !Found)
        return HudsonNoLetter;
    bool tookLock = !Locked;
    if (Status status = TakeLock(); status != 0)
        return status;

    const HudsonInfoRecord before = Info;
    FileCounts counts;
    LetterRecords onDisk{};
    // The counters are written below: letters a writer that died stored
    // without counting are counted first.
    Status status = ReadCounts(counts) ? ReadCurrentOnDisk(counts, onDisk) : IoStatus();
    if (status == 0)
        status = Reconcile(counts);
    if (status != 0)
        Info = before;
    if (status == 0) {
        const uint8_t board = onDisk.Idx.Board;
        if (!(onDisk.Hdr.MsgAttr & HudsonMsgDeleted) && onDisk.Idx.MsgNum != HudsonDeletedNumber) {
            Info.TotalMsgs = Decreased(Info.TotalMsgs);
            if (board >= 1 && board <= HudsonBoards)
                Info.ActiveMsgs[board - 1] = Decreased(Info.ActiveMsgs[board - 1]);
        }
        LetterRecords deleted{onDisk.Hdr, ToIdxEntry("* Deleted *"), {HudsonDeletedNumber, board}};
        deleted.Hdr.MsgAttr |= HudsonMsgDeleted;
        FileUndo undo;
        bool ok = WriteLetterRecords(undo, CurrentPosition, deleted, &onDisk) && WriteCounters(undo, before);
        if (!ok) {
            status = IoStatus();
            undo.Restore();
            Info = before;
        } else if (HeaderLoaded && HeaderPosition == CurrentPosition) {
            HdrRecord.MsgAttr |= HudsonMsgDeleted;
            LoadedHeader.MsgAttr |= HudsonMsgDeleted;
        }
    }
    if (tookLock)
        ReleaseLock(false);
    ForgetBlocks();
    return status;
}
