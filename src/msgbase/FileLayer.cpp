#include "msgbase/FileLayer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "msgbase/FileFaults.h"

uint16_t LastIoError = 0;

namespace {

// Code for a short read of a whole-file helper: the runtime's "read past end".
constexpr uint16_t ReadPastEnd = 100;
// Temporary files are this letter and six characters mkstemp chooses.
constexpr char TempNamePrefix = 'q';
// The code of a file on a read-only mount (EROFS): the disk is write-protected.
constexpr uint16_t WriteProtected = 19;
// A lock conflict is retried with a short pause: the tosser that holds the
// lock finishes its write within milliseconds.
constexpr auto LockRetryPause = std::chrono::milliseconds(2);

bool SetResult(uint16_t code)
{
    LastIoError = code;
    return code == 0;
}

// osPath is relative to the directory dirFd (AT_FDCWD: an ordinary path).
int OpenWithRetry(const std::string& osPath, int flags, uint16_t& code, int dirFd = AT_FDCWD)
{
    code = 5;
    int fd = -1;
    for (int attempt = 0; attempt < RetryCount && code == 5; ++attempt) {
        fd = openat(dirFd, osPath.c_str(), flags | O_CLOEXEC, 0666);
        code = fd >= 0 ? 0 : DosErrorForPath(errno, osPath);
    }
    return fd;
}

struct OpenedFile {
    int Fd = -1;
    bool Writable = false;
    int64_t Size = -1;
    uint16_t Code = 0;
};

// Opens an existing file for reading and writing, or for reading only when
// it may only be read (the file's permissions or a read-only mount: such
// bases can still be read). A directory is refused with 5.
OpenedFile OpenFound(const std::string& osPath, bool writable, int dirFd = AT_FDCWD)
{
    OpenedFile opened;
    opened.Writable = writable;
    opened.Fd = OpenWithRetry(osPath, writable ? O_RDWR : O_RDONLY, opened.Code, dirFd);
    if (opened.Fd < 0 && writable && (opened.Code == 5 || opened.Code == WriteProtected)) {
        opened.Fd = OpenWithRetry(osPath, O_RDONLY, opened.Code, dirFd);
        opened.Writable = false;
    }
    struct stat st {};
    if (opened.Fd >= 0 && fstat(opened.Fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            close(opened.Fd);
            opened.Fd = -1;
            opened.Code = 5;
        } else {
            opened.Size = st.st_size;
        }
    }
    return opened;
}

bool NotFound(const OpenedFile& opened)
{
    return opened.Fd < 0 && (opened.Code == 2 || opened.Code == 3);
}

}  // namespace

bool FileRecord::Adopt(int fd, bool writable, int64_t size, uint32_t recordSize, uint16_t code)
{
    Fd = fd;
    Writable = writable;
    SizeAtOpen = size;
    RecSize = recordSize == 0 ? 1 : recordSize;
    Position = 0;
    return SetResult(code);
}

FileRecord::~FileRecord()
{
    if (Fd >= 0)
        close(Fd);
}

bool BindFile(FileRecord& file, const std::string& name)
{
    if (file.Fd >= 0) {
        close(file.Fd);
        file.Fd = -1;
    }
    file.PathName = name;
    file.Position = 0;
    return SetResult(0);
}

bool OpenExisting(FileRecord& file, uint32_t recordSize, OpenMode mode)
{
    if (file.Fd >= 0)
        CloseFile(file);
    const bool writable = mode == OpenMode::ReadWrite;
    // The name as written first; only a name missing as written is looked
    // for without regard to case (opening a letter costs no extra look).
    const std::string os = file.PathName;
    OpenedFile opened = OpenFound(os, writable);
    if (NotFound(opened)) {
        if (std::string found = ToOsPath(file.PathName); found != os)
            opened = OpenFound(found, writable);
    }
    return file.Adopt(opened.Fd, opened.Writable, opened.Size, recordSize, opened.Code);
}

bool OpenExistingIn(FileRecord& file, const DirectoryRecord& directory, const std::string& name,
                    uint32_t recordSize, OpenMode mode)
{
    BindFile(file, directory.PathName + name);
    if (directory.Fd < 0)
        return OpenExisting(file, recordSize, mode);
    OpenedFile opened = OpenFound(name, mode == OpenMode::ReadWrite, directory.Fd);
    if (NotFound(opened))
        return OpenExisting(file, recordSize, mode);  // perhaps there in another case
    return file.Adopt(opened.Fd, opened.Writable, opened.Size, recordSize, opened.Code);
}

DirectoryRecord::~DirectoryRecord()
{
    if (Fd >= 0)
        close(Fd);
}

