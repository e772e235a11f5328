#include "msgbase/jam/JamMsgBase.h"

#include <algorithm>
#include <cstring>

#include "core/CharsetEncoder.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "msgbase/ChangedBits.h"

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
constexpr int64_t MaxJamOffset = 0xFFFFFFFFll;
// An index record's header offset is read as a signed number (negative: the
// letter is deleted), so a header must begin below 2 GiB.
constexpr int64_t MaxHeaderOffset = 0x7FFFFFFFll;

const char* const BaseExtensions[] = {".jhr", ".jdt", ".jdx", ".jlr"};

// A deleted letter's record holds 0xFFFFFFFF in both fields. The header
// offset alone decides: 0xFFFFFFFF is also the checksum of an empty recipient
// name, so a letter to nobody has it as its UserCRC and is still there.
bool Live(const JamIndexRecord& record)
{
    return static_cast<int32_t>(record.HdrOffset) >= 0;
}

// The text of a name subfield: up to a terminating zero, if a writer left one.
std::string_view UpToZero(std::string_view data)
{
    std::size_t zero = data.find('\0');
    return zero == std::string_view::npos ? data : data.substr(0, zero);
}

void AddSubfield(std::vector<uint8_t>& area, uint16_t code, std::string_view data)
{
    JamSubfieldHead head{code, 0, static_cast<uint32_t>(data.size())};
    const auto* h = reinterpret_cast<const uint8_t*>(&head);
    area.insert(area.end(), h, h + sizeof head);
    area.insert(area.end(), data.begin(), data.end());
}

// The value of a control line from position `from` on: leading colons
// dropped, blanks trimmed, cut to `limit` characters (0: no limit).
std::string KludgeValue(const std::string& line, std::size_t from, std::size_t limit)
{
    std::string value = from < line.size() ? line.substr(from) : std::string();
    value = StripBoth(StripLeading(value, ':'), ' ');
    if (limit != 0 && value.size() > limit)
        value.resize(limit);
    return value;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Positions and counts are in records of the file (bytes for .jhr and .jdt).
bool WriteAt(FileRecord& file, int64_t position, const void* data, std::size_t count)
{
    return SeekRecord(file, position) && WriteRecords(file, data, static_cast<uint32_t>(count));
}

// Reads up to count records at position; got = records read.
bool ReadAt(FileRecord& file, int64_t position, void* data, std::size_t count, uint32_t& got)
{
    got = 0;
    return SeekRecord(file, position) && ReadRecords(file, data, static_cast<uint32_t>(count), got);
}

// Cuts a file back to `position` records after a failed append.
void CutBack(FileRecord& file, int64_t position)
{
    uint16_t saved = LastIoError;
    if (SeekRecord(file, position))
        TruncateFile(file);
    LastIoError = saved;
}

}  // namespace

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
    return LookupIndex(number, record) && Live(record);
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
        ParseAddress(UpToZero(data), FidoAddress{}, Orig);
        break;
    case JamDAddress:
        Dest = FidoAddress{};
        ParseAddress(UpToZero(data), FidoAddress{}, Dest);
        break;
    case JamSenderName: From = UpToZero(data); break;
    case JamReceiverName: To = UpToZero(data); break;
    case JamSubject: Subject = UpToZero(data); break;
    case JamEnclosedFile:
        if (HasFlag(JamFileAttach))
            Subject = UpToZero(data);
        break;
    case JamEnclosedFileRequest:
        if (HasFlag(JamFileRequest))
            Subject = UpToZero(data);
        break;
    case JamMsgId: AppendKludge("MSGID: ", data); break;
    case JamReplyId: AppendKludge("REPLY: ", data); break;
    case JamPid: AppendKludge("PID: ", data); break;
    case JamTrace: AppendKludge("Via ", data); break;
    case JamFtsKludge:
        // The letter's CHRS travels here: it decodes the header in the scan.
        if (HeaderCharset == Charset::None && IsCharsetKludge(UpToZero(data)))
            HeaderCharset = CharsetOfKludge(UpToZero(data));
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
    else if (Live(record))
        status = ReadHeaderAt(record.HdrOffset, header, Subfields);
    LoadStatus = status;
    if (status != 0) {
        // Nothing of another letter may show through a header that cannot be read.
        Header = JamMsgHeader{};
        Subfields.clear();
        When = 0;
        LastIoError = status;
        return;
    }
    Header = header;
    LoadedHeader = header;
    LoadedNumber = CurrentNumber;
    LoadedOffset = record.HdrOffset;
    When = UnixToDateTime(Header.DateWritten);

    // Subfields are taken while their head and data lie inside what was read.
    std::string_view area(reinterpret_cast<const char*>(Subfields.data()), Subfields.size());
    std::size_t p = 0;
    while (area.size() - p >= sizeof(JamSubfieldHead)) {
        JamSubfieldHead head;
        std::memcpy(&head, area.data() + p, sizeof head);
        p += sizeof head;
        if (head.DatLen > area.size() - p)
            break;
        TakeSubfield(head.LoID, area.substr(p, head.DatLen));
        p += head.DatLen;
    }
}

