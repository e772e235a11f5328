// HudsonMsgBase, the writing half: new letters appended under the base
// lock, headers rewritten and letters deleted in place, each taken back
// whole when a step fails.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/CodePage.h"
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

// What a locked operation changed, so that a failure can take it back:
// appended records are cut off again, overwritten ones get their old bytes.
class UndoList {
public:
    void Appended(FileRecord& file, int64_t fromRecord) { Steps.push_back({&file, fromRecord, {}, true}); }
    void Overwritten(FileRecord& file, int64_t record, const void* old, std::size_t size)
    {
        Steps.push_back({&file, record, std::string(static_cast<const char*>(old), size), false});
    }
    void Restore()
    {
        uint16_t keep = LastIoError;  // the caller reports the failure, not the repair
        for (auto step = Steps.rbegin(); step != Steps.rend(); ++step) {
            if (!SeekRecord(*step->File, step->Record))
                continue;
            if (step->Truncate)
                TruncateFile(*step->File);
            else
                WriteRecords(*step->File, step->Old.data(), 1);
        }
        Steps.clear();
        LastIoError = keep;
    }

private:
    struct Step {
        FileRecord* File;
        int64_t Record;
        std::string Old;
        bool Truncate;
    };
    std::vector<Step> Steps;
};

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
    char oem = AnsiToOemChar(ch);
    NewText += oem;
    if (oem == '\r')
        LastWasCarriageReturn = true;
    else if (oem != '\n' && oem != SoftCarriageReturn)
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
    Header.Board = static_cast<uint8_t>(Board);

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

// The letter is appended while the lock is held: its text, header and
// recipient first, its index entry (which makes it visible to readers) last,
// then the export list and the counters. Any failure cuts every file back to
// its old size and leaves the counters on disk and in memory as they were.
Status HudsonMsgBase::WriteLetterLocked(uint16_t blocks, bool exportIt)
{
    const HudsonInfoRecord before = Info;
    FileCounts counts;
    if (!ReadCounts(counts))
        return IoStatus();
    // Parallel files out of step: an append would put this letter's header and
    // index entry at different positions.
    if (counts.Idx != counts.Hdr || counts.ToIdx != counts.Hdr)
        return HudsonDamaged;
    if (counts.Hdr >= MaxLetters || Info.HighMsg >= HudsonDeletedNumber - 1 ||
        counts.Txt + blocks > MaxTextBlocks)
        return HudsonBaseFull;

    const auto position = static_cast<uint16_t>(counts.Hdr);
    const auto number = static_cast<uint16_t>(Info.HighMsg + 1);
    Header.MsgNum = number;
    Header.StartBlock = static_cast<uint16_t>(counts.Txt);
    Header.NumBlocks = blocks;

    std::vector<HudsonTxtRecord> text(blocks);
    std::memset(text.data(), 0, text.size() * sizeof(HudsonTxtRecord));
    for (std::size_t b = 0; b < blocks; ++b) {
        std::size_t from = b * HudsonBlockChars;
        std::size_t n = from < NewText.size() ? std::min<std::size_t>(HudsonBlockChars, NewText.size() - from) : 0;
        text[b].Length = static_cast<uint8_t>(n);
        std::memcpy(text[b].Text, NewText.data() + from, n);
    }
    HudsonToIdxRecord toIdx = ToIdxEntry(PascalText(Header.ToLength, Header.To, HudsonNameChars));
    HudsonIdxRecord idx{number, static_cast<uint8_t>(Board)};

    FileRecord exportFile;  // outlives the undo list that may cut it back
    UndoList undo;
    auto append = [&](FileRecord& file, int64_t at, const void* data, uint32_t count) {
        undo.Appended(file, at);
        return WriteAt(file, at, data, count);
    };
    bool ok = append(TxtFile, counts.Txt, text.data(), blocks) && append(HdrFile, counts.Hdr, &Header, 1) &&
              append(ToIdxFile, counts.ToIdx, &toIdx, 1) && append(IdxFile, counts.Idx, &idx, 1);
    if (ok && exportIt) {
        std::string name = NameToCreate(MailType == MailNet ? NetMailName : EchoMailName);
        HudsonExportRecord entry{position};
        ok = (FileExists(name) || SaveFile(name, nullptr, 0) == 0) && BindFile(exportFile, name) &&
             OpenExisting(exportFile, sizeof entry);
        int64_t records = ok ? FileSizeRecords(exportFile) : -1;
        ok = records >= 0 && append(exportFile, records, &entry, 1);
        if (ok)
            FlushFile(exportFile);
    }
    if (ok) {
        Info.HighMsg = number;
        Info.TotalMsgs = Increased(Info.TotalMsgs);
        Info.ActiveMsgs[Board - 1] = Increased(Info.ActiveMsgs[Board - 1]);
        undo.Overwritten(InfoFile, 0, &before, sizeof before);
        ok = WriteAt(InfoFile, 0, &Info, 1);
    }
    if (!ok) {
        Status status = IoStatus();
        undo.Restore();
        Info = before;
        return status;
    }

    ForgetIndexChunk();
    Found = true;
    CurrentPosition = position;
    CurrentNumber = number;
    HeaderLoaded = true;
    HeaderPosition = position;
    return 0;
}

// --- rewriting and deleting ----------------------------------------------------

