#include "msgbase/hudson/HudsonMsgBase.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "core/StringHelpers.h"
#include "msgbase/hudson/HudsonShared.h"

using namespace hudson_files;

namespace {

// Index records read at a time while walking (see BlockReader). A scan opens
// one object per board and each walks the whole index. Where the files have
// settled, every board of the process reads them through the same blocks:
// the whole index in one, headers 1,024 at a time (191 KiB), which the
// boards after the first find read already. A board that takes most of a
// header block's letters leaves it to nobody (a base of one board keeps no
// copy of its headers).
constexpr uint32_t SharedIndexRecords = 65536;
constexpr uint32_t SharedHeaderRecords = 1024;
// Where the files are being written, each board reads its own blocks: the
// index 8,192 records at a time (small enough to be looked through while in
// the processor's nearest cache), headers one or two at a time where the
// board's letters lie far apart, in blocks growing to 512 where they lie
// close together.
constexpr uint32_t IndexBlockRecords = 8192;
constexpr uint32_t HeaderBlockSmallest = 2;
constexpr uint32_t HeaderBlockLargest = 512;
// MSGTOIDX records read at a time by the search, text blocks by StartText.
constexpr uint32_t SearchChunkRecords = 256;
constexpr uint32_t TextChunkBlocks = 64;

// Last-read records: Hudson user numbers are 16-bit.
constexpr uint32_t MaxLastReadUsers = 0xFFFF;

// Where the index is read through a shared block, the positions of every
// board's entries in it are sorted out once, for the walks of all boards.
struct BoardPositions {
    uint64_t Serial = 0;  // of the block they were sorted out of
    std::array<uint32_t, HudsonBoards + 2> First{};  // board b: Positions[First[b], First[b + 1])
    std::vector<int64_t> Positions;
};

const BoardPositions& PositionsIn(const SharedBlock& block)
{
    static BoardPositions sorted;
    if (sorted.Serial == block.Serial)
        return sorted;
    const auto* entries = reinterpret_cast<const HudsonIdxRecord*>(block.Bytes.get());
    std::array<uint32_t, 256> counts{};
    for (uint32_t i = 0; i < block.Length; ++i)
        ++counts[entries[i].Board];
    sorted.First[0] = 0;
    for (int board = 0; board <= HudsonBoards; ++board)
        sorted.First[board + 1] = sorted.First[board] + (board == 0 ? 0 : counts[board]);
    sorted.Positions.resize(sorted.First[HudsonBoards + 1]);
    std::array<uint32_t, HudsonBoards + 1> next{};
    std::copy(sorted.First.begin(), sorted.First.begin() + HudsonBoards + 1, next.begin());
    for (uint32_t i = 0; i < block.Length; ++i)
        if (const uint8_t board = entries[i].Board; board >= 1 && board <= HudsonBoards)
            sorted.Positions[next[board]++] = block.Start + i;
    sorted.Serial = block.Serial;
    return sorted;
}

}  // namespace

HudsonMsgBase::HudsonMsgBase()
    : IndexBlocks(IndexBlockRecords, IndexBlockRecords, SharedIndexRecords, BlockReader::Keeping::Everything),
      HeaderBlocks(HeaderBlockSmallest, HeaderBlockLargest, SharedHeaderRecords, BlockReader::Keeping::WhereSparse)
{
    ClearHeader();
}

HudsonMsgBase::~HudsonMsgBase()
{
    // Counters changed under a lock the caller still holds must reach the file.
    if (Opened)
        CloseBase();
}

// --- locking -----------------------------------------------------------------

