#include "msgbase/jam/JamMsgBase.h"

#include <algorithm>
#include <cstring>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "msgbase/jam/JamSubfields.h"

namespace {

// Index records and header bytes are read in blocks that grow while a walk
// runs on (see BlockReader): a scan reads 128 KiB at a time, looking at one
// letter reads about a kilobyte of each.
constexpr uint32_t IndexBlockSmallest = 64;
constexpr uint32_t IndexBlockLargest = 16384;
constexpr uint32_t HeaderBlockLargest = 128 * 1024;
constexpr std::size_t TextWindowBytes = 4001;
constexpr int64_t TextLookBehind = 80;
// The first read of a header where a walk jumps takes the fixed part and the
// first 1024 bytes of its subfields, all of them for nearly every letter.
constexpr uint32_t HeaderFirstRead = sizeof(JamMsgHeader) + 1024;
constexpr int64_t FirstHeaderOffset = sizeof(JamBaseHeader);

const char* const BaseExtensions[] = {".jhr", ".jdt", ".jdx", ".jlr"};

}  // namespace

bool JamMsgBase::WriteAt(FileRecord& file, int64_t position, const void* data, std::size_t count)
{
    return SeekRecord(file, position) && WriteRecords(file, data, static_cast<uint32_t>(count));
}

bool JamMsgBase::ReadAt(FileRecord& file, int64_t position, void* data, std::size_t count, uint32_t& got)
{
    got = 0;
    return SeekRecord(file, position) && ReadRecords(file, data, static_cast<uint32_t>(count), got);
}

JamMsgBase::JamMsgBase()
    : TextWindow(TextWindowBytes), IndexBlocks(IndexBlockSmallest, IndexBlockLargest),
      HeaderBlocks(HeaderFirstRead, HeaderBlockLargest)
{
}

JamMsgBase::~JamMsgBase() = default;

// ---------------------------------------------------------------- the base

void JamMsgBase::SetBasePath(const std::string& spec)
{
    // The whole path is kept: a path cut short would name another base.
    BasePath = spec;
}

std::string JamMsgBase::FileName(std::string_view extension) const
{
    return BasePath + std::string(extension);
}

// A base is there as soon as its header file is, or its index or text holds
// anything: what is left of a base whose header file is gone must not be
// taken for a new base (a fresh header would number its letters anew).
bool JamMsgBase::BaseExists()
{
    return FileExists(FileName(".jhr")) || FileSizeByName(FileName(".jdx")) > 0 ||
           FileSizeByName(FileName(".jdt")) > 0;
}

// Only a wholly new base is made. The header file is written last: a creation
// that breaks off leaves at most empty files, which the next one completes.
Status JamMsgBase::CreateBase(uint16_t, uint16_t)
{
    if (BaseExists())
        return JamBaseExists;
    std::size_t slash = BasePath.rfind('/');
    if (slash != std::string::npos)
        MakePath(BasePath.substr(0, slash + 1));

    // New files follow the case of the base's files that exist already;
    // a new base is lower case, the only case Linux tossers open.
    NameCase style = NameCase::Lower;
    for (const char* ext : BaseExtensions) {
        if (FileExists(FileName(ext))) {
            std::string actual = ToOsPath(FileName(ext));
            style = CaseOfName(actual.substr(actual.size() - 4));
            break;
        }
    }
    auto name = [&](const char* ext) { return FileName(ApplyNameCase(ext, style)); };

    Status status = 0;
    for (const char* ext : {".jlr", ".jdt", ".jdx"}) {
        if (status == 0)
            status = SaveFile(name(ext), nullptr, 0);  // an empty file left before is kept as it is
    }
    if (status == 0) {
        JamBaseHeader header{};
        header.Signature = JamSignature;
        header.DateCreated = DateTimeToUnix(NowDateTime());
        header.PasswordCRC = JamNoCrc;
        header.BaseMsgNum = 1;
        status = SaveFile(name(".jhr"), &header, sizeof header);
    }
    return status;
}