// ---------------------------------------------------------------- getters and setters

void JamMsgBase::SetDestAddr(const FidoAddress& address) { Dest = address; }
void JamMsgBase::SetOrigAddr(const FidoAddress& address) { Orig = address; }
void JamMsgBase::GetOrigAddr(FidoAddress& address) { address = Orig; }
void JamMsgBase::GetDestAddr(FidoAddress& address) { address = Dest; }
void JamMsgBase::SetFrom(const std::string& name) { From = EncodeField(name, SIZE_MAX); }
void JamMsgBase::SetTo(const std::string& name) { To = EncodeField(name, SIZE_MAX); }
void JamMsgBase::SetSubject(const std::string& text) { Subject = EncodeField(text, SIZE_MAX); }
std::string JamMsgBase::GetFrom() { return DecodeHeader(From); }
std::string JamMsgBase::GetTo() { return DecodeHeader(To); }
std::string JamMsgBase::GetSubject() { return StripRePrefixes(DecodeHeader(Subject)); }
void JamMsgBase::SetCost(uint16_t cost) { Header.Cost = cost; }
uint16_t JamMsgBase::GetCost() { return static_cast<uint16_t>(Header.Cost & 0xFFFF); }
void JamMsgBase::SetReplyTo(Num number) { Header.ReplyTo = number; }
void JamMsgBase::SetFirstReply(Num number) { Header.Reply1st = number; }
void JamMsgBase::SetNextReply(Num number) { Header.ReplyNext = number; }
Num JamMsgBase::GetReplyTo() { return Header.ReplyTo; }
Num JamMsgBase::GetFirstReply() { return Header.Reply1st; }
Num JamMsgBase::GetNextReply() { return Header.ReplyNext; }
void JamMsgBase::SetDateTime(DateTime when) { When = when; }
DateTime JamMsgBase::GetDateTime() { return When; }
void JamMsgBase::SetMailType(uint8_t type) { MailType = type; }

void JamMsgBase::SetFlag(uint32_t bit, bool on)
{
    if (on)
        Header.Attribute |= bit;
    else
        Header.Attribute &= ~bit;
}

void JamMsgBase::SetLocal(bool on) { SetFlag(JamLocal, on); }
void JamMsgBase::SetReceived(bool on) { SetFlag(JamReceived, on); }
void JamMsgBase::SetPrivate(bool on) { SetFlag(JamPrivate, on); }
void JamMsgBase::SetCrash(bool on) { SetFlag(JamCrash, on); }
void JamMsgBase::SetKillSent(bool on) { SetFlag(JamKillSent, on); }
void JamMsgBase::SetSent(bool on) { SetFlag(JamSent, on); }
void JamMsgBase::SetFileAttach(bool on) { SetFlag(JamFileAttach, on); }
void JamMsgBase::SetReceiptRequest(bool on) { SetFlag(JamReceiptRequest, on); }
void JamMsgBase::SetAuditRequest(bool on) { SetFlag(JamAuditRequest, on); }
void JamMsgBase::SetReturnReceipt(bool) {}
void JamMsgBase::SetFileRequest(bool on) { SetFlag(JamFileRequest, on); }
void JamMsgBase::SetRead(bool on) { SetFlag(JamRead, on); }

bool JamMsgBase::IsLocal() { return HasFlag(JamLocal); }
bool JamMsgBase::IsCrash() { return HasFlag(JamCrash); }
bool JamMsgBase::IsKillSent() { return HasFlag(JamKillSent); }
bool JamMsgBase::IsSent() { return HasFlag(JamSent); }
bool JamMsgBase::IsFileAttach() { return HasFlag(JamFileAttach); }
bool JamMsgBase::IsReceiptRequest() { return HasFlag(JamReceiptRequest); }
bool JamMsgBase::IsAuditRequest() { return HasFlag(JamAuditRequest); }
bool JamMsgBase::IsReturnReceipt() { return false; }
bool JamMsgBase::IsFileRequest() { return HasFlag(JamFileRequest); }
bool JamMsgBase::IsReceived() { return HasFlag(JamReceived); }
bool JamMsgBase::IsPrivate() { return HasFlag(JamPrivate); }
bool JamMsgBase::IsDeleted() { return HasFlag(JamDeleted); }
bool JamMsgBase::IsEcho() { return true; }
bool JamMsgBase::IsRead() { return HasFlag(JamRead); }

// ---------------------------------------------------------------- reading text