Status HudsonMsgBase::TakeLock()
{
    if (!Opened)
        return HudsonLockFailed;
    if (Locked)
        return 0;
    bool held = LockRegion(InfoFile, HudsonLockOffset, 1) == 0;
    // Someone else holds the lock (a tosser busy with the base): writing now
    // would mix our records with theirs. A file system without byte-range
    // locks is another matter: nobody can lock there, so we go on without.
    if (!held && LastIoError == 5)
        return HudsonLockFailed;
    HudsonInfoRecord info{};
    if (!ReadRecordAt(InfoFile, 0, &info)) {
        if (held)
            UnlockRegion(InfoFile, HudsonLockOffset, 1);
        return HudsonLockFailed;
    }
    Info = info;
    Locked = true;
    ForgetBlocks();  // others may have written before the lock was ours
    return 0;
}

Status HudsonMsgBase::ReleaseLock(bool writeCounters)
{
    if (!Locked)
        return 0;
    Status status = 0;
    if (writeCounters && !WriteAt(InfoFile, 0, &Info, 1))
        status = IoStatus();
    UnlockRegion(InfoFile, HudsonLockOffset, 1);
    Locked = false;
    return status;
}

bool HudsonMsgBase::LockBase()
{
    return TakeLock() == 0;
}

bool HudsonMsgBase::UnlockBase()
{
    return ReleaseLock(true) == 0;
}

bool HudsonMsgBase::ReadCounts(FileCounts& counts)
{
    counts.Idx = FileSizeRecords(IdxFile);
    counts.ToIdx = FileSizeRecords(ToIdxFile);
    counts.Hdr = FileSizeRecords(HdrFile);
    counts.Txt = FileSizeRecords(TxtFile);
    return counts.Idx >= 0 && counts.ToIdx >= 0 && counts.Hdr >= 0 && counts.Txt >= 0;
}

bool HudsonMsgBase::ReadRecordAt(FileRecord& file, int64_t record, void* data)
{
    // Read into a scratch record so that a short read leaves data untouched.
    char scratch[sizeof(HudsonInfoRecord)];
    if (file.RecordSize() > sizeof scratch) {
        LastIoError = 87;
        return false;
    }
    uint32_t got = 0;
    if (!SeekRecord(file, record) || !ReadRecords(file, scratch, 1, got))
        return false;
    if (got != 1) {
        LastIoError = 100;  // read past the end
        return false;
    }
    std::memcpy(data, scratch, file.RecordSize());
    return true;
}

bool HudsonMsgBase::WriteAt(FileRecord& file, int64_t record, const void* data, uint32_t count)
{
    return SeekRecord(file, record) && WriteRecords(file, data, count);
}

// --- the letter being built ----------------------------------------------------

void HudsonMsgBase::ClearHeader()
{
    std::memset(&HdrRecord, 0, sizeof HdrRecord);
}

void HudsonMsgBase::StartNewLetter(const LetterHeader& header)
{
    Found = false;
    CurrentNumber = 0;
    HeaderLoaded = false;
    HeaderPosition = -1;
    ClearHeader();
    SetPascal(HdrRecord.TimeLength, HdrRecord.Time, sizeof HdrRecord.Time, "00:00");
    SetPascal(HdrRecord.DateLength, HdrRecord.Date, sizeof HdrRecord.Date, "00-00-00");
    const std::string blank = "* Blank *";
    SetPascal(HdrRecord.ToLength, HdrRecord.To, HudsonNameChars, blank);
    SetPascal(HdrRecord.FromLength, HdrRecord.From, HudsonNameChars, blank);
    SetPascal(HdrRecord.SubjectLength, HdrRecord.Subject, HudsonSubjectChars, blank);
    OrigPoint = DestPoint = 0;
    NewText.clear();
    NewTextTooLong = false;
    LastWasCarriageReturn = true;
    ExportMark = false;
    ApplyHeader(header);
}

namespace {

const FlagBit HudsonMsgFlagBits[] = {
    {LetterFlag::Local, HudsonMsgLocal},
    {LetterFlag::Received, HudsonMsgReceived},
    {LetterFlag::Private, HudsonMsgPrivate},
    {LetterFlag::Read, HudsonMsgRead},
};
const FlagBit HudsonNetFlagBits[] = {
    {LetterFlag::Crash, HudsonNetCrash},
    {LetterFlag::KillSent, HudsonNetKillSent},
    {LetterFlag::Sent, HudsonNetSent},
    {LetterFlag::FileAttach, HudsonNetFileAttach},
    {LetterFlag::ReceiptRequest, HudsonNetReceiptRequest},
    {LetterFlag::AuditRequest, HudsonNetAuditRequest},
    {LetterFlag::ReturnReceipt, HudsonNetReturnReceipt},
    {LetterFlag::FileRequest, HudsonNetFileRequest},
};

}  // namespace

