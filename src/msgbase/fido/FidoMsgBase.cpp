#include "msgbase/fido/FidoMsgBase.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Utf8Text.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "msgbase/ChangedBits.h"
#include "msgbase/FileFaults.h"
#include "msgbase/NetmailLines.h"
#include "msgbase/fido/FidoDateText.h"
#include "msgbase/fido/FidoMsgLayout.h"

using namespace FidoMsg;

namespace {

// Control lines longer than this carry nothing the header parser wants.
constexpr std::size_t ControlLineKept = 128;
// Users of the last-read file: record u lies at 2 * u.
constexpr uint32_t LastReadUsers = 65536;

// Removes a file, asking the tests' fault injection first (a "killed"
// process removes nothing). 0 or the DOS-style code.
Status RemoveFile(const std::string& osPath)
{
    if (uint16_t code = 0; !FileChangeAllowed(code))
        return code;
    return unlink(osPath.c_str()) == 0 ? 0 : DosErrorFromErrno(errno);
}

// Renames without replacing an existing file. EEXIST when the name is taken.
int RenameNoReplace(const std::string& from, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    // The file system cannot refuse by itself: test first.
    if (access(to.c_str(), F_OK) == 0)
        return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// The extension of a letter file of this number that is there under
// another case of ".msg" than ours, or "": a DOS program writes "12.MSG"
// where we would write "12.msg".
std::string OtherSpellingTaken(const std::string& dirOs, Num number, const std::string& ours)
{
    const std::string digits = std::to_string(number);
    for (uint8_t upper = 0; upper < 8; ++upper) {
        const std::string extension = LetterExtension(upper);
        struct stat st {};
        if (extension != ours && lstat((dirOs + digits + extension).c_str(), &st) == 0)
            return extension;
    }
    return {};
}

}  // namespace

FidoMsgBase::FidoMsgBase() : File(WindowSize) {}

FidoMsgBase::~FidoMsgBase()
{
    CloseLetterFiles();
}

// ---- The base as a whole ----

void FidoMsgBase::SetBasePath(const std::string& spec)
{
    // The whole path is kept: cutting a long path would name another directory.
    Dir = WithBackslash(spec);
}

Status FidoMsgBase::OpenBase()
{
    CloseLetterFiles();
    Current = 0;
    if (!DirectoryExists(Dir))
        return DirectoryMissing;
    DirOs = ToOsPath(Dir);
    if (!DirOs.empty() && DirOs.back() != '/')
        DirOs += '/';
    OpenDirectory(DirHandle, Dir);
    const std::vector<std::string> names = ListPlainFiles(Dir);
    Numbers.Scan(names);
    RemoveStaleTempFiles(names);
    return 0;
}

// A post killed between making its temporary file and renaming it into
// place leaves the file behind. Ours are known by their name, and an old
// one is no post in progress (of this or another Quorvel): it goes.
void FidoMsgBase::RemoveStaleTempFiles(const std::vector<std::string>& names)
{
    const time_t now = time(nullptr);
    for (const std::string& name : names) {
        struct stat st {};
        const std::string os = DirOs + name;
        if (IsTempName(name) && lstat(os.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > StaleTempAge)
            RemoveFile(os);
    }
}

Status FidoMsgBase::CloseBase()
{
    CloseDirectory(DirHandle);
    return CloseLetterFiles();
}

Status FidoMsgBase::CreateBase(uint16_t, uint16_t)
{
    return MakePath(Dir) ? 0 : CannotCreate;
}

bool FidoMsgBase::BaseExists()
{
    return DirectoryExists(Dir);
}

// ---- Files of the current letter ----

Status FidoMsgBase::CloseLetterFiles()
{
    Status status = 0;
    if (LetterOpen) {
        if (!File.CloseFile())
            status = LastIoError != 0 ? LastIoError : 5;
        LetterOpen = false;
    }
    if (Building)
        DiscardTemp();
    return status;
}

void FidoMsgBase::DiscardTemp()
{
    if (File.IsOpen())
        File.CloseFile();
    if (!TempName.empty())
        RemoveFile(ToOsPath(TempName));
    TempName.clear();
    Building = false;
}

void FidoMsgBase::ResetLetterState()
{
    InternalError = 0;
    WriteError = 0;
    LoadedSize = 0;
    TextPos = HeaderSize;
    TextEnd = HeaderSize;
    Dest = FidoAddress{};
    Orig = FidoAddress{};
    When = 0;
    LastLineWrapped = false;
}

uint32_t FidoMsgBase::ReadAt(int64_t offset, void* buffer, uint32_t count)
{
    if (LetterOpen && offset >= 0 && offset + count <= HeaderSize) {
        std::memcpy(buffer, HeaderBytes + offset, count);
        return count;
    }
    uint32_t got = 0;
    if (File.IsOpen() && File.SeekTo(offset))
        File.ReadBytes(buffer, count, got);
    std::fill(static_cast<char*>(buffer) + got, static_cast<char*>(buffer) + count, 0);
    return got;
}

uint16_t FidoMsgBase::ReadWordAt(uint32_t offset)
{
    uint8_t bytes[2];
    ReadAt(offset, bytes, 2);
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::string FidoMsgBase::ReadStringAt(uint32_t offset, uint32_t maxLength)
{
    std::string text(maxLength, '\0');
    ReadAt(offset, text.data(), maxLength);
    if (std::size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

void FidoMsgBase::WriteAt(int64_t offset, const void* buffer, uint32_t count)
{
    auto fail = [this](Status code) {
        if (WriteError == 0)
            WriteError = code;
    };
    if (!Building && !LetterOpen) {
        fail(InternalError != 0 ? InternalError : LetterMissing);
        return;
    }
    if (LetterOpen && LoadedSize < HeaderSize) {
        // Writing a field of a letter cut short would grow the file with a
        // header of zeros around the one field; leave the damaged letter be.
        fail(HeaderTooShort);
        return;
    }
    if (LetterOpen) {
        // A stored letter's text never changes; its header changes in the
        // copy until RewriteHeader.
        if (offset < 0 || offset + count > HeaderSize) {
            fail(NothingToWrite);
            return;
        }
        std::memcpy(HeaderBytes + offset, buffer, count);
        return;
    }
    if (!File.SeekTo(offset) || !File.WriteBytes(buffer, count))
        fail(LastIoError != 0 ? LastIoError : 5);
}

void FidoMsgBase::WriteWordAt(uint32_t offset, uint16_t value)
{
    const uint8_t bytes[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    WriteAt(offset, bytes, 2);
}

void FidoMsgBase::WriteStringAt(uint32_t offset, const std::string& text, uint32_t fieldSize)
{
    std::string field = EncodeField(text, fieldSize - 1);
    field.resize(fieldSize, '\0');
    WriteAt(offset, field.data(), fieldSize);
}

void FidoMsgBase::WritePackedDateAt(uint32_t offset, uint32_t dosDateTime)
{
    // The programs that read these bytes keep the date word first, then the time word.
    const uint16_t date = static_cast<uint16_t>(dosDateTime >> 16);
    const uint16_t time = static_cast<uint16_t>(dosDateTime & 0xFFFF);
    WriteWordAt(offset, date);
    WriteWordAt(offset + 2, time);
}

// ---- Header of the letter being built or loaded ----

void FidoMsgBase::StartLine()
{
    if (TextPos <= HeaderSize)
        return;
    char before = 0;
    ReadAt(TextPos - 1, &before, 1);
    if (before != '\r')
        WriteChar('\r');
}

namespace {

const FlagBit FidoFlagBits[] = {
    {LetterFlag::Private, AttrPrivate},
    {LetterFlag::Crash, AttrCrash},
    {LetterFlag::Received, AttrReceived},
    {LetterFlag::Sent, AttrSent},
    {LetterFlag::FileAttach, AttrFileAttach},
    {LetterFlag::KillSent, AttrKillSent},
    {LetterFlag::Local, AttrLocal},
    {LetterFlag::FileRequest, AttrFileRequest},
    {LetterFlag::ReceiptRequest, AttrReceiptRequest},
    {LetterFlag::ReturnReceipt, AttrReturnReceipt},
    {LetterFlag::AuditRequest, AttrAuditRequest},
};

uint16_t ReplyLink(Num number)
{
    return number > HighestNumber ? 0 : static_cast<uint16_t>(number);
}

}  // namespace

// The loaded letter is read from its file: Deleted means it was not there.
// Every letter of this format is exported by the tosser: Echo always.
LetterHeader FidoMsgBase::Header()
{
    LetterHeader header;
    header.Number = Current;
    header.From = DecodeHeader(ReadStringAt(FromOffset, NameLength));
    header.To = DecodeHeader(ReadStringAt(ToOffset, NameLength));
    header.Subject = StripRePrefixes(DecodeHeader(ReadStringAt(SubjectOffset, SubjectLength)));
    header.Orig = Orig;
    header.Dest = Dest;
    header.ReplyTo = ReadWordAt(ReplyToOffset);
    header.FirstReply = ReadWordAt(FirstReplyOffset);
    header.Written = When;
    header.Cost = ReadWordAt(CostOffset);
    header.Flags = FlagsOfWord(ReadWordAt(AttributeOffset), FidoFlagBits);
    header.Flags.Set(LetterFlag::Read, ReadWordAt(TimesReadOffset) != 0);
    header.Flags.Set(LetterFlag::Deleted, Current != 0 && !LetterOpen && !Building);
    header.Flags.Set(LetterFlag::Echo);
    header.Set = HeaderDecodingSet();
    return header;
}

// The fields that differ from the header as it stands, into the header
// bytes (of the loaded letter, or of the one being built).
void FidoMsgBase::ApplyHeader(const LetterHeader& wanted)
{
    const LetterHeader was = Header();
    if (wanted.From != was.From)
        WriteStringAt(FromOffset, wanted.From, NameFieldSize);
    if (wanted.To != was.To)
        WriteStringAt(ToOffset, wanted.To, NameFieldSize);
    if (wanted.Subject != was.Subject)
        WriteStringAt(SubjectOffset, wanted.Subject, SubjectFieldSize);
    if (wanted.Cost != was.Cost)
        WriteWordAt(CostOffset, wanted.Cost);
    if (wanted.ReplyTo != was.ReplyTo)
        WriteWordAt(ReplyToOffset, ReplyLink(wanted.ReplyTo));
    if (wanted.FirstReply != was.FirstReply)
        WriteWordAt(FirstReplyOffset, ReplyLink(wanted.FirstReply));
    if (wanted.Written != was.Written)
        WriteDate(wanted.Written);
    if (wanted.Flags != was.Flags) {
        WriteWordAt(AttributeOffset,
                    static_cast<uint16_t>(
                        WordWithChangedFlags(ReadWordAt(AttributeOffset), was.Flags, wanted.Flags, FidoFlagBits)));
        if (wanted.Flags.Has(LetterFlag::Read) != was.Flags.Has(LetterFlag::Read))
            WriteWordAt(TimesReadOffset, wanted.Flags.Has(LetterFlag::Read) ? 1 : 0);
    }
    if (wanted.Dest != was.Dest) {
        Dest = wanted.Dest;
        WriteWordAt(DestNetOffset, Dest.Net);
        WriteWordAt(DestNodeOffset, Dest.Node);
        WriteAddressLines("TOPT", Dest.Point, Orig.Zone);
    }
    if (wanted.Orig != was.Orig) {
        Orig = wanted.Orig;
        WriteWordAt(OrigNetOffset, Orig.Net);
        WriteWordAt(OrigNodeOffset, Orig.Node);
        WriteAddressLines("FMPT", Orig.Point, Dest.Zone);
    }
}

// Netmail carries zones and points in control lines; only a new letter gets
// them: the point of the address just set (TOPT or FMPT), and INTL once the
// other address has its zone too.
void FidoMsgBase::WriteAddressLines(const char* pointKeyword, uint16_t point, uint16_t otherZone)
{
    if (!Building || MailType != MailNet)
        return;
    if (point != 0) {
        StartLine();
        WriteLine(std::string(1, KludgeMark) + pointKeyword + " " + std::to_string(point));
    }
    if (otherZone != 0) {
        StartLine();
        WriteLine(std::string(1, KludgeMark) + "INTL " + Address3DToText(Dest.Zone, Dest.Net, Dest.Node) + " " +
                  Address3DToText(Orig.Zone, Orig.Net, Orig.Node));
    }
}

void FidoMsgBase::WriteDate(DateTime when)
{
    When = when;
    std::string text = FormatFidoDateText(when);
    // The text (19 characters) and its NUL fill the 20-byte field.
    std::string field(text, 0, DateTextFieldSize - 1);
    field.resize(DateTextFieldSize, '\0');
    WriteAt(DateTextOffset, field.data(), DateTextFieldSize);
}

// ---- Building a new letter ----

void FidoMsgBase::StartNewLetter(const LetterHeader& header)
{
    CloseLetterFiles();
    ResetLetterState();
    Current = 0;
    TempName = MakeTempName(Dir);
    if (TempName.empty()) {
        InternalError = NoTempName;
        return;
    }
    if (!File.OpenFile(TempName, OpenMode::ReadWrite)) {
        InternalError = CannotOpenTemp;
        RemoveFile(ToOsPath(TempName));
        TempName.clear();
        return;
    }
    Building = true;
    const char zeros[HeaderSize] = {};
    WriteAt(0, zeros, HeaderSize);
    ApplyHeader(header);
}

void FidoMsgBase::WriteChar(char ch)
{
    if (!Building) {
        // Texts of stored letters are never changed in place.
        if (WriteError == 0)
            WriteError = InternalError != 0 ? InternalError : NothingToWrite;
        return;
    }
    WriteAt(TextPos, &ch, 1);
    ++TextPos;
}

Status FidoMsgBase::WriteLetter()
{
    if (!Building)
        return InternalError != 0 ? InternalError : NothingToWrite;
    const char terminator = '\0';
    WriteAt(TextPos, &terminator, 1);
    ++TextPos;
    WritePackedDateAt(DateArrivedOffset, DosNow());
    WritePackedDateAt(DateWrittenOffset, DateTimeToDos(When));
    if (WriteError != 0) {
        Status status = WriteError;
        DiscardTemp();
        return status;
    }

    // An empty directory starts at 2: tossers keep 1.msg for their own mark
    // and never export it.
    auto nextNumber = [this] { return Numbers.Highest() == 0 ? Num(2) : Numbers.Highest() + 1; };
    Num number = nextNumber();
    if (number > HighestNumber) {
        DiscardTemp();
        return NoNumberLeft;
    }
    if (!File.CloseFile()) {
        Status status = LastIoError != 0 ? LastIoError : 5;  // 112 when the disk is full
        DiscardTemp();
        return status;
    }
    const std::string tempOs = ToOsPath(TempName);
    const std::string dirOs = ToOsPath(Dir);
    // The temporary file was made for our eyes only; a letter must be
    // readable by the tosser, which may run as another user.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(tempOs.c_str(), 0666 & ~mask);
    // The number comes from what the directory held when it was listed and
    // what this object wrote since; the directory is not listed again.
    // Another program may have written the number meanwhile: the rename
    // refuses our name for it, a look finds the other spellings of it
    // ("12.MSG" beside "12.msg"), and the next number is tried.
    std::string name;
    for (;;) {
        name = Numbers.NameOf(number);
        const std::string ours = name.substr(name.find('.'));
        if (uint16_t code = 0; !FileChangeAllowed(code)) {
            if (code == 0)
                break;  // "killed": the temporary file stays where it is
            DiscardTemp();
            return code;
        }
        std::string theirs = OtherSpellingTaken(dirOs, number, ours);
        int err = !theirs.empty() ? EEXIST : RenameNoReplace(tempOs, dirOs + name);
        if (err == 0)
            break;
        if (err != EEXIST) {
            DiscardTemp();
            return DosErrorFromErrno(err);
        }
        Numbers.Add(number, theirs.empty() ? ours : theirs);
        number = nextNumber();
        if (number > HighestNumber) {
            DiscardTemp();
            return NoNumberLeft;
        }
    }
    Numbers.Add(number, name.substr(name.find('.')));
    TempName.clear();
    Building = false;
    Current = number;
    return 0;
}

// ---- Loading and reading a letter ----

// The letter is opened for reading only: a letter on a read-only mount, or
// one the tosser's user owns, is still read. A letter that cannot be opened
// loads nothing and HeaderStatus says why.
void FidoMsgBase::LoadHeader()
{
    CloseLetterFiles();
    ResetLetterState();
    BeginHeader();
    std::memset(HeaderBytes, 0, HeaderSize);
    std::memset(LoadedHeader, 0, HeaderSize);
    // One open, one look at the size, one read for a letter smaller than
    // the window: a walk over a large directory costs little more per letter.
    if (Current == 0 || !File.OpenFileIn(DirHandle, Numbers.NameOf(Current), OpenMode::ReadOnly)) {
        const bool missing = Current == 0 || LastIoError == 2 || LastIoError == 3;
        InternalError = HeaderError = missing ? LetterMissing : CannotOpenLetter;
        return;
    }
    HeaderError = 0;
    LoadedSize = File.SizeKnown();
    TextEnd = LoadedSize;
    ReadAt(0, HeaderBytes, HeaderSize);  // before LetterOpen: from the file
    std::memcpy(LoadedHeader, HeaderBytes, HeaderSize);
    LetterOpen = true;

    const uint8_t* header = HeaderBytes;
    auto word = [header](uint32_t offset) { return static_cast<uint16_t>(header[offset] | (header[offset + 1] << 8)); };
    Dest = FidoAddress{DefaultZone, word(DestNetOffset), word(DestNodeOffset), 0};
    Orig = FidoAddress{DefaultZone, word(OrigNetOffset), word(OrigNodeOffset), 0};
    When = ParseFidoDateText(std::string_view(reinterpret_cast<const char*>(header) + DateTextOffset, DateTextFieldSize),
                             NowDateTime());
    ScanText();
    TextPos = HeaderSize;
}

void FidoMsgBase::ScanText()
{
    // The text ends at the first NUL or at the end of the file; on the way
    // the control lines give the zones and points.
    std::string line;
    char chunk[WindowSize];
    int64_t pos = HeaderSize;
    while (pos < LoadedSize) {
        uint32_t want = static_cast<uint32_t>(std::min<int64_t>(WindowSize, LoadedSize - pos));
        uint32_t got = ReadAt(pos, chunk, want);
        if (got == 0) {
            TextEnd = pos;  // the file shrank under us
            break;
        }
        const char* end = chunk + got;
        const char* nul = std::find(static_cast<const char*>(chunk), end, '\0');
        for (const char* p = chunk; p != nul; ++p) {
            if (*p == '\r') {
                ParseControlLine(line);
                line.clear();
            } else if (line.size() < ControlLineKept) {
                line += *p;
            }
        }
        if (nul != end) {
            TextEnd = pos + (nul - chunk);
            break;
        }
        pos += got;
    }
    ParseControlLine(line);
}

// The text is read here anyway (for the addresses), so the letter's CHRS
// decodes its header in the scan at no extra cost.
void FidoMsgBase::ParseControlLine(const std::string& line)
{
    ApplyNetmailLine(line, Orig, Dest);
    std::string_view kludge = line;
    while (!kludge.empty() && kludge.front() == '\n')
        kludge.remove_prefix(1);
    if (HeaderCharset == Charset::None && !kludge.empty() && kludge.front() == KludgeMark)
        HeaderCharset = CharsetOfKludge(kludge);
}

void FidoMsgBase::StartText()
{
    TextPos = HeaderSize;
    LastLineWrapped = false;
    std::string text;
    if (HeaderCharset == Charset::None && TextEnd > HeaderSize) {
        text.resize(static_cast<std::size_t>(TextEnd - HeaderSize));
        text.resize(ReadAt(HeaderSize, text.data(), static_cast<uint32_t>(text.size())));
    }
    ResolveTextCharset(text);
}

char FidoMsgBase::ReadChar()
{
    if (TextPos >= TextEnd)
        return 0;
    char ch = 0;
    if (ReadAt(TextPos, &ch, 1) == 0 || ch == '\0') {
        TextEnd = TextPos;  // the file changed since it was loaded
        return 0;
    }
    ++TextPos;
    return ch;
}

bool FidoMsgBase::TextEnded()
{
    return TextPos >= TextEnd;
}

int64_t FidoMsgBase::GetTextPos()
{
    return TextPos;
}

void FidoMsgBase::SetTextPos(int64_t position)
{
    TextPos = std::max<int64_t>(position, HeaderSize);
}

// ---- Header getters ----

Num FidoMsgBase::GetNumber()
{
    return Current;
}
uint32_t FidoMsgBase::GetPosition() { return Current; }
void FidoMsgBase::SetPosition(uint32_t position) { Current = position; }

void FidoMsgBase::SeekFirst(Num number)
{
    Current = number == 0 ? 0 : number - 1;
    SeekNext();
}

void FidoMsgBase::SeekNext()
{
    const Num high = Numbers.Highest();
    Num n = Current;
    while (n < high) {
        ++n;
        if (Numbers.Exists(n)) {
            Current = n;
            return;
        }
    }
    Current = 0;
}

void FidoMsgBase::SeekPrior()
{
    Num n = std::min<Num>(Current, Numbers.Highest() + 1);
    while (n > 1) {
        --n;
        if (Numbers.Exists(n)) {
            Current = n;
            return;
        }
    }
    Current = 0;
}

bool FidoMsgBase::SeekFound() { return Current != 0; }

void FidoMsgBase::FindMailFirst(const std::string& name, const std::string& alias)
{
    SearchName = Utf8Upper(Utf8Left(name, NameLength));
    SearchAlias = Utf8Upper(Utf8Left(alias, NameLength));
    Current = 0;
    FindMailNext();
}

bool FidoMsgBase::AcceptedByMailSearch()
{
    const LetterHeader header = Header();
    const std::string to = Utf8Upper(header.To);
    // An empty name or alias stands for none: it must not catch letters to nobody.
    bool addressed = (!SearchName.empty() && to == SearchName) || (!SearchAlias.empty() && to == SearchAlias);
    return addressed && !header.Flags.Has(LetterFlag::Received);
}

void FidoMsgBase::FindMailNext()
{
    for (SeekFirst(Current + 1); SeekFound(); SeekNext()) {
        LoadHeader();
        if (AcceptedByMailSearch())
            return;
    }
}

bool FidoMsgBase::MailFound() { return SeekFound(); }

// ---- The rest ----

Num FidoMsgBase::GetHighNumber() { return Numbers.Highest(); }
uint32_t FidoMsgBase::CountLetters() { return Numbers.Count(); }
void FidoMsgBase::SetMailType(uint8_t type) { MailType = type; }
uint16_t FidoMsgBase::GetBoard() { return 0; }

Status FidoMsgBase::RewriteHeader(const LetterHeader& header)
{
    if (Building)
        return WriteError;  // a new letter's fields go with WriteLetter
    if (!LetterOpen)
        return InternalError != 0 ? InternalError : LetterMissing;
    if (WriteError == 0)
        ApplyHeader(header);
    if (WriteError != 0)
        return WriteError;
    return WriteChangedHeader();
}

// The bits changed since LoadHeader are written into the header
// as it is on disk now, and nothing else: what the tosser changed meanwhile
// (a Sent bit as it exports the letter, its text) stays. Only the bytes from
// the first to the last changed one are written, in one write.
Status FidoMsgBase::WriteChangedHeader()
{
    std::size_t first = 0, last = HeaderSize;
    while (first < HeaderSize && HeaderBytes[first] == LoadedHeader[first])
        ++first;
    if (first == HeaderSize)
        return 0;
    while (HeaderBytes[last - 1] == LoadedHeader[last - 1])
        --last;
    FileRecord letter;
    BindFile(letter, PathOf(Current));
    if (!OpenExisting(letter, 1, OpenMode::ReadWrite))
        return LastIoError == 2 ? LetterMissing : LastIoError;  // deleted meanwhile: never made anew
    uint8_t disk[HeaderSize];
    uint32_t got = 0;
    if (!ReadRecords(letter, disk, HeaderSize, got))
        return LastIoError;
    if (got < HeaderSize)
        return HeaderTooShort;
    ApplyChangedBits(disk + first, LoadedHeader + first, HeaderBytes + first, last - first);
    if (!SeekRecord(letter, static_cast<int64_t>(first)) || !WriteRecords(letter, disk + first, uint32_t(last - first)))
        return LastIoError;
    if (!CloseFile(letter))
        return LastIoError;
    std::memcpy(HeaderBytes, disk, HeaderSize);
    std::memcpy(LoadedHeader, disk, HeaderSize);
    return 0;
}

Status FidoMsgBase::DeleteLetter()
{
    if (!Numbers.Exists(Current))
        return LetterMissing;
    CloseLetterFiles();
    if (Status status = RemoveFile(ToOsPath(PathOf(Current))); status != 0 && status != 2)
        return status;
    Numbers.Remove(Current);
    return 0;
}

bool FidoMsgBase::LetterFileExists(Num number) const
{
    if (number == 0)
        return false;
    struct stat st {};
    if (stat((DirOs + Numbers.NameOf(number)).c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    // Not where the scan saw it (or the base was never opened): search by name.
    return FileExists(PathOf(number));
}

std::string FidoMsgBase::LastReadPath() const
{
    return Dir + ApplyNameCase("LastRead", Numbers.LetterCase());
}

Num FidoMsgBase::GetLastRead(uint32_t user)
{
    if (user >= LastReadUsers)
        return 0;
    const std::string path = LastReadPath();
    if (FileSizeByName(path) < int64_t(user) * 2 + 2)
        return 0;
    uint8_t bytes[2] = {0, 0};
    if (LoadFilePart(path, bytes, 2, int64_t(user) * 2) != 0)
        return 0;
    return static_cast<Num>(bytes[0] | (bytes[1] << 8));
}

void FidoMsgBase::SetLastRead(uint32_t user, Num number)
{
    if (user >= LastReadUsers)
        return;
    const std::string path = LastReadPath();
    if (ExtendFile(path, (int64_t(user) + 1) * 2) != 0)
        return;
    const uint16_t value = static_cast<uint16_t>(std::min<Num>(number, HighestNumber));
    const uint8_t bytes[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    SaveFilePart(path, bytes, 2, int64_t(user) * 2);
}