Status JamMsgBase::OpenBase()
{
    LockCount = 0;
    IndexBlocks.Forget();
    HeaderBlocks.Forget();
    TextWindowLength = 0;
    KnownHigh = 0;
    BaseHeader = JamBaseHeader{};

    BindFile(Jhr, FileName(".jhr"));
    if (!OpenExisting(Jhr, 1))
        return LastIoError;
    // A header file too short for the base header would let new letters be
    // written where the base header lies.
    int64_t size = FileSizeBytes(Jhr);
    if (size < 0)
        return LastIoError;
    if (size < FirstHeaderOffset)
        return LastIoError = JamBadReference;
    // Byte 0 is the lock byte that other programs lock while they write:
    // the header is read from byte 1 on.
    uint32_t got = 0;
    if (!ReadAt(Jhr, 1, reinterpret_cast<uint8_t*>(&BaseHeader) + 1, sizeof BaseHeader - 1, got))
        return LastIoError;

    BindFile(Jdt, FileName(".jdt"));
    if (!OpenExisting(Jdt, 1))
        return LastIoError;
    BindFile(Jdx, FileName(".jdx"));
    if (!OpenExisting(Jdx, sizeof(JamIndexRecord)))
        return LastIoError;
    return 0;
}

Status JamMsgBase::CloseBase()
{
    Status status = 0;
    for (FileRecord* file : {&Jhr, &Jdt, &Jdx}) {
        if (!CloseFile(*file) && status == 0)
            status = LastIoError;
    }
    LockCount = 0;
    return status;
}

bool JamMsgBase::LockBase()
{
    if (LockCount > 0) {
        ++LockCount;
        return true;
    }
    if (LockRegion(Jhr, 0, 1) != 0)
        return false;
    JamBaseHeader fresh{};
    uint32_t got = 0;
    if (!ReadAt(Jhr, 0, &fresh, sizeof fresh, got) || got != sizeof fresh) {
        uint16_t code = LastIoError != 0 ? LastIoError : JamBadReference;
        UnlockRegion(Jhr, 0, 1);
        LastIoError = code;
        return false;
    }
    BaseHeader = fresh;
    LockCount = 1;
    // What was read of the index and the headers may be stale: other
    // programs may have written since. Under the lock it is read afresh.
    IndexBlocks.Forget();
    HeaderBlocks.Forget();
    KnownHigh = 0;
    return true;
}

bool JamMsgBase::UnlockBase()
{
    if (LockCount == 0)
        return false;
    if (--LockCount > 0)
        return true;
    bool written = WriteAt(Jhr, 0, &BaseHeader, sizeof BaseHeader);
    uint16_t code = LastIoError;
    bool released = UnlockRegion(Jhr, 0, 1) == 0;
    if (!written)
        LastIoError = code;
    return written && released;
}

uint32_t JamMsgBase::CountLetters()
{
    return BaseHeader.ActiveMsgs;
}

// ---------------------------------------------------------------- the index

int64_t JamMsgBase::FirstNumber() const
{
    // Numbers start at 1: a base number of 0 would give a letter the number
    // that means "none".
    return std::max<int64_t>(1, BaseHeader.BaseMsgNum);
}

int64_t JamMsgBase::HighNumber()
{
    int64_t records = FileSizeRecords(Jdx);
    if (records < 0)
        records = 0;
    KnownHigh = std::min<int64_t>(FirstNumber() + records - 1, 0xFFFFFFFFll);
    return KnownHigh;
}

Num JamMsgBase::GetHighNumber()
{
    return static_cast<Num>(HighNumber());
}

bool JamMsgBase::InRange(int64_t number)
{
    return number >= FirstNumber() && (number <= KnownHigh || number <= HighNumber());
}

bool JamMsgBase::LookupIndex(int64_t number, JamIndexRecord& record)
{
    int64_t i = number - FirstNumber();
    if (i < 0) {
        LastIoError = JamBadReference;
        return false;
    }
    uint32_t got = 0;
    const char* bytes = IndexBlocks.Read(Jdx, i, 1, got);
    if (!bytes)
        return false;
    if (got == 0) {
        LastIoError = JamBadReference;
        return false;
    }
    std::memcpy(&record, bytes, sizeof record);
    return true;
}

bool JamMsgBase::IsLiveNumber(int64_t number)
{
    JamIndexRecord record{};
    return LookupIndex(number, record) && JamIndexLive(record);
}