// The fields that differ from the header as it stands, into the record.
// Points live beside the record; for netmail a new letter's text carries
// them (TOPT, FMPT).
void HudsonMsgBase::ApplyHeader(const LetterHeader& wanted)
{
    const LetterHeader was = Header();
    if (wanted.From != was.From)
        SetPascal(HdrRecord.FromLength, HdrRecord.From, HudsonNameChars, EncodeField(wanted.From, HudsonNameChars));
    if (wanted.To != was.To)
        SetPascal(HdrRecord.ToLength, HdrRecord.To, HudsonNameChars, EncodeField(wanted.To, HudsonNameChars));
    if (wanted.Subject != was.Subject)
        SetPascal(HdrRecord.SubjectLength, HdrRecord.Subject, HudsonSubjectChars,
                  EncodeField(wanted.Subject, HudsonSubjectChars));
    if (wanted.Cost != was.Cost)
        HdrRecord.Cost = wanted.Cost;
    if (wanted.ReplyTo != was.ReplyTo)
        HdrRecord.ReplyTo = static_cast<uint16_t>(wanted.ReplyTo);
    if (wanted.FirstReply != was.FirstReply)
        HdrRecord.SeeAlsoNum = static_cast<uint16_t>(wanted.FirstReply);
    if (wanted.Written != was.Written)
        WriteDate(wanted.Written);
    HdrRecord.MsgAttr =
        static_cast<uint8_t>(WordWithChangedFlags(HdrRecord.MsgAttr, was.Flags, wanted.Flags, HudsonMsgFlagBits));
    HdrRecord.NetAttr =
        static_cast<uint8_t>(WordWithChangedFlags(HdrRecord.NetAttr, was.Flags, wanted.Flags, HudsonNetFlagBits));
    if (wanted.Flags.Has(LetterFlag::Echo))
        ExportMark = true;  // the tosser clears it, never a header
    if (wanted.Dest != was.Dest) {
        HdrRecord.DestZone = static_cast<uint8_t>(wanted.Dest.Zone & 0xFF);
        HdrRecord.DestNet = wanted.Dest.Net;
        HdrRecord.DestNode = wanted.Dest.Node;
        DestPoint = wanted.Dest.Point;
        if (DestPoint != 0 && MailType == MailNet)
            WriteLine(std::string(1, KludgeMark) + "TOPT " + std::to_string(DestPoint));
    }
    if (wanted.Orig != was.Orig) {
        HdrRecord.OrigZone = static_cast<uint8_t>(wanted.Orig.Zone & 0xFF);
        HdrRecord.OrigNet = wanted.Orig.Net;
        HdrRecord.OrigNode = wanted.Orig.Node;
        OrigPoint = wanted.Orig.Point;
        if (OrigPoint != 0 && MailType == MailNet)
            WriteLine(std::string(1, KludgeMark) + "FMPT " + std::to_string(OrigPoint));
    }
}

void HudsonMsgBase::SetMsgFlag(uint8_t bit, bool on)
{
    HdrRecord.MsgAttr = static_cast<uint8_t>(on ? (HdrRecord.MsgAttr | bit) : (HdrRecord.MsgAttr & ~bit));
}

void HudsonMsgBase::WriteDate(DateTime when)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDate(when, year, month, day);
    DecodeTime(when, hour, minute, second, msec);
    SetPascal(HdrRecord.DateLength, HdrRecord.Date, sizeof HdrRecord.Date,
              Format("%02d-%02d-%02d", month, day, ((year % 100) + 100) % 100));
    SetPascal(HdrRecord.TimeLength, HdrRecord.Time, sizeof HdrRecord.Time, Format("%02d:%02d", hour, minute));
}