// Re-reads the current letter's records under the lock and checks that they
// still describe the letter this object stands on.
Status HudsonMsgBase::CheckCurrentOnDisk(const FileCounts& counts, HudsonIdxRecord& idx, HudsonHdrRecord& hdr)
{
    if (!Found || CurrentPosition < 0)
        return HudsonNoLetter;
    if (CurrentPosition >= counts.Hdr || CurrentPosition >= counts.Idx || CurrentPosition >= counts.ToIdx)
        return HudsonNoLetter;  // the index names a record the other files lack
    if (!ReadRecordAt(IdxFile, CurrentPosition, &idx) || !ReadRecordAt(HdrFile, CurrentPosition, &hdr))
        return IoStatus();
    if (hdr.MsgNum != CurrentNumber || (idx.MsgNum != CurrentNumber && idx.MsgNum != HudsonDeletedNumber))
        return HudsonNoLetter;  // another letter lies here now (the base was packed)
    return 0;
}

Status HudsonMsgBase::RewriteHeader()
{
    if (!Opened || !HeaderLoaded || HeaderPosition != CurrentPosition)
        return HudsonNoLetter;
    bool tookLock = !Locked;
    if (Status status = TakeLock(); status != 0)
        return status;

    FileCounts counts;
    HudsonIdxRecord idx{};
    HudsonHdrRecord disk{};
    HudsonToIdxRecord oldToIdx{};
    Status status = ReadCounts(counts) ? CheckCurrentOnDisk(counts, idx, disk) : IoStatus();
    bool deletedHere = Header.MsgAttr & HudsonMsgDeleted;
    bool deletedOnDisk = idx.MsgNum == HudsonDeletedNumber || (disk.MsgAttr & HudsonMsgDeleted);
    // Written back from a copy loaded before someone deleted the letter, the
    // header would bring the letter back.
    if (status == 0 && deletedOnDisk && !deletedHere)
        status = HudsonNoLetter;
    if (status == 0 && !ReadRecordAt(ToIdxFile, CurrentPosition, &oldToIdx))
        status = IoStatus();
    if (status == 0) {
        std::string name = deletedHere                            ? "* Deleted *"
                           : (Header.MsgAttr & HudsonMsgReceived) ? "* Received *"
                                                                  : PascalText(Header.ToLength, Header.To, HudsonNameChars);
        HudsonToIdxRecord toIdx = ToIdxEntry(name);
        HudsonIdxRecord newIdx{deletedHere ? HudsonDeletedNumber : static_cast<uint16_t>(CurrentNumber), idx.Board};
        Header.MsgNum = static_cast<uint16_t>(CurrentNumber);
        UndoList undo;
        undo.Overwritten(HdrFile, CurrentPosition, &disk, sizeof disk);
        bool ok = WriteAt(HdrFile, CurrentPosition, &Header, 1);
        if (ok) {
            undo.Overwritten(ToIdxFile, CurrentPosition, &oldToIdx, sizeof oldToIdx);
            ok = WriteAt(ToIdxFile, CurrentPosition, &toIdx, 1);
        }
        if (ok) {
            undo.Overwritten(IdxFile, CurrentPosition, &idx, sizeof idx);
            ok = WriteAt(IdxFile, CurrentPosition, &newIdx, 1);
        }
        if (!ok) {
            status = IoStatus();
            undo.Restore();
        }
    }
    if (tookLock)
        ReleaseLock(false);  // the counters are not touched
    ForgetIndexChunk();
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
    HudsonIdxRecord idx{};
    HudsonHdrRecord disk{};
    HudsonToIdxRecord oldToIdx{};
    Status status = ReadCounts(counts) ? CheckCurrentOnDisk(counts, idx, disk) : IoStatus();
    if (status == 0 && !ReadRecordAt(ToIdxFile, CurrentPosition, &oldToIdx))
        status = IoStatus();
    if (status == 0) {
        HudsonHdrRecord deleted = disk;
        if (!(disk.MsgAttr & HudsonMsgDeleted)) {
            Info.TotalMsgs = Decreased(Info.TotalMsgs);
            if (idx.Board >= 1 && idx.Board <= HudsonBoards)
                Info.ActiveMsgs[idx.Board - 1] = Decreased(Info.ActiveMsgs[idx.Board - 1]);
        }
        deleted.MsgAttr |= HudsonMsgDeleted;
        HudsonToIdxRecord toIdx = ToIdxEntry("* Deleted *");
        HudsonIdxRecord newIdx{HudsonDeletedNumber, idx.Board};
        UndoList undo;
        undo.Overwritten(HdrFile, CurrentPosition, &disk, sizeof disk);
        bool ok = WriteAt(HdrFile, CurrentPosition, &deleted, 1);
        if (ok) {
            undo.Overwritten(ToIdxFile, CurrentPosition, &oldToIdx, sizeof oldToIdx);
            ok = WriteAt(ToIdxFile, CurrentPosition, &toIdx, 1);
        }
        if (ok) {
            undo.Overwritten(IdxFile, CurrentPosition, &idx, sizeof idx);
            ok = WriteAt(IdxFile, CurrentPosition, &newIdx, 1);
        }
        if (ok) {
            undo.Overwritten(InfoFile, 0, &before, sizeof before);
            ok = WriteAt(InfoFile, 0, &Info, 1);
        }
        if (!ok) {
            status = IoStatus();
            undo.Restore();
            Info = before;
        } else if (HeaderLoaded && HeaderPosition == CurrentPosition) {
            Header.MsgAttr |= HudsonMsgDeleted;
        }
    }
    if (tookLock)
        ReleaseLock(false);
    ForgetIndexChunk();
    return status;
}