Status JamMsgBase::WriteIndexRecord(int64_t number, const JamIndexRecord& record)
{
    // Only this record is written: what was read of the others may be older
    // than what other programs have written since.
    if (!WriteAt(Jdx, number - FirstNumber(), &record, 1))
        return LastIoError;
    return 0;
}

// ---------------------------------------------------------------- walking

void JamMsgBase::SeekFirst(Num number)
{
    // A walk reads the files afresh.
    IndexBlocks.Forget();
    HeaderBlocks.Forget();
    CurrentNumber = std::max<int64_t>(int64_t(number) - 1, FirstNumber() - 1);
    SeekNext();
}

void JamMsgBase::SeekNext()
{
    // The index file is asked for its size only when the walk reaches the
    // highest number seen so far.
    auto notAboveHigh = [this](int64_t number) { return number <= KnownHigh || number <= HighNumber(); };
    if (notAboveHigh(CurrentNumber))
        ++CurrentNumber;
    while (notAboveHigh(CurrentNumber) && !IsLiveNumber(CurrentNumber))
        ++CurrentNumber;
}

void JamMsgBase::SeekPrior()
{
    int64_t first = FirstNumber();
    int64_t high = HighNumber();
    if (CurrentNumber > high + 1)
        CurrentNumber = high + 1;
    if (CurrentNumber >= first)
        --CurrentNumber;
    while (CurrentNumber >= first && !IsLiveNumber(CurrentNumber))
        --CurrentNumber;
}

bool JamMsgBase::SeekFound()
{
    return InRange(CurrentNumber);
}

Num JamMsgBase::GetNumber()
{
    return InRange(CurrentNumber) ? static_cast<Num>(CurrentNumber) : 0;
}

uint32_t JamMsgBase::GetPosition()
{
    return GetNumber();
}

void JamMsgBase::SetPosition(uint32_t position)
{
    CurrentNumber = position;
}

// ---------------------------------------------------------------- headers

Status JamMsgBase::ReadHeaderAt(uint32_t offset, JamMsgHeader& header, std::vector<uint8_t>& subfields)
{
    subfields.clear();
    if (offset < FirstHeaderOffset)
        return JamBadReference;
    // The fixed part and the subfields come from the block of headers the
    // walk reads, never older than the index record that led here; a short
    // read tells where the file ends.
    HeaderBlocks.ForgetIfOlderThan(IndexBlocks);
    uint32_t got = 0;
    const char* bytes = HeaderBlocks.ReadOn(Jhr, offset, got);
    if (!bytes)
        return LastIoError;
    if (got < sizeof header)
        bytes = HeaderBlocks.Read(Jhr, offset, sizeof header, got);
    if (!bytes)
        return LastIoError;
    if (got < sizeof header)
        return JamBadReference;
    std::memcpy(&header, bytes, sizeof header);
    const int64_t area = int64_t(offset) + int64_t(sizeof header);
    if (header.SubfieldLen <= HeaderBlockLargest) {
        // Nearly always the block holds the subfields too.
        if (got - sizeof header >= header.SubfieldLen) {
            bytes += sizeof header;
            got = header.SubfieldLen;
        } else {
            bytes = HeaderBlocks.Read(Jhr, area, header.SubfieldLen, got);
        }
        if (!bytes)
            return LastIoError;
        subfields.assign(bytes, bytes + got);
        return 0;
    }
    // A subfield area longer than a block: read whole, as far as the file
    // holds it.
    int64_t fileSize = FileSizeBytes(Jhr);
    if (fileSize < 0)
        return LastIoError;
    subfields.resize(static_cast<std::size_t>(std::clamp<int64_t>(fileSize - area, 0, header.SubfieldLen)));
    if (!ReadAt(Jhr, area, subfields.data(), subfields.size(), got))
        return LastIoError;
    subfields.resize(got);
    return 0;
}

void JamMsgBase::AppendKludge(std::string_view prefix, std::string_view data)
{
    // The line grows the buffer once: a scan makes these for every letter.
    const std::size_t at = KludgeBuffer.size();
    KludgeBuffer.resize(at + prefix.size() + data.size() + 2);
    char* out = KludgeBuffer.data() + at;
    *out++ = KludgeMark;
    out = std::copy(prefix.begin(), prefix.end(), out);
    out = std::copy(data.begin(), data.end(), out);
    *out = '\r';
}