void HudsonMsgBase::SetMailType(uint8_t type) { MailType = type; }

// --- walking the index -----------------------------------------------------------

void HudsonMsgBase::ForgetBlocks()
{
    IndexBlocks.Forget();
    HeaderBlocks.Forget();
    PeekedPosition = -1;
}

const HudsonIdxRecord* HudsonMsgBase::IndexEntries(int64_t position, uint32_t& count)
{
    count = 0;
    if (position < 0 || !Opened)
        return nullptr;
    const char* records = IndexBlocks.ReadOn(IdxFile, position, count);
    return records && count > 0 ? reinterpret_cast<const HudsonIdxRecord*>(records) : nullptr;
}

const HudsonIdxRecord* HudsonMsgBase::IndexEntry(int64_t position)
{
    uint32_t got = 0;
    if (position < 0 || !Opened)
        return nullptr;
    const char* record = IndexBlocks.Read(IdxFile, position, 1, got);
    return record && got == 1 ? reinterpret_cast<const HudsonIdxRecord*>(record) : nullptr;
}

// Through a shared block, the board's positions sorted out of it tell. Else
// the next few entries are looked at one by one (boards whose letters lie
// close together); past them memchr looks for this board's number at memory
// speed (most entries of a base of many boards belong to others), and a hit
// inside a letter number is passed over.
const HudsonIdxRecord* HudsonMsgBase::NextOfBoard(const HudsonIdxRecord* from, const HudsonIdxRecord* end,
                                                  int64_t position) const
{
    static_assert(sizeof(HudsonIdxRecord) == 3 && offsetof(HudsonIdxRecord, Board) == 2);
    if (const SharedBlock* block = IndexBlocks.SharedServed()) {
        const BoardPositions& sorted = PositionsIn(*block);
        const auto first = sorted.Positions.begin() + sorted.First[Board];
        const auto last = sorted.Positions.begin() + sorted.First[Board + 1];
        const auto at = std::lower_bound(first, last, position);
        return at == last || *at >= position + (end - from) ? end : from + (*at - position);
    }
    for (const HudsonIdxRecord* near = std::min(end, from + 8); from != near; ++from)
        if (from->Board == Board)
            return from;
    const auto* boards = reinterpret_cast<const unsigned char*>(from) + offsetof(HudsonIdxRecord, Board);
    const auto* last = reinterpret_cast<const unsigned char*>(end);
    for (const unsigned char* p = boards; p < last;) {
        const auto* hit = static_cast<const unsigned char*>(std::memchr(p, Board, static_cast<std::size_t>(last - p)));
        if (!hit)
            break;
        if ((hit - boards) % sizeof(HudsonIdxRecord) == 0)
            return from + (hit - boards) / sizeof(HudsonIdxRecord);
        p = hit + 1;
    }
    return end;
}

bool HudsonMsgBase::Accepts(const HudsonIdxRecord& entry) const
{
    return entry.MsgNum != HudsonDeletedNumber && entry.Board == Board;
}

// A letter whose header carries the deleted bit is gone, whatever its index
// record says (a deletion broken off half way, or a tosser that marks the
// header only). The header read here serves the LoadHeader that follows.
bool HudsonMsgBase::MarkedDeletedAt(int64_t position)
{
    // Never from bytes older than the index record that led here.
    HeaderBlocks.ForgetIfOlderThan(IndexBlocks);
    uint32_t got = 0;
    const char* record = HeaderBlocks.Read(HdrFile, position, 1, got);
    if (!record || got != 1) {
        PeekedPosition = -1;
        return false;  // unreadable: LoadHeader reports it for this letter
    }
    std::memcpy(&PeekedHeader, record, sizeof PeekedHeader);
    PeekedPosition = position;
    return PeekedHeader.MsgAttr & HudsonMsgDeleted;
}

