#include "msgbase/squish/SquishMsgBase.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "core/Utf8Text.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "msgbase/squish/SquishHash.h"

namespace {

constexpr std::size_t NameWidth = 35;
constexpr std::size_t SubjectWidth = 71;
constexpr std::size_t BaseNameWidth = 78;
constexpr uint32_t HashMask = 0x7FFFFFFFu;  // bit 31 marks a received letter for some peers

std::string FieldText(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

// Tossers keep the control lines of a letter in the control information at
// the start of the body: each line opened by ^A, no line ends, perhaps a
// zero byte at the end. They are delivered as ordinary control lines.
std::string ControlInfoAsLines(std::string_view info)
{
    std::size_t end = info.find('\0');
    if (end != std::string_view::npos)
        info = info.substr(0, end);
    std::string lines;
    std::size_t start = 0;
    while (start <= info.size()) {
        std::size_t next = info.find(KludgeMark, start);
        if (next == std::string_view::npos)
            next = info.size();
        std::string_view piece = info.substr(start, next - start);
        if (!piece.empty()) {
            lines += KludgeMark;
            lines.append(piece);
            lines += '\r';
        }
        start = next + 1;
    }
    return lines;
}

// The set a letter's control information names, from as much of it as was
// read (the whole is `total` bytes): None when no complete CHRS piece is in it.
Charset CharsetOfControlInfo(std::string_view peek, std::size_t total)
{
    const bool cut = peek.size() < total;
    if (std::size_t end = peek.find('\0'); end != std::string_view::npos)
        peek = peek.substr(0, end);
    std::size_t start = 0;
    while (start < peek.size()) {
        std::size_t next = peek.find(KludgeMark, start);
        const bool whole = next != std::string_view::npos || !cut;
        if (next == std::string_view::npos)
            next = peek.size();
        std::string_view piece = peek.substr(start, next - start);
        if (whole && IsCharsetKludge(piece))
            return CharsetOfKludge(piece);
        start = next + 1;
    }
    return Charset::None;
}

bool EndsWithSquishExtension(const std::string& name)
{
    if (name.size() <= 4)
        return false;
    std::string ext = LowerAscii(name.substr(name.size() - 4));
    return ext == ".sqd" || ext == ".sqi" || ext == ".sql";
}

}  // namespace

SquishMsgBase::SquishMsgBase()
{
    FreeCache.reserve(FreeCacheSize);
}

SquishMsgBase::~SquishMsgBase()
{
    CloseBase();
}

Status SquishMsgBase::Fail(Status status)
{
    StatusWord = status;
    return status;
}

// ---------------------------------------------------------------- names

void SquishMsgBase::SetBasePath(const std::string& spec)
{
    Path = ExpandName(spec);
    // Only a Squish extension that ends the last component is cut: full
    // stops elsewhere belong to directory names (~/.fido) or to base names
    // made from the area tag (ru.test).
    std::size_t slash = Path.rfind('/');
    std::string last = slash == std::string::npos ? Path : Path.substr(slash + 1);
    if (EndsWithSquishExtension(last))
        Path.resize(Path.size() - 4);
}

// The name of one of the base's files. An existing file is found whatever
// its case; a missing one follows the case of the base's other files, lower
// case in a new base.
std::string SquishMsgBase::FileName(const char* lowerExtension) const
{
    std::string name = Path + lowerExtension;
    if (RegularFileExists(name))
        return name;
    for (const char* sibling : {".sqd", ".sqi", ".sql"}) {
        if (RegularFileExists(Path + sibling)) {
            std::string found = ToOsPath(Path + sibling);  // RU.TEST.SQD for ru.test
            NameCase style = CaseOfName(found.substr(found.size() - 3));
            return found.substr(0, found.size() - 4) +
                   ApplyNameCase(lowerExtension, style == NameCase::Upper ? NameCase::Upper : NameCase::Lower);
        }
    }
    return name;
}

// A base is there once .SQD holds its header, and so is what is left of one
// whose .SQD is gone while .SQI still names letters: nobody may create a
// base over that (OpenBase refuses it). An .SQD too short for its header,
// beside an index without letters, is a creation broken off: no base yet.
bool SquishMsgBase::BaseExists()
{
    return FileSizeByName(FileName(".sqd")) >= int64_t(SquishBaseHeaderSize) || IndexHasLetters();
}

// ---------------------------------------------------------------- files

bool SquishMsgBase::ReadAt(uint64_t offset, void* buffer, uint32_t size)
{
    uint32_t got = 0;
    if (!SeekRecord(Sqd, static_cast<int64_t>(offset)) || !ReadRecords(Sqd, buffer, size, got)) {
        StatusWord = LastIoError;
        return false;
    }
    if (got != size) {
        StatusWord = SquishShortRead;
        return false;
    }
    return true;
}

uint32_t SquishMsgBase::ReadUpTo(uint64_t offset, void* buffer, uint32_t size)
{
    uint32_t got = 0;
    if (!SeekRecord(Sqd, static_cast<int64_t>(offset)) || !ReadRecords(Sqd, buffer, size, got)) {
        StatusWord = LastIoError;
        return 0;
    }
    return got;
}

bool SquishMsgBase::WriteAt(uint64_t offset, const void* buffer, uint32_t size)
{
    if (!SeekRecord(Sqd, static_cast<int64_t>(offset)) || !WriteRecords(Sqd, buffer, size)) {
        StatusWord = LastIoError;
        return false;
    }
    return true;
}

// Frames never lie inside the base header; one that would is damage.
bool SquishMsgBase::ReadFrameHeader(uint32_t offset, SquishFrameHeader& frame)
{
    if (offset < HeaderLen) {
        StatusWord = SquishShortRead;
        return false;
    }
    SquishFrameHeader read{};
    if (!ReadAt(offset, &read, sizeof read))
        return false;
    frame = read;
    return true;
}

bool SquishMsgBase::WriteFrameHeader(uint32_t offset, const SquishFrameHeader& frame)
{
    if (offset < HeaderLen) {
        StatusWord = SquishShortRead;
        return false;
    }
    return WriteAt(offset, &frame, sizeof frame);
}

int64_t SquishMsgBase::SqdSize()
{
    int64_t size = FileSizeBytes(Sqd);
    if (size < 0)
        StatusWord = LastIoError;
    return size;
}

// ---------------------------------------------------------------- the base

// A new base is the index and last-read files, then .SQD: a base is there
// once .SQD holds its header. An .SQD shorter than that is a creation broken
// off and is finished here, under the lock, so that two programs creating
// the same base at once write it once. A .SQI that holds letters is never
// emptied: its .SQD was lost, and a new one would turn the letters into
// others' frames.
Status SquishMsgBase::CreateBase(uint16_t maxLetters, uint16_t maxDays)
{
    if (Sqd.IsOpen())
        return Fail(SquishBaseOpen);
    if (FileSizeByName(FileName(".sqd")) >= int64_t(SquishBaseHeaderSize))
        return Fail(SquishBaseExists);  // never wipe a base someone else made meanwhile
    if (IndexHasLetters())
        return Fail(SquishPartlyMissing);
    std::size_t slash = Path.rfind('/');
    if (slash != std::string::npos)
        MakePath(Path.substr(0, slash + 1));

    SquishBaseHeader header{};
    header.len = SquishBaseHeaderSize;
    header.sz_sqhdr = static_cast<uint16_t>(FrameHeaderLen);
    header.uid = 1;
    CopyToBuffer(Path, BaseNameWidth, header.base);
    header.max_msg = maxLetters;
    header.keep_days = maxDays;
    header.end_frame = SquishBaseHeaderSize;

    for (const char* extension : {".sqi", ".sql"}) {
        std::string name = FileName(extension);
        if (!FileExists(name))
            SaveFile(name, nullptr, 0);
    }
    return Fail(WriteNewBaseHeader(FileName(".sqd"), header));
}

bool SquishMsgBase::IndexHasLetters() const
{
    return FileSizeByName(FileName(".sqi")) >= int64_t(SquishIndexRecordSize);
}

Status SquishMsgBase::WriteNewBaseHeader(const std::string& sqdName, const SquishBaseHeader& header)
{
    if (Status created = SaveFile(sqdName, nullptr, 0); created != 0)  // made when missing, never cut
        return created;
    FileRecord sqd;
    BindFile(sqd, sqdName);
    if (!OpenExisting(sqd, 1, OpenMode::ReadWrite))
        return LastIoError;
    if (LockRegion(sqd, 0, 1) != 0)
        return SquishNoLock;
    Status status = 0;
    int64_t size = FileSizeBytes(sqd);
    if (size < 0)
        status = LastIoError;
    else if (size >= int64_t(SquishBaseHeaderSize))
        status = SquishBaseExists;
    else if (!SeekRecord(sqd, 0) || !WriteRecords(sqd, &header, sizeof header))
        status = LastIoError;
    UnlockRegion(sqd, 0, 1);
    CloseFile(sqd);
    return status;
}

Status SquishMsgBase::OpenBase()
{
    StatusWord = 0;
    if (!Sqi.IsOpen()) {
        BindFile(Sqi, FileName(".sqi"));
        if (!OpenExisting(Sqi, SquishIndexRecordSize, OpenMode::ReadWrite))
            return Fail(SquishNoIndexFile);
    }
    Status status = 0;
    if (!Sqd.IsOpen()) {
        BindFile(Sqd, FileName(".sqd"));
        if (!OpenExisting(Sqd, 1, OpenMode::ReadWrite))
            status = LastIoError == 2 && IndexHasLetters() ? SquishPartlyMissing : LastIoError;
    }
    Status readStatus = ReadBaseAgain(true);
    return Fail(status != 0 ? status : readStatus);
}

Status SquishMsgBase::CloseBase()
{
    ForgetReadAhead();
    if (Locked)
        ReleaseLock();
    if (Sqd.IsOpen())
        CloseFile(Sqd);
    if (Sqi.IsOpen())
        CloseFile(Sqi);
    return 0;
}

// Under the lock the base header is read afresh, and the index with it when
// another writer changed the files since this object last saw them. An
// index that had to be repaired as it was read (records dropped) is written
// anew before anything else, so that positions in the image are positions in
// the file; when that fails, the lock is given back and nothing may change.
bool SquishMsgBase::LockBase()
{
    if (Locked)
        return false;
    Locked = LockRegion(Sqd, 0, 1) == 0;
    if (!Locked)
        StatusWord = SquishNoLock;
    Status status = ReadBaseAgain(false);
    if (Locked && status == 0 && IndexRepaired) {
        status = WriteIndex();
        IndexRepaired = status != 0;
    }
    if (Locked && status != 0) {
        // A header that cannot be read now must not be written back.
        IndexInDoubt = true;
        ReleaseLock();
        StatusWord = status;
    }
    return Locked;
}

// Still under the lock, the files are what this object's images say (its
// own changes were written as they were made), unless a change failed: then
// the next look reads the index again.
bool SquishMsgBase::ReleaseLock()
{
    FilesState now;
    IndexState = !IndexInDoubt && HaveIndex && ReadFilesState(now) == 0 ? now : FilesState{};
    IndexInDoubt = false;
    bool released = UnlockRegion(Sqd, 0, 1) == 0;
    Locked = false;
    return released;
}

// Every change was written as it was made: releasing the lock is all that is left.
bool SquishMsgBase::UnlockBase()
{
    if (!Locked)
        return false;
    return ReleaseLock();
}

bool SquishMsgBase::BeginChange(bool& tookLock)
{
    ForgetReadAhead();
    tookLock = !Locked;
    if (tookLock && !LockBase()) {
        tookLock = false;
        return false;
    }
    return true;
}

Status SquishMsgBase::EndChange(bool tookLock, Status status)
{
    if (tookLock && !ReleaseLock() && status == 0)
        status = LastIoError;
    return Fail(status);
}

uint32_t SquishMsgBase::CountLetters()
{
    SquishBaseHeader header{};
    if (LoadFile(FileName(".sqd"), &header, sizeof header) != 0)
        return 0;
    int64_t records = FileSizeByName(FileName(".sqi")) / SquishIndexRecordSize;
    return static_cast<uint32_t>(std::clamp<int64_t>(records, 0, header.num_msg));
}

Num SquishMsgBase::GetHighNumber()
{
    return std::max(Base.uid == 0 ? 0 : Base.uid - 1, HighestIndexUid);
}

// ---------------------------------------------------------------- header fields

void SquishMsgBase::SetAttr(uint32_t bit, bool on)
{
    Msg.attr = on ? (Msg.attr | bit) : (Msg.attr & ~bit);
}

namespace {

const FlagBit SquishFlagBits[] = {
    {LetterFlag::Local, SquishAttrLocal},
    {LetterFlag::Received, SquishAttrReceived},
    {LetterFlag::Private, SquishAttrPrivate},
    {LetterFlag::Crash, SquishAttrCrash},
    {LetterFlag::KillSent, SquishAttrKillSent},
    {LetterFlag::Sent, SquishAttrSent},
    {LetterFlag::FileAttach, SquishAttrFileAttach},
    {LetterFlag::ReceiptRequest, SquishAttrReceiptRequest},
    {LetterFlag::AuditRequest, SquishAttrAuditRequest},
    {LetterFlag::ReturnReceipt, SquishAttrReturnReceipt},
    {LetterFlag::FileRequest, SquishAttrFileRequest},
    {LetterFlag::Read, SquishAttrRead},
};

FidoAddress AddressOf(const SquishAddress& a)
{
    return {a.zone, a.net, a.node, a.point};
}
SquishAddress StoredAddress(const FidoAddress& a)
{
    return {a.Zone, a.Net, a.Node, a.Point};
}

}  // namespace

// Deleted letters leave the index: never Deleted. Echo is the absence of
// the Scanned bit the tosser sets once it exported the letter.
LetterHeader SquishMsgBase::Header()
{
    LetterHeader header;
    header.Number = GetNumber();
    header.From = DecodeHeader(FieldText(Msg.from, sizeof Msg.from));
    header.To = DecodeHeader(FieldText(Msg.to, sizeof Msg.to));
    header.Subject = StripRePrefixes(DecodeHeader(FieldText(Msg.subj, sizeof Msg.subj)));
    header.Orig = AddressOf(Msg.orig);
    header.Dest = AddressOf(Msg.dest);
    header.ReplyTo = Msg.replyto;
    header.FirstReply = Msg.replies[0];
    header.Written = DosToDateTime(SwapDosHalves(Msg.date_written));
    header.Processed = DosToDateTime(SwapDosHalves(Msg.date_arrived));
    header.Flags = FlagsOfWord(Msg.attr, SquishFlagBits);
    header.Flags.Set(LetterFlag::Echo, !HasAttr(SquishAttrScanned));
    header.Set = HeaderDecodingSet();
    return header;
}

// The fields that differ from the header as it stands. The date is stamped
// on a new letter by WriteLetter; a stored letter keeps its date. The export
// mark is only ever set here: the tosser clears it.
void SquishMsgBase::ApplyHeader(const LetterHeader& wanted)
{
    const LetterHeader was = Header();
    if (wanted.From != was.From)
        CopyToBuffer(EncodeField(wanted.From, NameWidth), NameWidth, Msg.from);
    if (wanted.To != was.To)
        CopyToBuffer(EncodeField(wanted.To, NameWidth), NameWidth, Msg.to);
    if (wanted.Subject != was.Subject)
        CopyToBuffer(EncodeField(wanted.Subject, SubjectWidth), SubjectWidth, Msg.subj);
    Msg.orig = StoredAddress(wanted.Orig);
    Msg.dest = StoredAddress(wanted.Dest);
    Msg.replyto = wanted.ReplyTo;
    Msg.replies[0] = wanted.FirstReply;
    NextDate = wanted.Written;
    Msg.attr = WordWithChangedFlags(Msg.attr, was.Flags, wanted.Flags, SquishFlagBits);
    if (wanted.Flags.Has(LetterFlag::Echo))
        SetAttr(SquishAttrScanned, false);
}

// ---------------------------------------------------------------- walking

Num SquishMsgBase::GetNumber()
{
    return IndexPos >= 1 && IndexPos <= Count() ? Index[IndexPos - 1].umsgid : 0;
}

Num SquishMsgBase::GetDisplayNumber() { return IndexPos; }
uint32_t SquishMsgBase::GetPosition() { return GetNumber(); }
void SquishMsgBase::SetPosition(uint32_t position) { SeekFirst(position); }

// The base is looked at again, so that a walk sees the letters others
// stored or deleted since the base was opened. Under this object's lock
// nobody else changes it: the images in memory are kept.
void SquishMsgBase::Refresh()
{
    if (!Locked)
        ReadBaseAgain(false);
}

void SquishMsgBase::SeekFirst(Num number)
{
    ForgetReadAhead();
    Refresh();
    IndexPos = PositionFrom(number);
}

// The position of the letter with this number, else of the first letter
// with a higher one; past the end when there is none.
uint32_t SquishMsgBase::PositionFrom(Num number) const
{
    auto below = [](const SquishIndexRecord& record, Num n) { return record.umsgid < n; };
    return static_cast<uint32_t>(std::lower_bound(Index.begin(), Index.end(), number, below) - Index.begin()) + 1;
}

void SquishMsgBase::SeekNext()
{
    if (IndexPos <= Count())
        ++IndexPos;
}

void SquishMsgBase::SeekPrior()
{
    ForgetReadAhead();
    IndexPos = IndexPos < 2 ? 0 : IndexPos - 1;
}

bool SquishMsgBase::SeekFound()
{
    return IndexPos >= 1 && IndexPos <= Count();
}

// A header that cannot be read leaves nothing of another letter behind:
// the getters give empty values and HeaderStatus says why.
void SquishMsgBase::LoadHeader()
{
    BeginHeader();
    HeaderLoaded = false;
    Frame = {};
    Msg = {};
    LoadedMsg = {};
    HeaderError = SquishNoSuchLetter;
    if (!SeekFound()) {
        FrameOffset = 0;
        CurrentUid = 0;
        return;
    }
    const SquishIndexRecord& record = Index[IndexPos - 1];
    FrameOffset = record.ofs;
    CurrentUid = record.umsgid;
    HeaderError = SquishShortRead;
    if (FrameOffset < HeaderLen)
        return;
    const char* headers = HeadersOf(IndexPos);
    if (!headers) {
        HeaderError = StatusWord;
        return;
    }
    std::memcpy(&Frame, headers, sizeof Frame);
    std::memcpy(&Msg, headers + FrameHeaderLen, sizeof Msg);
    LoadedMsg = Msg;
    HeaderLoaded = true;
    HeaderError = 0;
    HeaderCharset = CharsetOfControlInfo(ControlInfoStart(headers), Frame.clen);
}

// The first bytes (at most ControlPeekSize) of the loaded letter's control
// information, where tossers keep its CHRS: from the block read ahead, which
// mostly holds them (a walk reads through the texts between headers), else
// by one small read.
std::string_view SquishMsgBase::ControlInfoStart(const char* headers)
{
    constexpr uint32_t ControlPeekSize = 512;
    const uint32_t wanted = std::min<uint32_t>(Frame.clen, ControlPeekSize);
    if (wanted == 0)
        return {};
    const uint64_t span = uint64_t(FrameHeaderLen) + SquishMessageHeaderSize;
    const char* blockEnd = Ahead.Bytes.data() + Ahead.Bytes.size();
    if (headers >= Ahead.Bytes.data() && headers + span + wanted <= blockEnd)
        return std::string_view(headers + span, wanted);
    ControlPeek.resize(wanted);
    ControlPeek.resize(ReadUpTo(uint64_t(FrameOffset) + span, ControlPeek.data(), wanted));
    return ControlPeek;
}

// The frame header and the message header of the letter at an index
// position, from the block read ahead when it holds them. A walk (the letter
// after the one loaded last) reads the headers of the letters that follow in
// the same read while their frames lie close behind each other, as a base's
// frames mostly do: one read for many letters. Anywhere else only the one
// letter's headers are read. What was read ahead serves for a short time
// only, so that a walk that pauses (window messages run between letters)
// does not show a header another program changed meanwhile. nullptr when
// the headers cannot be read.
const char* SquishMsgBase::HeadersOf(uint32_t position)
{
    constexpr uint64_t MaxBlock = 128 * 1024;  // bytes read ahead at once
    constexpr uint64_t MaxGap = 16 * 1024;     // text between two headers that is read through
    constexpr auto MaxAge = std::chrono::milliseconds(50);
    const uint64_t span = uint64_t(FrameHeaderLen) + SquishMessageHeaderSize;
    const uint64_t at = Index[position - 1].ofs;
    const bool walking = position == LastLoaded + 1;
    LastLoaded = position;
    const auto now = std::chrono::steady_clock::now();
    if (at >= Ahead.At && at + span <= Ahead.At + Ahead.Bytes.size() && now - Ahead.When < MaxAge)
        return Ahead.Bytes.data() + (at - Ahead.At);

    uint64_t end = at + span;
    for (uint32_t next = position; walking && next < Count(); ++next) {
        const uint64_t following = Index[next].ofs;
        if (following < end || following - end > MaxGap || following + span - at > MaxBlock)
            break;
        end = following + span;
    }
    Ahead.At = at;
    Ahead.When = now;
    Ahead.Bytes.resize(end - at);
    uint32_t got = 0;
    if (!SeekRecord(Sqd, static_cast<int64_t>(at)) ||
        !ReadRecords(Sqd, Ahead.Bytes.data(), static_cast<uint32_t>(Ahead.Bytes.size()), got)) {
        StatusWord = LastIoError;
        got = 0;
    } else if (got < span) {
        StatusWord = SquishShortRead;
    }
    Ahead.Bytes.resize(got);
    return got >= span ? Ahead.Bytes.data() : nullptr;
}

void SquishMsgBase::ForgetReadAhead()
{
    Ahead.Bytes.clear();
    LastLoaded = 0;
}

// ---------------------------------------------------------------- reading the text

void SquishMsgBase::StartText()
{
    ReadBuffer.clear();
    ReadPos = 0;
    ReadLimit = 0;
    LastLineWrapped = false;
    if (!HeaderLoaded)
        return;
    // The body's size comes from the letter (msg_length; a reused frame is
    // larger), never more than the frame holds or the file has.
    const uint32_t msgLength = Frame.msg_length, frameLength = Frame.frame_length;
    uint64_t used = std::min(msgLength, frameLength);
    uint64_t bodyLength = used > SquishMessageHeaderSize ? used - SquishMessageHeaderSize : 0;
    uint64_t bodyOffset = uint64_t(FrameOffset) + FrameHeaderLen + SquishMessageHeaderSize;
    int64_t fileSize = SqdSize();
    if (fileSize < 0)
        return;
    bodyLength = uint64_t(fileSize) > bodyOffset ? std::min<uint64_t>(bodyLength, uint64_t(fileSize) - bodyOffset) : 0;

    std::string body(bodyLength, '\0');
    if (bodyLength > 0 && !ReadAt(bodyOffset, body.data(), static_cast<uint32_t>(bodyLength)))
        return;
    std::size_t controlLength = std::min<std::size_t>(Frame.clen, body.size());
    ReadBuffer = ControlInfoAsLines(std::string_view(body).substr(0, controlLength));
    std::size_t textStart = ReadBuffer.size();
    ReadBuffer.append(body, controlLength, std::string::npos);
    std::size_t zero = ReadBuffer.find('\0', textStart);
    ReadLimit = zero == std::string::npos ? ReadBuffer.size() : zero;  // a zero byte ends the text
    ResolveTextCharset(std::string_view(ReadBuffer).substr(0, ReadLimit));
}

char SquishMsgBase::ReadChar()
{
    return ReadPos < ReadLimit ? ReadBuffer[ReadPos++] : '\0';
}

bool SquishMsgBase::TextEnded()
{
    return ReadPos >= ReadLimit;
}

int64_t SquishMsgBase::GetTextPos()
{
    return static_cast<int64_t>(ReadPos);
}

void SquishMsgBase::SetTextPos(int64_t position)
{
    ReadPos = static_cast<std::size_t>(std::clamp<int64_t>(position, 0, static_cast<int64_t>(ReadLimit)));
}

// ---------------------------------------------------------------- searching

void SquishMsgBase::FindMailFirst(const std::string& name, const std::string& alias)
{
    IndexPos = 0;
    ForgetReadAhead();
    Refresh();
    SearchName = Utf8Upper(name);
    SearchAlias = Utf8Upper(alias);
    // The index holds the hash of the stored name, in the set of its letter.
    SearchHashes.clear();
    for (const std::string& form : StoredFormsOf({name, alias}, NameWidth))
        SearchHashes.push_back(SquishHash(form));
    FindMailNext();
}

bool SquishMsgBase::MatchesSearch()
{
    std::string to = Utf8Upper(DecodeHeader(FieldText(Msg.to, sizeof Msg.to)));
    return to == SearchName || (!SearchAlias.empty() && to == SearchAlias);
}

void SquishMsgBase::FindMailNext()
{
    if (IndexPos <= Count())
        ++IndexPos;
    for (; IndexPos <= Count(); ++IndexPos) {
        uint32_t hash = Index[IndexPos - 1].hash & HashMask;
        if (std::find(SearchHashes.begin(), SearchHashes.end(), hash) == SearchHashes.end())
            continue;
        LoadHeader();
        if (HeaderLoaded && !HasAttr(SquishAttrReceived) && MatchesSearch())
            return;
    }
}

bool SquishMsgBase::MailFound()
{
    return IndexPos >= 1 && IndexPos <= Count();
}

// ---------------------------------------------------------------- last-read values

Num SquishMsgBase::GetLastRead(uint32_t user)
{
    std::string name = FileName(".sql");
    const int64_t offset = int64_t(user) * 4;
    if (FileSizeByName(name) < offset + 4)
        return 0;
    uint32_t value = 0;
    return LoadFilePart(name, &value, sizeof value, offset) == 0 ? value : 0;
}

void SquishMsgBase::SetLastRead(uint32_t user, Num number)
{
    std::string name = FileName(".sql");
    const int64_t offset = int64_t(user) * 4;
    Status status = 0;
    if (FileSizeByName(name) < offset + 4)
        status = ExtendFile(name, offset + 4);
    if (status == 0)
        status = SaveFilePart(name, &number, sizeof number, offset);
    StatusWord = status;
}