void JamMsgBase::TakeSubfield(uint16_t code, std::string_view data)
{
    switch (code) {
    case JamOAddress:
        Orig = FidoAddress{};
        ParseAddress(JamSubfieldText(data), FidoAddress{}, Orig);
        break;
    case JamDAddress:
        Dest = FidoAddress{};
        ParseAddress(JamSubfieldText(data), FidoAddress{}, Dest);
        break;
    case JamSenderName: From = JamSubfieldText(data); break;
    case JamReceiverName: To = JamSubfieldText(data); break;
    case JamSubject: Subject = JamSubfieldText(data); break;
    case JamEnclosedFile:
        if (HasFlag(JamFileAttach))
            Subject = JamSubfieldText(data);
        break;
    case JamEnclosedFileRequest:
        if (HasFlag(JamFileRequest))
            Subject = JamSubfieldText(data);
        break;
    case JamMsgId: AppendKludge("MSGID: ", data); break;
    case JamReplyId: AppendKludge("REPLY: ", data); break;
    case JamPid: AppendKludge("PID: ", data); break;
    case JamTrace: AppendKludge("Via ", data); break;
    case JamFtsKludge:
        // The letter's CHRS travels here: it decodes the header in the scan.
        if (HeaderCharset == Charset::None && IsCharsetKludge(JamSubfieldText(data)))
            HeaderCharset = CharsetOfKludge(JamSubfieldText(data));
        AppendKludge("", data);
        break;
    case JamSeenBy2D: AppendKludge("SEEN-BY: ", data); break;
    case JamPath2D: AppendKludge("PATH: ", data); break;
    case JamFlags: AppendKludge("FLAGS: ", data); break;
    default: break;  // codes this program does not show
    }
}

void JamMsgBase::LoadHeader()
{
    BeginHeader();
    LastLineWrapped = false;
    From.clear();
    To.clear();
    Subject.clear();
    Orig = Dest = FidoAddress{};
    KludgeBuffer.clear();
    LoadedNumber = 0;
    LoadStatus = JamBadReference;
    if (!SeekFound())
        return;

    JamIndexRecord record{};
    JamMsgHeader header{};
    Status status = JamBadReference;
    if (!LookupIndex(CurrentNumber, record))
        status = LastIoError != 0 ? LastIoError : JamBadReference;
    else if (JamIndexLive(record))
        status = ReadHeaderAt(record.HdrOffset, header, Subfields);
    LoadStatus = status;
    if (status != 0) {
        // Nothing of another letter may show through a header that cannot be read.
        Fixed = JamMsgHeader{};
        Subfields.clear();
        When = 0;
        LastIoError = status;
        return;
    }
    Fixed = header;
    LoadedHeader = header;
    LoadedNumber = CurrentNumber;
    LoadedOffset = record.HdrOffset;
    When = UnixToDateTime(Fixed.DateWritten);

    std::string_view area(reinterpret_cast<const char*>(Subfields.data()), Subfields.size());
    ForEachJamSubfield(area, [this](uint16_t code, std::string_view data) { TakeSubfield(code, data); });
}

// ---------------------------------------------------------------- getters and setters

namespace {

// JAM keeps no ReturnReceipt bit.
const FlagBit JamFlagBits[] = {
    {LetterFlag::Local, JamLocal},
    {LetterFlag::Received, JamReceived},
    {LetterFlag::Private, JamPrivate},
    {LetterFlag::Crash, JamCrash},
    {LetterFlag::KillSent, JamKillSent},
    {LetterFlag::Sent, JamSent},
    {LetterFlag::FileAttach, JamFileAttach},
    {LetterFlag::ReceiptRequest, JamReceiptRequest},
    {LetterFlag::AuditRequest, JamAuditRequest},
    {LetterFlag::FileRequest, JamFileRequest},
    {LetterFlag::Read, JamRead},
    {LetterFlag::Deleted, JamDeleted},
};

}  // namespace