void JamMsgBase::StartText()
{
    LastLineWrapped = false;
    TextStart = Header.TxtOffset;
    // The text ends where its length says, but never past the end of .jdt.
    int64_t fileSize = FileSizeBytes(Jdt);
    TextEnd = std::max(TextStart, std::min<int64_t>(TextStart + Header.TxtLen, fileSize));
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

// ---------------------------------------------------------------- writing

void JamMsgBase::StartNewLetter()
{
    NewText.clear();
    Header = JamMsgHeader{};
    Header.MSGIDcrc = JamNoCrc;
    Header.REPLYcrc = JamNoCrc;
    Header.PasswordCRC = JamNoCrc;
    Subfields.clear();
    KludgeBuffer.clear();
    From.clear();
    To.clear();
    Subject.clear();
    Orig = Dest = FidoAddress{};
    When = NowDateTime();
    LastLineWrapped = false;
    CurrentNumber = 0;
    LoadedNumber = 0;
}

void JamMsgBase::WriteChar(char ch)
{
    const char c = ch;
    // LastLineWrapped serves as "a line is open" while a letter is written.
    if (c == '\r')
        LastLineWrapped = false;
    else if (c != '\n')
        LastLineWrapped = true;
    NewText += c;
}

void JamMsgBase::WriteKludge(const std::string& line)
{
    std::string text = line;
    if (!text.empty() && text[0] == KludgeMark)
        text.erase(0, 1);
    text = EncodeText(Utf8Left(text, 255), OutgoingSet).Bytes;

    if (StartsWith(text, "PID")) {
        AddSubfield(Subfields, JamPid, KludgeValue(text, 3, 40));
    } else if (StartsWith(text, "MSGID")) {
        std::string value = KludgeValue(text, 5, 100);
        Header.MSGIDcrc = JamNameCrc(value);
        AddSubfield(Subfields, JamMsgId, value);
    } else if (StartsWith(text, "INTL") || StartsWith(text, "TOPT") || StartsWith(text, "FMPT")) {
        // The addresses travel in their own subfields.
    } else if (StartsWith(text, "REPLY")) {
        // Taken after the keyword, so that "REPLY:addr" reads as "REPLY: addr".
        std::string value = KludgeValue(text, 5, 100);
        Header.REPLYcrc = JamNameCrc(value);
        AddSubfield(Subfields, JamReplyId, value);
    } else if (StartsWith(text, "PATH")) {
        AddSubfield(Subfields, JamPath2D, KludgeValue(text, 4, 0));
    } else {
        AddSubfield(Subfields, JamFtsKludge, StripBoth(text, ' '));
    }
}

Status JamMsgBase::WriteLetter()
{
    if (LastLineWrapped) {
        WriteChar('\r');
        WriteChar('\n');
    }
    Header.Signature = JamSignature;
    Header.Revision = JamRevision;
    if (MailType == MailLocal)
        Header.Attribute |= JamTypeLocal;
    else if (MailType == MailEcho)
        Header.Attribute |= JamTypeEcho;
    else if (MailType == MailNet)
        Header.Attribute |= JamTypeNet;
    Header.DateWritten = DateTimeToUnix(When);

    // The subfields: those of the control lines first, then the names,
    // subject and addresses.
    std::vector<uint8_t> subfields = Subfields;
    if (!To.empty())
        AddSubfield(subfields, JamReceiverName, To);
    if (!From.empty())
        AddSubfield(subfields, JamSenderName, From);
    if (!Subject.empty())
        AddSubfield(subfields, HasFlag(JamFileRequest) ? JamEnclosedFileRequest : JamSubject, Subject);
    if (!Dest.IsZero())
        AddSubfield(subfields, JamDAddress, AddressToText(Dest));
    if (!Orig.IsZero())
        AddSubfield(subfields, JamOAddress, AddressToText(Orig));

    if (!LockBase())
        return JamLockFailed;

    // Text, then header, then the index record that makes the letter part of
    // the base: a failure before the last step leaves only unreferenced bytes,
    // and those are cut off again.
    Status status = 0;
    int64_t textOffset = FileSizeBytes(Jdt);
    int64_t headerOffset = textOffset < 0 ? -1 : FileSizeBytes(Jhr);
    int64_t records = headerOffset < 0 ? -1 : FileSizeRecords(Jdx);
    if (records < 0)
        status = LastIoError;
    int64_t number = FirstNumber() + records;
    if (status == 0 && (textOffset + int64_t(NewText.size()) > MaxJamOffset || headerOffset > MaxHeaderOffset ||
                        number > MaxJamOffset))
        status = JamBaseFull;

    JamMsgHeader header = Header;
    header.TxtOffset = static_cast<uint32_t>(textOffset);
    header.TxtLen = static_cast<uint32_t>(NewText.size());
    header.MessageNumber = static_cast<uint32_t>(number);
    header.SubfieldLen = static_cast<uint32_t>(subfields.size());

    // What was tried is cut back on failure: a write that failed may still
    // have written part of its bytes.
    bool textTried = false, headerTried = false, indexTried = false;
    if (status == 0 && !NewText.empty()) {
        textTried = true;
        if (!WriteAt(Jdt, textOffset, NewText.data(), NewText.size()))
            status = LastIoError;
    }
    if (status == 0) {
        std::vector<uint8_t> bytes(sizeof header);
        std::memcpy(bytes.data(), &header, sizeof header);
        bytes.insert(bytes.end(), subfields.begin(), subfields.end());
        headerTried = true;
        if (!WriteAt(Jhr, headerOffset, bytes.data(), bytes.size()))
            status = LastIoError;
    }
    if (status == 0) {
        indexTried = true;
        status = WriteIndexRecord(number, {JamNameCrc(To), static_cast<uint32_t>(headerOffset)});
    }
    if (status == 0) {
        ++BaseHeader.ActiveMsgs;
        ++BaseHeader.ModCounter;
    } else {
        if (indexTried)
            CutBack(Jdx, records);
        if (headerTried)
            CutBack(Jhr, headerOffset);
        if (textTried)
            CutBack(Jdt, textOffset);
    }
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    if (status != 0)
        return status;

    Header = header;
    LoadedHeader = header;
    Subfields = std::move(subfields);
    CurrentNumber = number;
    LoadedNumber = number;
    LoadedOffset = static_cast<uint32_t>(headerOffset);
    LastLineWrapped = false;
    return 0;
}

Status JamMsgBase::RewriteFixedPart()
{
    JamIndexRecord record{};
    if (LoadedNumber == 0 || LoadedNumber != CurrentNumber)
        return JamBadReference;
    if (!LookupIndex(CurrentNumber, record))
        return LastIoError != 0 ? LastIoError : JamBadReference;
    // The letter must still be where it was loaded from.
    if (!Live(record) || record.HdrOffset != LoadedOffset)
        return JamBadReference;
    return MergeFixedPart();
}

// Writes the loaded letter's fixed header part back where it was loaded from.
// Only the bits changed since loading are written: what another program
// changed in the meantime (a tosser setting Sent, a reply link) stays.
Status JamMsgBase::MergeFixedPart()
{
    JamMsgHeader onDisk{};
    uint32_t got = 0;
    if (!ReadAt(Jhr, LoadedOffset, &onDisk, sizeof onDisk, got))
        return LastIoError;
    if (got != sizeof onDisk || onDisk.Signature != JamSignature)
        return JamBadReference;
    ApplyChangedBits(&onDisk, &LoadedHeader, &Header, sizeof onDisk);
    if (!WriteAt(Jhr, LoadedOffset, &onDisk, sizeof onDisk))
        return LastIoError;
    Header = onDisk;
    LoadedHeader = onDisk;
    return 0;
}

Status JamMsgBase::RewriteHeader()
{
    if (!LockBase())
        return JamLockFailed;
    Status status = RewriteFixedPart();
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    return status;
}

// The index record decides whether a letter is there, so it changes first:
// when it cannot be written (.jdx read-only, a full disk) nothing else has
// changed, and a writer that dies after it leaves the letter deleted. The
// header's Deleted bit follows; when that cannot be written, the index
// record is put back. The counters change only when both were written.
Status JamMsgBase::DeleteLetter()
{
    if (!LockBase())
        return JamLockFailed;
    Status status = 0;
    JamIndexRecord record{};
    if (!InRange(CurrentNumber) || !LookupIndex(CurrentNumber, record)) {
        status = JamBadReference;
    } else if (Live(record)) {
        // A record that is no longer live: another program deleted the letter already.
        if (LoadedNumber != CurrentNumber || LoadedOffset != record.HdrOffset)
            LoadHeader();
        status = LoadedNumber == CurrentNumber ? WriteIndexRecord(CurrentNumber, {0xFFFFFFFF, 0xFFFFFFFF})
                                               : JamBadReference;
        if (status == 0) {
            SetFlag(JamDeleted, true);
            status = MergeFixedPart();
            if (status != 0) {
                SetFlag(JamDeleted, false);
                WriteIndexRecord(CurrentNumber, record);
            }
        }
        if (status == 0) {
            if (BaseHeader.ActiveMsgs > 0)
                --BaseHeader.ActiveMsgs;
            ++BaseHeader.ModCounter;
        }
    }
    if (!UnlockBase() && status == 0)
        status = LastIoError;
    return status;
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
        if (!Live(record) || std::find(FindCrcs.begin(), FindCrcs.end(), record.UserCRC) == FindCrcs.end())
            continue;
        LoadHeader();
        if (LoadStatus != 0 || HasFlag(JamReceived))
            continue;
        const std::string to = Utf8Upper(GetTo());
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
