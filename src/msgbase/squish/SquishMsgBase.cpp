#include "msgbase/squish/SquishMsgBase.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "core/CodePage.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "msgbase/squish/SquishHash.h"

namespace {

constexpr std::size_t FreeCacheSize = 500;
constexpr std::size_t NameWidth = 35;
constexpr std::size_t SubjectWidth = 71;
constexpr std::size_t BaseNameWidth = 78;
constexpr uint32_t HashMask = 0x7FFFFFFFu;  // bit 31 marks a received letter for some peers

std::string FieldText(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

// The stored date keeps the DOS date in its low word and the time in its high word.
uint32_t SwapHalves(uint32_t value)
{
    return (value >> 16) | (value << 16);
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

// Frames are written over only where a frame of the expected kind stands:
// an offset from a damaged chain or index never makes a write over text.
bool IsFrameOf(const SquishFrameHeader& frame, uint16_t kind)
{
    return frame.id == SquishFrameId && frame.frame_type == kind;
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
            std::string found = Utf8ToAnsi(ToOsPath(Path + sibling));  // RU.TEST.SQD for ru.test
            NameCase style = CaseOfName(found.substr(found.size() - 3));
            return found.substr(0, found.size() - 4) +
                   ApplyNameCase(lowerExtension, style == NameCase::Upper ? NameCase::Upper : NameCase::Lower);
        }
    }
    return name;
}

bool SquishMsgBase::BaseExists()
{
    return FileExists(Path + ".sqd");
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

Status SquishMsgBase::ReadBaseHeader()
{
    uint16_t len = 0;
    if (!ReadAt(0, &len, sizeof len))
        return StatusWord;
    uint32_t length = len == 0 ? SquishBaseHeaderSize : len;
    // A header shorter than its own fields cannot be read or written back
    // without damage; neither can one with frame headers shorter than theirs.
    if (length > SquishMaxBaseHeaderSize || length < SquishBaseHeaderSize)
        return Fail(SquishBadHeader);
    std::array<char, SquishMaxBaseHeaderSize> image{};
    if (!ReadAt(0, image.data(), length))
        return StatusWord;
    SquishBaseHeader header;
    std::memcpy(&header, image.data(), sizeof header);
    uint32_t frameHeaderLen = header.sz_sqhdr == 0 ? SquishFrameHeaderSize : header.sz_sqhdr;
    if (frameHeaderLen < SquishFrameHeaderSize)
        return Fail(SquishBadHeader);
    Base = header;
    std::memcpy(BaseTail.data(), image.data() + SquishBaseHeaderSize, BaseTail.size());
    HeaderLen = length;
    FrameHeaderLen = frameHeaderLen;
    return 0;
}

Status SquishMsgBase::WriteBaseHeader()
{
    std::array<char, SquishMaxBaseHeaderSize> image{};
    std::memcpy(image.data(), &Base, sizeof Base);
    std::memcpy(image.data() + SquishBaseHeaderSize, BaseTail.data(), BaseTail.size());
    return WriteAt(0, image.data(), HeaderLen) ? 0 : StatusWord;
}

// The index image holds the first num_msg records of .SQI. A shorter .SQI
// limits the letters to its records; records past num_msg (peers leave a
// blank one behind after deleting) are not letters.
Status SquishMsgBase::LoadIndex()
{
    HaveIndex = false;
    Index.clear();
    int64_t records = FileSizeRecords(Sqi);
    if (records < 0 || !SeekRecord(Sqi, 0))
        return Fail(SquishIndexSeek);
    uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(records, Base.num_msg));
    try {
        Index.resize(wanted);
    } catch (const std::bad_alloc&) {
        Index = {};
        return Fail(SquishNoIndex);
    }
    uint32_t got = 0;
    if (wanted > 0 && !ReadRecords(Sqi, Index.data(), wanted, got)) {
        Index.clear();
        return Fail(LastIoError);
    }
    Index.resize(got);
    Base.num_msg = got;
    HaveIndex = true;
    return 0;
}

// Writes the records first and cuts the file after them, so that a failed
// write never leaves an empty index behind.
Status SquishMsgBase::WriteIndex()
{
    if (!HaveIndex)
        return Fail(SquishNoIndex);
    if (!SeekRecord(Sqi, 0))
        return Fail(SquishIndexSeek);
    if (!Index.empty() && !WriteRecords(Sqi, Index.data(), Count()))
        return Fail(LastIoError);
    if (!SeekRecord(Sqi, Count()) || !TruncateFile(Sqi))
        return Fail(SquishIndexSeek);
    return 0;
}

// ---------------------------------------------------------------- the base

Status SquishMsgBase::CreateBase(uint16_t maxLetters, uint16_t maxDays)
{
    if (Sqd.IsOpen())
        return Fail(SquishBaseOpen);
    if (BaseExists())
        return Fail(SquishBaseExists);  // never wipe a base someone else made meanwhile
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

    std::string sqdName = FileName(".sqd");
    std::string sqiName = FileName(".sqi");
    std::string sqlName = FileName(".sql");
    Status status = SaveFile(sqdName, &header, sizeof header);
    FileRecord index;
    BindFile(index, sqiName);
    CreateFile(index, SquishIndexRecordSize);  // a stale index of a vanished base goes
    CloseFile(index);
    SaveFile(sqlName, nullptr, 0);
    return Fail(status);
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
            status = LastIoError;
        else
            status = ReadBaseHeader();
    }
    Status indexStatus = LoadIndex();
    return Fail(status != 0 ? status : indexStatus);
}