// Every letter of this format is exported by the tosser: Echo always.
LetterHeader JamMsgBase::Header()
{
    LetterHeader header;
    header.Number = GetNumber();
    header.From = DecodeHeader(From);
    header.To = DecodeHeader(To);
    header.Subject = StripRePrefixes(DecodeHeader(Subject));
    header.Orig = Orig;
    header.Dest = Dest;
    header.ReplyTo = Fixed.ReplyTo;
    header.FirstReply = Fixed.Reply1st;
    header.NextReply = Fixed.ReplyNext;
    header.Written = When;
    header.Processed = Fixed.DateProcessed != 0 ? UnixToDateTime(Fixed.DateProcessed) : 0;
    header.Cost = static_cast<uint16_t>(Fixed.Cost & 0xFFFF);
    header.Flags = FlagsOfWord(Fixed.Attribute, JamFlagBits);
    header.Flags.Set(LetterFlag::Echo);
    header.Set = HeaderDecodingSet();
    return header;
}

// The fields that differ from the header as it stands. The names and the
// subject are whole subfields: no width to cut them to.
void JamMsgBase::ApplyHeader(const LetterHeader& wanted)
{
    const LetterHeader was = Header();
    if (wanted.From != was.From)
        From = EncodeField(wanted.From, SIZE_MAX);
    if (wanted.To != was.To)
        To = EncodeField(wanted.To, SIZE_MAX);
    if (wanted.Subject != was.Subject)
        Subject = EncodeField(wanted.Subject, SIZE_MAX);
    Orig = wanted.Orig;
    Dest = wanted.Dest;
    if (wanted.Cost != was.Cost)
        Fixed.Cost = wanted.Cost;
    Fixed.ReplyTo = wanted.ReplyTo;
    Fixed.Reply1st = wanted.FirstReply;
    Fixed.ReplyNext = wanted.NextReply;
    if (wanted.Written != 0)
        When = wanted.Written;
    LetterFlags settable = wanted.Flags;
    settable.Set(LetterFlag::Deleted, was.Flags.Has(LetterFlag::Deleted));
    Fixed.Attribute = WordWithChangedFlags(Fixed.Attribute, was.Flags, settable, JamFlagBits);
}

void JamMsgBase::SetMailType(uint8_t type)
{
    MailType = type;
}

// ---------------------------------------------------------------- reading text

void JamMsgBase::StartText()
{
    LastLineWrapped = false;
    TextStart = Fixed.TxtOffset;
    // The text ends where its length says, but never past the end of .jdt.
    int64_t fileSize = FileSizeBytes(Jdt);
    TextEnd = std::max(TextStart, std::min<int64_t>(TextStart + Fixed.TxtLen, fileSize));
    TextPos = KludgeBuffer.empty() ? TextStart : -static_cast<int64_t>(KludgeBuffer.size());
    // A letter whose control lines name no set is read by the rule over its
    // whole text, read once for that.
    std::string whole;
    if (HeaderCharset == Charset::None && TextEnd > TextStart) {
        whole = KludgeBuffer;
        whole.resize(KludgeBuffer.size() + static_cast<std::size_t>(TextEnd - TextStart));
        uint32_t got = 0;
        ReadAt(Jdt, TextStart, whole.data() + KludgeBuffer.size(), static_cast<uint32_t>(TextEnd - TextStart), got);
        whole.resize(KludgeBuffer.size() + got);
    }
    ResolveTextCharset(whole);
}

bool JamMsgBase::TextEnded()
{
    if (TextPos < 0)
        return false;
    return TextPos < TextStart || TextPos >= TextEnd;
}

char JamMsgBase::ReadChar()
{
    if (TextEnded())
        return '\0';
    if (TextPos < 0) {
        char ch = KludgeBuffer[KludgeBuffer.size() + static_cast<std::size_t>(TextPos)];
        if (++TextPos == 0)
            TextPos = TextStart;
        return ch;
    }
    if (TextPos < TextWindowStart || TextPos >= TextWindowStart + TextWindowLength) {
        TextWindowStart = std::max<int64_t>(0, TextPos - TextLookBehind);
        TextWindowLength = 0;
        uint32_t got = 0;
        ReadAt(Jdt, TextWindowStart, TextWindow.data(), TextWindow.size(), got);
        TextWindowLength = got;
        if (TextPos >= TextWindowStart + TextWindowLength) {
            // The file is shorter than it was when the text was started.
            TextPos = TextEnd;
            return '\0';
        }
    }
    return TextWindow[static_cast<std::size_t>(TextPos++ - TextWindowStart)];
}