// Between letters (after a seek that found nothing) the walk keeps a bound:
// SeekNext then accepts numbers from the bound up, SeekPrior numbers below it.

// The first letter of this board after the walk's place numbered `lowest` or
// more. When there is none the walk stands after the end with `lowest` as its
// bound.
void HudsonMsgBase::ScanForward(uint32_t lowest)
{
    int64_t position = Found ? CurrentPosition + 1 : std::max<int64_t>(CurrentPosition, 0);
    uint32_t count = 0;
    while (const HudsonIdxRecord* entry = IndexEntries(position, count)) {
        // Every board's walk passes over the whole index: look through the
        // rest of the block read in one tight loop, jumping over runs of
        // other boards' entries.
        const HudsonIdxRecord* const end = entry + count;
        for (const HudsonIdxRecord* e = entry; e != end; ++e) {
            if (e->Board != Board && (e = NextOfBoard(e, end, position + (e - entry))) == end)
                break;
            if (Accepts(*e) && e->MsgNum >= lowest) {
                int64_t at = position + (e - entry);
                if (MarkedDeletedAt(at))
                    continue;
                Found = true;
                CurrentPosition = at;
                CurrentNumber = e->MsgNum;
                return;
            }
        }
        position += end - entry;
    }
    Found = false;
    CurrentPosition = position;
    CurrentNumber = lowest;
}

// The last letter of this board before the walk's place numbered below
// `below`. When there is none the walk stands before the start with `below`
// as its bound.
void HudsonMsgBase::ScanBackward(uint32_t below)
{
    int64_t position = CurrentPosition - 1;
    while (const HudsonIdxRecord* entry = IndexEntry(position)) {
        if (Accepts(*entry) && entry->MsgNum < below && !MarkedDeletedAt(position)) {
            Found = true;
            CurrentPosition = position;
            CurrentNumber = entry->MsgNum;
            return;
        }
        --position;
    }
    Found = false;
    CurrentPosition = -1;
    CurrentNumber = below;
}

void HudsonMsgBase::SeekFirst(Num number)
{
    ForgetBlocks();
    Found = false;
    CurrentPosition = -1;
    CurrentNumber = number;
    if (number == 0)
        return;  // Hudson numbers are 16-bit and counted from 1: 0 - 1 lies above them all
    ScanForward(number);
}

void HudsonMsgBase::SeekNext()
{
    ScanForward(Found ? CurrentNumber + 1 : CurrentNumber);
}

void HudsonMsgBase::SeekPrior()
{
    ScanBackward(CurrentNumber);
}

bool HudsonMsgBase::SeekFound()
{
    return Found;
}

uint32_t HudsonMsgBase::GetPosition()
{
    return CurrentPosition < 0 ? 0 : static_cast<uint32_t>(CurrentPosition);
}

void HudsonMsgBase::SetPosition(uint32_t position)
{
    ForgetBlocks();
    CurrentPosition = position;
    const HudsonIdxRecord* entry = IndexEntry(position);
    HudsonIdxRecord record = entry ? *entry : HudsonIdxRecord{HudsonDeletedNumber, 0};
    Found = record.MsgNum != HudsonDeletedNumber && !MarkedDeletedAt(position);
    CurrentNumber = Found ? record.MsgNum : 0;
}

Num HudsonMsgBase::GetNumber()
{
    return Found ? CurrentNumber : 0;
}

Num HudsonMsgBase::GetHighNumber()
{
    return Info.HighMsg;
}

// --- the current letter's header and text ----------------------------------------