Status SquishMsgBase::CloseBase()
{
    if (Locked)
        WriteBackAndUnlock();  // changes made under the caller's lock are not lost
    if (Sqd.IsOpen())
        CloseFile(Sqd);
    if (Sqi.IsOpen())
        CloseFile(Sqi);
    return 0;
}

bool SquishMsgBase::LockBase()
{
    if (Locked)
        return false;
    Locked = LockRegion(Sqd, 0, 1) == 0;
    if (!Locked)
        StatusWord = SquishNoLock;
    Status header = ReadBaseHeader();
    LoadIndex();
    FreeCacheValid = false;
    if (Locked && header != 0) {
        // A header that cannot be read now must not be written back.
        UnlockRegion(Sqd, 0, 1);
        Locked = false;
        StatusWord = header;
    }
    return Locked;
}

Status SquishMsgBase::WriteBackAndUnlock()
{
    Status status = WriteBaseHeader();
    Status indexStatus = WriteIndex();
    bool released = UnlockRegion(Sqd, 0, 1) == 0;
    Locked = false;
    if (status == 0)
        status = indexStatus;
    if (status == 0 && !released)
        status = LastIoError;
    return Fail(status);
}

bool SquishMsgBase::UnlockBase()
{
    if (!Locked)
        return false;
    WriteBackAndUnlock();
    return !Locked && StatusWord == 0;
}

bool SquishMsgBase::BeginChange(bool& tookLock)
{
    tookLock = !Locked;
    if (tookLock && !LockBase()) {
        tookLock = false;
        return false;
    }
    return true;
}

Status SquishMsgBase::EndChange(bool tookLock, Status status)
{
    if (tookLock) {
        Status writeBack = WriteBackAndUnlock();
        if (status == 0)
            status = writeBack;
    }
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
    return Base.uid == 0 ? 0 : Base.uid - 1;
}

// ---------------------------------------------------------------- header fields

void SquishMsgBase::SetAttr(uint32_t bit, bool on)
{
    Msg.attr = on ? (Msg.attr | bit) : (Msg.attr & ~bit);
}

void SquishMsgBase::SetDestAddr(const FidoAddress& a)
{
    Msg.dest = {a.Zone, a.Net, a.Node, a.Point};
}

void SquishMsgBase::SetOrigAddr(const FidoAddress& a)
{
    Msg.orig = {a.Zone, a.Net, a.Node, a.Point};
}

void SquishMsgBase::GetOrigAddr(FidoAddress& a)
{
    a = {Msg.orig.zone, Msg.orig.net, Msg.orig.node, Msg.orig.point};
}

void SquishMsgBase::GetDestAddr(FidoAddress& a)
{
    a = {Msg.dest.zone, Msg.dest.net, Msg.dest.node, Msg.dest.point};
}

void SquishMsgBase::SetFrom(const std::string& name)
{
    CopyToBuffer(AnsiToOemText(name), NameWidth, Msg.from);
}

void SquishMsgBase::SetTo(const std::string& name)
{
    CopyToBuffer(AnsiToOemText(name), NameWidth, Msg.to);
}

void SquishMsgBase::SetSubject(const std::string& text)
{
    CopyToBuffer(AnsiToOemText(text), SubjectWidth, Msg.subj);
}