// Outside, a position counts the characters of the whole stream from its
// start (control lines, then text), so that it is never negative.
int64_t JamMsgBase::GetTextPos()
{
    int64_t kludges = static_cast<int64_t>(KludgeBuffer.size());
    return TextPos < 0 ? kludges + TextPos : kludges + (TextPos - TextStart);
}

void JamMsgBase::SetTextPos(int64_t position)
{
    int64_t kludges = static_cast<int64_t>(KludgeBuffer.size());
    position = std::max<int64_t>(position, 0);
    TextPos = position < kludges ? position - kludges : TextStart + (position - kludges);
}

// ---------------------------------------------------------------- searching

void JamMsgBase::FindMailFirst(const std::string& name, const std::string& alias)
{
    FindName = Utf8Upper(name);
    FindAlias = Utf8Upper(alias);
    // The index holds the CRC of the stored name, in the set of its letter.
    FindCrcs.clear();
    for (const std::string& form : StoredFormsOf({name, alias}, SIZE_MAX))
        FindCrcs.push_back(JamNameCrc(form));
    CurrentNumber = FirstNumber() - 1;
    FindMailNext();
}

void JamMsgBase::FindMailNext()
{
    int64_t high = HighNumber();
    ++CurrentNumber;
    for (; CurrentNumber <= high; ++CurrentNumber) {
        JamIndexRecord record{};
        if (!LookupIndex(CurrentNumber, record))
            return;
        if (!JamIndexLive(record) || std::find(FindCrcs.begin(), FindCrcs.end(), record.UserCRC) == FindCrcs.end())
            continue;
        LoadHeader();
        if (LoadStatus != 0 || HasFlag(JamReceived))
            continue;
        const std::string to = Utf8Upper(DecodeHeader(To));
        if ((!FindName.empty() && to == FindName) || (!FindAlias.empty() && to == FindAlias))
            return;
    }
}

bool JamMsgBase::MailFound()
{
    return InRange(CurrentNumber);
}

// ---------------------------------------------------------------- last read

namespace {

// The record of a user in an open .jlr: the last one of the first block of
// 100 records that holds any; -1 when none.
int64_t FindLastRead(FileRecord& file, uint32_t user)
{
    JamLastRead block[100];
    for (int64_t start = 0;; start += 100) {
        uint32_t got = 0;
        if (!SeekRecord(file, start) || !ReadRecords(file, block, 100, got) || got == 0)
            return -1;
        int64_t found = -1;
        for (uint32_t i = 0; i < got; ++i) {
            if (block[i].UserID == user)
                found = start + i;
        }
        if (found >= 0)
            return found;
        if (got < 100)
            return -1;
    }
}

}  // namespace

Num JamMsgBase::GetLastRead(uint32_t user)
{
    FileRecord file;
    BindFile(file, FileName(".jlr"));
    if (!FileExists(FileName(".jlr")) || !OpenExisting(file, sizeof(JamLastRead)))
        return 0;
    int64_t at = FindLastRead(file, user);
    JamLastRead record{};
    uint32_t got = 0;
    Num result = 0;
    if (at >= 0 && SeekRecord(file, at) && ReadRecords(file, &record, 1, got) && got == 1)
        result = record.HighReadMsg;
    CloseFile(file);
    return result;
}

void JamMsgBase::SetLastRead(uint32_t user, Num number)
{
    FileRecord file;
    BindFile(file, FileName(".jlr"));
    if (!FileExists(FileName(".jlr")) || !OpenExisting(file, sizeof(JamLastRead)))
        return;
    int64_t at = FindLastRead(file, user);
    JamLastRead record{user, user, number, number};
    uint32_t got = 0;
    if (at >= 0) {
        if (SeekRecord(file, at) && ReadRecords(file, &record, 1, got) && got == 1) {
            record.LastReadMsg = number;
            record.HighReadMsg = number;
            WriteAt(file, at, &record, 1);
        }
    } else {
        int64_t records = FileSizeRecords(file);
        if (records >= 0)
            WriteAt(file, records, &record, 1);
    }
    CloseFile(file);
}