void HudsonMsgBase::LoadHeader()
{
    BeginHeader();  // the header has no room for a set: the rule, field by field
    OrigPoint = DestPoint = 0;
    HeaderLoaded = false;
    HeaderPosition = -1;
    Text.clear();
    TextPos = 0;
    HudsonHdrRecord header = PeekedHeader;
    if (!Opened || !Found || CurrentPosition < 0)
        LoadStatus = HudsonNoLetter;
    else if (PeekedPosition == CurrentPosition)
        LoadStatus = 0;
    else
        LoadStatus = ReadRecordAt(HdrFile, CurrentPosition, &header) ? 0 : IoStatus();
    PeekedPosition = -1;
    // The header beside an index record must name the same letter: a base
    // whose files went out of step would show another letter's header.
    if (LoadStatus == 0 && header.MsgNum != CurrentNumber)
        LoadStatus = HudsonNoLetter;
    if (LoadStatus == 0) {
        TakeAsLoaded(header, CurrentPosition);
    } else {
        // No stale header of another letter under this letter's number.
        ClearHeader();
    }
}

void HudsonMsgBase::TakeAsLoaded(const HudsonHdrRecord& header, int64_t position)
{
    HdrRecord = header;
    LoadedHeader = header;
    HeaderLoaded = true;
    HeaderPosition = position;
}

// Echo is this object's own export mark, never stored in the record.
LetterHeader HudsonMsgBase::Header()
{
    LetterHeader header;
    header.Number = GetNumber();
    header.From = DecodeHeader(PascalText(HdrRecord.FromLength, HdrRecord.From, HudsonNameChars));
    header.To = DecodeHeader(PascalText(HdrRecord.ToLength, HdrRecord.To, HudsonNameChars));
    header.Subject =
        StripRePrefixes(DecodeHeader(PascalText(HdrRecord.SubjectLength, HdrRecord.Subject, HudsonSubjectChars)));
    header.Orig = FidoAddress{HdrRecord.OrigZone, HdrRecord.OrigNet, HdrRecord.OrigNode, OrigPoint};
    header.Dest = FidoAddress{HdrRecord.DestZone, HdrRecord.DestNet, HdrRecord.DestNode, DestPoint};
    header.ReplyTo = HdrRecord.ReplyTo;
    header.FirstReply = HdrRecord.SeeAlsoNum;
    const std::string when = PascalText(HdrRecord.DateLength, HdrRecord.Date, sizeof HdrRecord.Date) + " " +
        PascalText(HdrRecord.TimeLength, HdrRecord.Time, sizeof HdrRecord.Time);
    header.Written = ParseMdyDateTime(when, NowDateTime());
    header.Cost = HdrRecord.Cost;
    header.Flags = FlagsOfWord(HdrRecord.MsgAttr, HudsonMsgFlagBits);
    for (const FlagBit& net : HudsonNetFlagBits)
        header.Flags.Set(net.Flag, (HdrRecord.NetAttr & net.Bit) != 0);
    header.Flags.Set(LetterFlag::Deleted, (HdrRecord.MsgAttr & HudsonMsgDeleted) != 0);
    header.Flags.Set(LetterFlag::Echo, ExportMark);
    header.Set = HeaderDecodingSet();
    return header;
}

uint16_t HudsonMsgBase::GetBoard()
{
    return HdrRecord.Board;
}

void HudsonMsgBase::StartText()
{
    LastLineWrapped = false;
    Text.clear();
    TextPos = 0;
    if (!Opened || !HeaderLoaded)
        return;
    int64_t fileBlocks = FileSizeRecords(TxtFile);
    int64_t start = HdrRecord.StartBlock;
    if (fileBlocks <= start)
        return;
    int64_t remaining = std::min<int64_t>(HdrRecord.NumBlocks, fileBlocks - start);
    Text.reserve(static_cast<std::size_t>(remaining) * HudsonBlockChars);
    std::vector<HudsonTxtRecord> blocks(TextChunkBlocks);
    if (!SeekRecord(TxtFile, start))
        return;
    while (remaining > 0) {
        uint32_t want = static_cast<uint32_t>(std::min<int64_t>(remaining, TextChunkBlocks));
        uint32_t got = 0;
        if (!ReadRecords(TxtFile, blocks.data(), want, got) || got == 0)
            break;
        for (uint32_t b = 0; b < got; ++b)
            Text.append(blocks[b].Text, std::min<std::size_t>(blocks[b].Length, HudsonBlockChars));
        remaining -= got;
    }
    ResolveTextCharset(Text);
}