bool OpenDirectory(DirectoryRecord& directory, const std::string& path)
{
    CloseDirectory(directory);
    directory.PathName = WithBackslash(path);
    const std::string os = ToOsPath(directory.PathName);
    directory.Fd = open(os.empty() ? "." : os.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return SetResult(directory.Fd >= 0 ? 0 : DosErrorForPath(errno, os));
}

void CloseDirectory(DirectoryRecord& directory)
{
    if (directory.Fd >= 0)
        close(directory.Fd);
    directory.Fd = -1;
}

bool CreateFile(FileRecord& file, uint32_t recordSize)
{
    if (file.Fd >= 0)
        CloseFile(file);
    std::string os = ToOsPath(file.PathName);
    uint16_t code = 0;
    if (!FileChangeAllowed(code))
        return SetResult(code == 0 ? 103 : code);  // a "killed" writer creates nothing
    file.Fd = OpenWithRetry(os, O_RDWR | O_CREAT | O_TRUNC, code);
    file.Writable = true;
    file.SizeAtOpen = 0;
    file.RecSize = recordSize == 0 ? 1 : recordSize;
    file.Position = 0;
    return SetResult(code);
}

bool CloseFile(FileRecord& file)
{
    if (file.Fd < 0)
        return SetResult(103);  // file not open
    int rc = close(file.Fd);
    file.Fd = -1;
    return SetResult(rc == 0 ? 0 : DosErrorFromErrno(errno));
}

bool ReadRecords(FileRecord& file, void* buffer, uint32_t count, uint32_t& got)
{
    got = 0;
    if (file.Fd < 0)
        return SetResult(103);
    const std::size_t wanted = std::size_t(count) * file.RecSize;
    std::size_t done = 0;
    uint16_t code = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < wanted) {
        ssize_t n = pread(file.Fd, out + done, wanted - done, file.Position + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            code = DosErrorFromErrno(errno);
            break;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    got = static_cast<uint32_t>(done / file.RecSize);
    file.Position += static_cast<int64_t>(got) * file.RecSize;
    return SetResult(code);
}

bool WriteRecords(FileRecord& file, const void* buffer, uint32_t count)
{
    if (file.Fd < 0)
        return SetResult(103);
    if (!file.Writable)
        return SetResult(5);
    const std::size_t wanted = std::size_t(count) * file.RecSize;
    if (uint16_t code = 0; !FileChangeAllowed(code)) {
        if (code == 0)
            file.Position += static_cast<int64_t>(wanted);
        return SetResult(code);
    }
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < wanted) {
        ssize_t n = pwrite(file.Fd, in + done, wanted - done, file.Position + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return SetResult(DosErrorFromErrno(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    file.Position += static_cast<int64_t>(done);
    return SetResult(0);
}

bool SeekRecord(FileRecord& file, int64_t record)
{
    if (file.Fd < 0)
        return SetResult(103);
    if (record < 0)
        return SetResult(131);  // negative seek
    file.Position = record * file.RecSize;
    return SetResult(0);
}

int64_t FilePosRecords(const FileRecord& file)
{
    return file.Position / file.RecSize;
}

int64_t FileSizeBytes(FileRecord& file)
{
    if (file.Fd < 0) {
        SetResult(103);
        return -1;
    }
    struct stat st {};
    if (fstat(file.Fd, &st) != 0) {
        SetResult(DosErrorFromErrno(errno));
        return -1;
    }
    SetResult(0);
    return st.st_size;
}

int64_t FileSizeAtOpen(const FileRecord& file)
{
    return file.Fd >= 0 ? file.SizeAtOpen : -1;
}

namespace {

FileChangeStamp StampOf(const struct stat& st)
{
    return {st.st_size, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec, uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

}  // namespace

FileChangeStamp ChangeStampOf(FileRecord& file)
{
    struct stat st {};
    if (file.Fd < 0 || fstat(file.Fd, &st) != 0) {
        SetResult(file.Fd < 0 ? 103 : DosErrorFromErrno(errno));
        return {};
    }
    SetResult(0);
    return StampOf(st);
}

FileChangeStamp ChangeStampByName(const std::string& name)
{
    // The name as written first: a walk over the path only where it is missing.
    struct stat st {};
    const std::string os = name.empty() ? std::string(".") : name;
    if (stat(os.c_str(), &st) != 0 && (errno != ENOENT || stat(ToOsPath(os).c_str(), &st) != 0)) {
        SetResult(DosErrorFromErrno(errno));
        return {};
    }
    SetResult(0);
    return StampOf(st);
}

int64_t FileSizeRecords(FileRecord& file)
{
    int64_t bytes = FileSizeBytes(file);
    return bytes < 0 ? -1 : bytes / file.RecSize;
}

bool TruncateFile(FileRecord& file)
{
    if (file.Fd < 0)
        return SetResult(103);
    if (!file.Writable)
        return SetResult(5);
    if (uint16_t code = 0; !FileChangeAllowed(code))
        return SetResult(code);
    return SetResult(ftruncate(file.Fd, file.Position) == 0 ? 0 : DosErrorFromErrno(errno));
}

namespace {

bool TryLock(int fd, short type, int64_t offset, int64_t length)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = length;
    fl.l_pid = 0;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

}  // namespace

int LockRegion(FileRecord& file, int64_t offset, int64_t length)
{
    if (file.Fd < 0) {
        SetResult(103);
        return 1;
    }
    // A file opened for reading can only take a read lock; it still keeps
    // writers of other programs out.
    short type = file.Writable ? F_WRLCK : F_RDLCK;
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        if (TryLock(file.Fd, type, offset, length)) {
            SetResult(0);
            return 0;
        }
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            break;
        std::this_thread::sleep_for(LockRetryPause);
    }
    SetResult(DosErrorFromErrno(errno));
    return 1;
}

int UnlockRegion(FileRecord& file, int64_t offset, int64_t length)
{
    if (file.Fd < 0) {
        SetResult(103);
        return 1;
    }
    bool ok = TryLock(file.Fd, F_UNLCK, offset, length);
    SetResult(ok ? 0 : DosErrorFromErrno(errno));
    return ok ? 0 : 1;
}

void FlushFile(FileRecord& file)
{
    if (file.Fd >= 0)
        SetResult(fdatasync(file.Fd) == 0 ? 0 : DosErrorFromErrno(errno));
}

int64_t FileSizeByName(const std::string& name)
{
    struct stat st {};
    if (stat(ToOsPath(name).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return st.st_size;
}

bool FileExists(const std::string& name)
{
    return RegularFileExists(name);
}

std::string ExpandName(const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return name;
    return WithBackslash(cwd) + name;
}

Status LoadFilePart(const std::string& name, void* buffer, uint32_t size, int64_t offset)
{
    if (!FileExists(name))
        return LastIoError = 8888;
    FileRecord file;
    BindFile(file, name);
    if (!OpenExisting(file, 1, OpenMode::ReadOnly))
        return LastIoError;
    SeekRecord(file, offset);
    uint32_t got = 0;
    bool ok = ReadRecords(file, buffer, size, got);
    Status status = ok ? (got == size ? 0 : ReadPastEnd) : LastIoError;
    bool closed = CloseFile(file);
    if (status == 0 && !closed)
        status = LastIoError;
    return LastIoError = status;
}

Status LoadFile(const std::string& name, void* buffer, uint32_t size)
{
    return LoadFilePart(name, buffer, size, 0);
}

namespace {

// Opens name for writing, creating it when missing, without truncating.
bool OpenOrCreate(FileRecord& file, const std::string& name)
{
    BindFile(file, name);
    if (FileExists(name))
        return OpenExisting(file, 1, OpenMode::ReadWrite);
    std::string os = ToOsPath(name);
    uint16_t code = 0;
    if (!FileChangeAllowed(code))
        return SetResult(code == 0 ? 103 : code);  // a "killed" writer creates nothing
    int fd = OpenWithRetry(os, O_RDWR | O_CREAT, code);
    if (fd >= 0)
        close(fd);
    return code == 0 ? OpenExisting(file, 1, OpenMode::ReadWrite) : SetResult(code);
}

}  // namespace

Status SaveFilePart(const std::string& name, const void* buffer, int64_t size, int64_t offset)
{
    FileRecord file;
    if (!OpenOrCreate(file, name))
        return LastIoError;
    Status status = 0;
    if (!SeekRecord(file, offset))
        status = LastIoError;
    else if (size > 0 && !WriteRecords(file, buffer, static_cast<uint32_t>(size)))
        status = LastIoError;
    if (!CloseFile(file) && status == 0)
        status = LastIoError;
    return LastIoError = status;
}

Status SaveFile(const std::string& name, const void* buffer, int64_t size)
{
    return SaveFilePart(name, buffer, size, 0);
}

Status ExtendFile(const std::string& name, int64_t newSize)
{
    FileRecord file;
    if (!OpenOrCreate(file, name))
        return LastIoError;
    Status status = 0;
    int64_t size = FileSizeBytes(file);
    if (size < 0) {
        status = LastIoError;
    } else if (size < newSize) {
        std::vector<char> zeros(static_cast<std::size_t>(newSize - size), 0);
        SeekRecord(file, size);
        if (!WriteRecords(file, zeros.data(), static_cast<uint32_t>(zeros.size())))
            status = LastIoError;
    }
    if (!CloseFile(file) && status == 0)
        status = LastIoError;
    return LastIoError = status;
}

bool IsTempName(std::string_view name)
{
    return name.size() == 7 && name[0] == TempNamePrefix &&
           std::all_of(name.begin() + 1, name.end(), [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)); });
}

std::string MakeTempName(const std::string& directory)
{
    std::string pattern = ToOsPath(directory);
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += TempNamePrefix;
    pattern += "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd < 0) {
        SetResult(DosErrorFromErrno(errno));
        return {};
    }
    close(fd);
    SetResult(0);
    return buffer.data();
}

bool MakePath(const std::string& directory)
{
    if (directory.empty() || DirectoryExists(directory))
        return true;
    std::string os = ToOsPath(directory);
    for (std::size_t i = 1; i <= os.size(); ++i) {
        if (i == os.size() || os[i] == '/')
            mkdir(os.substr(0, i).c_str(), 0777);  // existing levels fail harmlessly
    }
    return DirectoryExists(directory);
}