std::string SquishMsgBase::GetFrom()
{
    return OemToAnsiText(FieldText(Msg.from, sizeof Msg.from));
}

std::string SquishMsgBase::GetTo()
{
    return OemToAnsiText(FieldText(Msg.to, sizeof Msg.to));
}

std::string SquishMsgBase::GetSubject()
{
    return StripRePrefixes(OemToAnsiText(FieldText(Msg.subj, sizeof Msg.subj)));
}

void SquishMsgBase::SetReplyTo(Num number) { Msg.replyto = number; }
void SquishMsgBase::SetFirstReply(Num number) { Msg.replies[0] = number; }
Num SquishMsgBase::GetReplyTo() { return Msg.replyto; }
Num SquishMsgBase::GetFirstReply() { return Msg.replies[0]; }
void SquishMsgBase::SetDateTime(DateTime when) { NextDate = when; }

DateTime SquishMsgBase::GetDateTime()
{
    return DosToDateTime(SwapHalves(Msg.date_written));
}

// ---------------------------------------------------------------- walking

Num SquishMsgBase::GetNumber()
{
    return IndexPos >= 1 && IndexPos <= Count() ? Index[IndexPos - 1].umsgid : 0;
}

Num SquishMsgBase::GetDisplayNumber() { return IndexPos; }
uint32_t SquishMsgBase::GetPosition() { return GetNumber(); }
void SquishMsgBase::SetPosition(uint32_t position) { SeekFirst(position); }

// The base header and the index are read again, so that a walk sees the
// letters others stored or deleted since the base was opened. Under this
// object's lock the images in memory are the newer ones (they are written
// back at UnlockBase) and are kept.
void SquishMsgBase::Refresh()
{
    if (Locked)
        return;
    ReadBaseHeader();
    LoadIndex();
}

void SquishMsgBase::SeekFirst(Num number)
{
    Refresh();
    IndexPos = 1;
    while (IndexPos <= Count() && Index[IndexPos - 1].umsgid < number)
        ++IndexPos;
}

void SquishMsgBase::SeekNext()
{
    if (IndexPos <= Count())
        ++IndexPos;
}

void SquishMsgBase::SeekPrior()
{
    IndexPos = IndexPos < 2 ? 0 : IndexPos - 1;
}

bool SquishMsgBase::SeekFound()
{
    return IndexPos >= 1 && IndexPos <= Count();
}