char HudsonMsgBase::ReadChar()
{
    return TextPos < Text.size() ? Text[TextPos++] : '\0';
}

bool HudsonMsgBase::TextEnded()
{
    return TextPos >= Text.size();
}

int64_t HudsonMsgBase::GetTextPos()
{
    return static_cast<int64_t>(TextPos);
}

void HudsonMsgBase::SetTextPos(int64_t position)
{
    TextPos = static_cast<std::size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(Text.size())));
}

// --- search by recipient ---------------------------------------------------------

void HudsonMsgBase::FindMailFirst(const std::string& name, const std::string& alias)
{
    SearchKeys.clear();
    for (const std::string& form : StoredFormsOf({StripBoth(name, ' '), StripBoth(alias, ' ')}, HudsonNameChars))
        SearchKeys.push_back(UpperAscii(form));
    SearchPosition = -1;
    FindMailNext();
}

void HudsonMsgBase::FindMailNext()
{
    MailWasFound = false;
    if (!Opened)
        return;
    std::vector<HudsonToIdxRecord> chunk(SearchChunkRecords);
    int64_t start = SearchPosition + 1;
    for (;;) {
        uint32_t got = 0;
        if (!SeekRecord(ToIdxFile, start) || !ReadRecords(ToIdxFile, chunk.data(), SearchChunkRecords, got) ||
            got == 0)
            return;
        for (uint32_t i = 0; i < got; ++i) {
            std::string entry = UpperAscii(StripBoth(PascalText(chunk[i].Length, chunk[i].Name, HudsonNameChars), ' '));
            if (entry.empty() || std::find(SearchKeys.begin(), SearchKeys.end(), entry) == SearchKeys.end())
                continue;
            SearchPosition = start + i;
            SetPosition(static_cast<uint32_t>(SearchPosition));
            if (!Found)
                continue;  // deleted: the name stays behind in MSGTOIDX with some writers
            LoadHeader();
            if (HeaderLoaded && !(HdrRecord.MsgAttr & (HudsonMsgReceived | HudsonMsgDeleted))) {
                MailWasFound = true;
                return;
            }
        }
        start += got;
    }
}

bool HudsonMsgBase::MailFound()
{
    return MailWasFound;
}

// --- counters and last-read records ------------------------------------------------

uint32_t HudsonMsgBase::CountLetters()
{
    if (!BoardValid())
        return 0;
    HudsonInfoRecord info{};
    if (LoadFile(FileName(InfoNameForCount), &info, sizeof info) != 0)
        return 0;
    return info.ActiveMsgs[Board - 1];
}

Num HudsonMsgBase::GetLastRead(uint32_t user)
{
    if (!BoardValid() || user >= MaxLastReadUsers)
        return 0;
    std::string name = FileName(LastReadName);
    int64_t offset = int64_t(user) * int64_t(sizeof(HudsonLastReadRecord));
    if (FileSizeByName(name) < offset + int64_t(sizeof(HudsonLastReadRecord)))
        return 0;
    uint16_t number = 0;
    if (LoadFilePart(name, &number, sizeof number, offset + (Board - 1) * 2) != 0)
        return 0;
    return number;
}

void HudsonMsgBase::SetLastRead(uint32_t user, Num number)
{
    if (!BoardValid() || user >= MaxLastReadUsers)
        return;
    std::string name = NameToCreate(LastReadName);
    int64_t offset = int64_t(user) * int64_t(sizeof(HudsonLastReadRecord));
    if (ExtendFile(name, offset + int64_t(sizeof(HudsonLastReadRecord))) != 0)
        return;
    // Only this board's number is written: another board's object may be
    // storing its own number in the same record at the same time.
    uint16_t value = static_cast<uint16_t>(number);
    SaveFilePart(name, &value, sizeof value, offset + (Board - 1) * 2);
}