// When the frame cannot be read the headers of the previous letter stay in
// memory (getters keep their values), but nothing may be written over this
// letter's frame with them.
void SquishMsgBase::LoadHeader()
{
    HeaderLoaded = false;
    if (!SeekFound()) {
        FrameOffset = 0;
        CurrentUid = 0;
        return;
    }
    const SquishIndexRecord& record = Index[IndexPos - 1];
    FrameOffset = record.ofs;
    CurrentUid = record.umsgid;
    if (FrameOffset < HeaderLen) {
        StatusWord = SquishShortRead;
        return;
    }
    SquishFrameHeader frame{};
    SquishMessageHeader message{};
    if (FrameHeaderLen == SquishFrameHeaderSize) {
        char both[SquishFrameHeaderSize + SquishMessageHeaderSize];
        if (!ReadAt(FrameOffset, both, sizeof both))
            return;
        std::memcpy(&frame, both, sizeof frame);
        std::memcpy(&message, both + SquishFrameHeaderSize, sizeof message);
    } else if (!ReadAt(FrameOffset, &frame, sizeof frame) ||
               !ReadAt(uint64_t(FrameOffset) + FrameHeaderLen, &message, sizeof message)) {
        return;
    }
    Frame = frame;
    Msg = message;
    HeaderLoaded = true;
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

// ---------------------------------------------------------------- writing

void SquishMsgBase::StartNewLetter()
{
    Msg = {};
    Frame = {};
    WriteBuffer.clear();
    NextDate = 0;
    HeaderLoaded = false;
    FrameOffset = 0;
    CurrentUid = 0;
}

void SquishMsgBase::WriteChar(char ch)
{
    WriteBuffer += AnsiToOemChar(ch);
}

void SquishMsgBase::FillFreeCache()
{
    FreeCache.clear();
    FreeCacheValid = true;
    int64_t fileSize = SqdSize();
    uint32_t offset = Base.free_frame;
    // The walk ends at the end of the chain, after 500 frames, or at the
    // first sign of damage: a frame seen before (a loop), one that cannot be
    // read, is not free, or does not fit in the file.
    while (offset != 0 && FreeCache.size() < FreeCacheSize) {
        bool seen = std::any_of(FreeCache.begin(), FreeCache.end(),
                                [offset](const FreeEntry& e) { return e.Offset == offset; });
        SquishFrameHeader frame{};
        if (seen || !ReadFrameHeader(offset, frame) || !IsFrameOf(frame, SquishFreeFrame) ||
            uint64_t(offset) + FrameHeaderLen + frame.frame_length > uint64_t(std::max<int64_t>(fileSize, 0)))
            break;
        FreeCache.push_back({offset, frame.frame_length});
        offset = frame.next_frame;
    }
}

// Best fit among the free frames (smallest frame longer than the letter,
// the earlier one on equal lengths); otherwise a new frame at the end.
Status SquishMsgBase::ChooseFrame(uint32_t size, FrameChoice& choice)
{
    if (!FreeCacheValid)
        FillFreeCache();
    for (;;) {
        FreeEntry* best = nullptr;
        for (FreeEntry& entry : FreeCache) {
            if (entry.Offset != 0 && entry.Length > size && (!best || entry.Length < best->Length))
                best = &entry;
        }
        if (!best)
            break;
        SquishFrameHeader frame{};
        bool usable = ReadFrameHeader(best->Offset, frame) && IsFrameOf(frame, SquishFreeFrame) &&
                      frame.frame_length == best->Length;
        uint32_t offset = best->Offset;
        *best = {};
        if (usable) {
            choice = {offset, frame.frame_length, true, frame};
            return 0;
        }
    }
    int64_t fileSize = SqdSize();
    if (fileSize < 0)
        return StatusWord;
    // New frames go at the end of the file: end_frame is not trusted to be
    // past every frame.
    uint64_t offset = std::max<uint64_t>(uint64_t(fileSize), HeaderLen);
    if (offset + FrameHeaderLen + size > std::numeric_limits<uint32_t>::max())
        return Fail(SquishBaseFull);
    choice = {static_cast<uint32_t>(offset), size, false, {}};
    return 0;
}

// Takes a reused frame out of the free chain. Links that lead back to the
// frame itself (a damaged, looping chain) count as no link.
void SquishMsgBase::UnlinkFreeFrame(const FrameChoice& choice)
{
    const uint32_t offset = choice.Offset;
    const uint32_t prev = choice.Old.prev_frame == offset ? 0 : choice.Old.prev_frame;
    const uint32_t next = choice.Old.next_frame == offset ? 0 : choice.Old.next_frame;
    if (prev == 0 || Base.free_frame == offset)
        Base.free_frame = next;
    if (next == 0 || Base.last_free_frame == offset)
        Base.last_free_frame = prev;
    RelinkNeighbour(prev, SquishFreeFrame, &SquishFrameHeader::next_frame, next);
    RelinkNeighbour(next, SquishFreeFrame, &SquishFrameHeader::prev_frame, prev);
}

// Sets one link of a neighbouring frame, when it is a frame of the expected
// kind: a chain damaged elsewhere never makes this write over a letter.
void SquishMsgBase::RelinkNeighbour(uint32_t neighbour, uint16_t kind, uint32_t SquishFrameHeader::*link, uint32_t value)
{
    SquishFrameHeader frame{};
    if (neighbour != 0 && ReadFrameHeader(neighbour, frame) && IsFrameOf(frame, kind)) {
        frame.*link = value;
        WriteFrameHeader(neighbour, frame);
    }
}

void SquishMsgBase::AppendToLetterChain(uint32_t offset)
{
    if (Base.last_frame == 0)
        Base.begin_frame = offset;
    else if (Base.last_frame != offset)
        RelinkNeighbour(Base.last_frame, SquishLetterFrame, &SquishFrameHeader::next_frame, offset);
    Base.last_frame = offset;
}

Status SquishMsgBase::WriteLetter()
{
    StatusWord = 0;
    WriteChar('\0');  // the zero byte ends the text and counts in its length
    uint32_t dos = DateTimeToDos(NextDate);
    Msg.date_written = SwapHalves(dos);
    std::string ftsc = FormatFtscDate(NextDate);
    std::memset(Msg.ftsc_date, 0, sizeof Msg.ftsc_date);
    CopyToBuffer(ftsc, sizeof Msg.ftsc_date - 1, Msg.ftsc_date);

    auto giveUp = [this](Status status) {
        WriteBuffer.pop_back();  // a repeated attempt stores the same text
        return Fail(status);
    };
    if (WriteBuffer.size() > std::numeric_limits<uint32_t>::max() - SquishMessageHeaderSize - FrameHeaderLen)
        return giveUp(SquishBaseFull);
    const uint32_t size = static_cast<uint32_t>(SquishMessageHeaderSize + WriteBuffer.size());

    bool tookLock = false;
    if (!BeginChange(tookLock))
        return giveUp(StatusWord != 0 ? StatusWord : SquishNoLock);
    if (!HaveIndex) {
        EndChange(tookLock, 0);
        return giveUp(SquishNoIndex);
    }
    FrameChoice choice;
    Status status = ChooseFrame(size, choice);

    // The letter is on disk before any chain, header or index points at it.
    SquishFrameHeader frame{};
    frame.id = SquishFrameId;
    frame.prev_frame = Base.last_frame;
    frame.frame_length = choice.Length;
    frame.msg_length = size;
    frame.frame_type = SquishLetterFrame;
    const uint64_t headerAt = uint64_t(choice.Offset) + FrameHeaderLen;
    if (status == 0 &&
        !(WriteAt(headerAt + SquishMessageHeaderSize, WriteBuffer.data(), static_cast<uint32_t>(WriteBuffer.size())) &&
          WriteAt(headerAt, &Msg, sizeof Msg) && WriteFrameHeader(choice.Offset, frame)))
        status = StatusWord;
    if (status != 0) {
        EndChange(tookLock, 0);  // nothing changed: the header and index go back as read
        return giveUp(status);
    }

    if (choice.Reused)
        UnlinkFreeFrame(choice);
    else
        Base.end_frame = static_cast<uint32_t>(headerAt + size);
    AppendToLetterChain(choice.Offset);
    const uint32_t uid = Base.uid;
    Index.push_back({choice.Offset, uid, SquishHash(FieldText(Msg.to, sizeof Msg.to))});
    Base.uid = uid + 1;
    Base.num_msg = Count();
    Base.high_msg = Base.num_msg;
    StatusWord = 0;  // damage met while linking is not the letter's failure
    Purge();

    IndexPos = Count();
    FrameOffset = choice.Offset;
    CurrentUid = uid;
    Frame = frame;
    HeaderLoaded = true;
    return EndChange(tookLock, 0);
}

// The oldest letters after the first skip_msg go first, until the base
// holds max_msg letters. Bases made by this program have no limit.
void SquishMsgBase::Purge()
{
    if (Base.max_msg == 0 || Base.max_msg <= Base.skip_msg)
        return;
    while (Count() > Base.max_msg && Count() > Base.skip_msg) {
        uint32_t before = Count();
        DeleteByUid(Index[Base.skip_msg].umsgid);
        if (Count() >= before)
            break;
    }
    StatusWord = 0;
}

// ---------------------------------------------------------------- changing letters

Status SquishMsgBase::DeleteLetter()
{
    StatusWord = 0;
    if (CurrentUid == 0)
        return Fail(SquishNoSuchLetter);
    bool tookLock = false;
    if (!BeginChange(tookLock))
        return Fail(StatusWord != 0 ? StatusWord : SquishNoLock);
    Status status = HaveIndex ? DeleteByUid(CurrentUid) : SquishNoIndex;
    return EndChange(tookLock, status);
}

// Under the lock. The frame becomes the last free frame; its header and text
// stay until the frame is reused.
Status SquishMsgBase::DeleteByUid(uint32_t uid)
{
    auto found = std::find_if(Index.begin(), Index.end(), [uid](const SquishIndexRecord& r) { return r.umsgid == uid; });
    if (found == Index.end())
        return Fail(SquishNoSuchLetter);
    const uint32_t offset = found->ofs;

    SquishFrameHeader frame{};
    if (ReadFrameHeader(offset, frame) && IsFrameOf(frame, SquishLetterFrame)) {
        const SquishFrameHeader old = frame;
        bool startFreeChain = Base.free_frame == 0 || Base.last_free_frame == 0 || Base.last_free_frame == offset;
        SquishFrameHeader lastFree{};
        if (!startFreeChain && (!ReadFrameHeader(Base.last_free_frame, lastFree) || !IsFrameOf(lastFree, SquishFreeFrame)))
            startFreeChain = true;  // a broken free chain is given up, not followed
        frame.frame_type = SquishFreeFrame;
        frame.next_frame = 0;
        frame.prev_frame = startFreeChain ? 0 : Base.last_free_frame;
        if (!WriteFrameHeader(offset, frame))
            return StatusWord;  // nothing changed yet

        const uint32_t prev = old.prev_frame == offset ? 0 : old.prev_frame;
        const uint32_t next = old.next_frame == offset ? 0 : old.next_frame;
        if (prev == 0 || Base.begin_frame == offset)
            Base.begin_frame = next;
        if (next == 0 || Base.last_frame == offset)
            Base.last_frame = prev;
        RelinkNeighbour(prev, SquishLetterFrame, &SquishFrameHeader::next_frame, next);
        RelinkNeighbour(next, SquishLetterFrame, &SquishFrameHeader::prev_frame, prev);

        if (startFreeChain) {
            Base.free_frame = offset;
        } else {
            lastFree.next_frame = offset;
            WriteFrameHeader(Base.last_free_frame, lastFree);
        }
        Base.last_free_frame = offset;

        if (FreeCacheValid) {
            auto empty = std::find_if(FreeCache.begin(), FreeCache.end(), [](const FreeEntry& e) { return e.Offset == 0; });
            if (empty != FreeCache.end())
                *empty = {offset, frame.frame_length};
            else if (FreeCache.size() < FreeCacheSize)
                FreeCache.push_back({offset, frame.frame_length});
        }
    }
    // A letter whose frame cannot be read (it lies outside .SQD) or is no
    // letter frame still leaves the index: there is nothing of it to keep.
    uint32_t position = static_cast<uint32_t>(found - Index.begin()) + 1;
    Index.erase(found);
    Base.num_msg = Count();
    if (Base.high_msg > 0)
        --Base.high_msg;
    if (IndexPos > position)
        --IndexPos;
    StatusWord = 0;
    return 0;
}

// Writes the message header of the loaded letter back in place. The frame
// header is left as it is on disk: its links may have changed since it was
// read (a tosser appending letters), and no setter changes it.
Status SquishMsgBase::RewriteHeader()
{
    StatusWord = 0;
    if (!HeaderLoaded)
        return Fail(SquishNoSuchLetter);
    bool tookLock = false;
    if (!BeginChange(tookLock))
        return Fail(StatusWord != 0 ? StatusWord : SquishNoLock);
    Status status = 0;
    auto record = std::find_if(Index.begin(), Index.end(), [this](const SquishIndexRecord& r) {
        return r.ofs == FrameOffset && r.umsgid == CurrentUid;
    });
    int64_t fileSize = SqdSize();
    uint64_t headerAt = uint64_t(FrameOffset) + FrameHeaderLen;
    if (record == Index.end() || !IsFrameOf(Frame, SquishLetterFrame))
        status = SquishNoSuchLetter;  // deleted meanwhile (its frame may hold another letter now), or no frame
    else if (fileSize < 0 || headerAt + SquishMessageHeaderSize > uint64_t(fileSize))
        status = SquishShortRead;
    else if (!WriteAt(headerAt, &Msg, sizeof Msg))
        status = StatusWord;
    else
        record->hash = IsReceived() ? 0 : SquishHash(FieldText(Msg.to, sizeof Msg.to));
    return EndChange(tookLock, status);
}

// ---------------------------------------------------------------- searching

void SquishMsgBase::FindMailFirst(const std::string& name, const std::string& alias)
{
    IndexPos = 0;
    Refresh();
    SearchName = UpperAscii(name.substr(0, NameWidth));
    SearchAlias = UpperAscii(alias.substr(0, NameWidth));
    // The index holds the hash of the stored (OEM) name.
    SearchNameHash = SquishHash(AnsiToOemText(SearchName));
    SearchAliasHash = SquishHash(AnsiToOemText(SearchAlias));
    FindMailNext();
}

bool SquishMsgBase::MatchesSearch()
{
    std::string to = UpperAscii(GetTo());
    return to == SearchName || (!SearchAlias.empty() && to == SearchAlias);
}

void SquishMsgBase::FindMailNext()
{
    if (IndexPos <= Count())
        ++IndexPos;
    for (; IndexPos <= Count(); ++IndexPos) {
        uint32_t hash = Index[IndexPos - 1].hash & HashMask;
        if (hash != SearchNameHash && (SearchAlias.empty() || hash != SearchAliasHash))
            continue;
        LoadHeader();
        if (HeaderLoaded && !IsReceived() && MatchesSearch())
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
