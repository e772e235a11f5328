// The file layer every message base stands on: binary files shared with the
// tosser, opened with full sharing, with sharing conflicts retried, byte-range
// locks, and whole-file helpers. Nothing here throws: every call reports
// through its result and LastIoError (a DOS-style code, 0 = success).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using Status = uint16_t;

// The DOS-style code of the most recent file-layer call (0 = success).
extern uint16_t LastIoError;
// How many attempts a retrying call makes.
constexpr int RetryCount = 150;

// Open modes: read only, or read and write; others may always read and write.
enum class OpenMode { ReadOnly = 64, ReadWrite = 66 };

// The size and the times of change of an open file, with the file it is
// (device and inode): a stamp that differs from an earlier one says the file
// was changed since (by this or another program) or is another file now.
// Size -1 when the file cannot be looked at.
struct FileChangeStamp {
    int64_t Size = -1;
    int64_t ModifiedNs = 0;
    int64_t StatusChangedNs = 0;  // also moves when a writer sets the modification time back
    uint64_t Device = 0, Inode = 0;
    bool operator==(const FileChangeStamp&) const = default;
};

class DirectoryRecord;

// A bound, possibly open file with a record size; positions count records.
class FileRecord {
public:
    FileRecord() = default;
    FileRecord(const FileRecord&) = delete;
    FileRecord& operator=(const FileRecord&) = delete;
    ~FileRecord();

    bool IsOpen() const { return Fd >= 0; }
    const std::string& Name() const { return PathName; }
    uint32_t RecordSize() const { return RecSize; }

private:
    friend bool BindFile(FileRecord&, const std::string&);
    friend bool OpenExisting(FileRecord&, uint32_t, OpenMode);
    friend bool OpenExistingIn(FileRecord&, const DirectoryRecord&, const std::string&, uint32_t, OpenMode);
    friend int64_t FileSizeAtOpen(const FileRecord&);
    friend bool CreateFile(FileRecord&, uint32_t);
    friend bool CloseFile(FileRecord&);
    friend bool ReadRecords(FileRecord&, void*, uint32_t, uint32_t&);
    friend bool WriteRecords(FileRecord&, const void*, uint32_t);
    friend bool SeekRecord(FileRecord&, int64_t);
    friend int64_t FilePosRecords(const FileRecord&);
    friend int64_t FileSizeRecords(FileRecord&);
    friend int64_t FileSizeBytes(FileRecord&);
    friend FileChangeStamp ChangeStampOf(FileRecord&);
    friend bool TruncateFile(FileRecord&);
    friend int LockRegion(FileRecord&, int64_t, int64_t);
    friend int UnlockRegion(FileRecord&, int64_t, int64_t);
    friend void FlushFile(FileRecord&);

    std::string PathName;
    int Fd = -1;
    bool Writable = false;
    uint32_t RecSize = 1;
    int64_t Position = 0;  // in bytes
    int64_t SizeAtOpen = -1;

    // What an open found: the file record now holds it.
    bool Adopt(int fd, bool writable, int64_t size, uint32_t recordSize, uint16_t code);
};

// A directory kept open, so that the files in it are opened by their own
// name, without a walk over the whole path each time (a *.MSG base opens
// one file for every letter it reads).
class DirectoryRecord {
public:
    DirectoryRecord() = default;
    DirectoryRecord(const DirectoryRecord&) = delete;
    DirectoryRecord& operator=(const DirectoryRecord&) = delete;
    ~DirectoryRecord();

    bool IsOpen() const { return Fd >= 0; }

private:
    friend bool OpenDirectory(DirectoryRecord&, const std::string&);
    friend void CloseDirectory(DirectoryRecord&);
    friend bool OpenExistingIn(FileRecord&, const DirectoryRecord&, const std::string&, uint32_t, OpenMode);

    std::string PathName;  // with the separator at the end
    int Fd = -1;
};

// Binds a name (a path as the host gives it) to a file record; the file is not opened.
bool BindFile(FileRecord& file, const std::string& name);
// Opens the existing bound file; retries while access is denied. A file that
// may only be read, or one on a read-only mount, is opened for reading
// (writes to it then fail with 5).
bool OpenExisting(FileRecord& file, uint32_t recordSize, OpenMode mode = OpenMode::ReadWrite);
// Binds directory + name and opens it as OpenExisting does; name has no
// directory part. A directory not open, or a name not there as written,
// falls back to OpenExisting of the whole path.
bool OpenExistingIn(FileRecord& file, const DirectoryRecord& directory, const std::string& name,
                    uint32_t recordSize, OpenMode mode = OpenMode::ReadWrite);
// Opens a directory (found whatever its case) for OpenExistingIn.
bool OpenDirectory(DirectoryRecord& directory, const std::string& path);
void CloseDirectory(DirectoryRecord& directory);
// Creates the bound file empty (truncating an existing one) for reading and writing.
bool CreateFile(FileRecord& file, uint32_t recordSize);
bool CloseFile(FileRecord& file);
// Reads up to count records at the position; got = records read (short at the end).
bool ReadRecords(FileRecord& file, void* buffer, uint32_t count, uint32_t& got);
bool WriteRecords(FileRecord& file, const void* buffer, uint32_t count);
bool SeekRecord(FileRecord& file, int64_t record);
int64_t FilePosRecords(const FileRecord& file);
int64_t FileSizeRecords(FileRecord& file);  // whole records; -1 on error
int64_t FileSizeBytes(FileRecord& file);    // -1 on error
int64_t FileSizeAtOpen(const FileRecord& file);  // as the open found it; -1 when unknown
FileChangeStamp ChangeStampOf(FileRecord& file);
// The stamp of a file or directory by its name (found whatever its case).
FileChangeStamp ChangeStampByName(const std::string& name);
// Cuts the file at the current position.
bool TruncateFile(FileRecord& file);
// Byte-range locks (byte offsets). 0 = done, 1 = still failed after the
// attempts. The locks belong to this open file: they conflict with other
// processes and with other FileRecords of this process.
int LockRegion(FileRecord& file, int64_t offset, int64_t length);
int UnlockRegion(FileRecord& file, int64_t offset, int64_t length);
void FlushFile(FileRecord& file);

// Size in bytes of the named file, -1 when there is none (directories count as none).
int64_t FileSizeByName(const std::string& name);
// A plain file of that name exists (directories do not count).
bool FileExists(const std::string& name);
// The full path of a name.
std::string ExpandName(const std::string& name);

// Whole-file helpers. LoadFilePart returns 8888 when the file does not exist;
// otherwise the code of the first failing step. A short file is an error (100).
Status LoadFilePart(const std::string& name, void* buffer, uint32_t size, int64_t offset);
Status LoadFile(const std::string& name, void* buffer, uint32_t size);
// Opens the file (creating it when missing, never truncating), writes size
// bytes at offset.
Status SaveFilePart(const std::string& name, const void* buffer, int64_t size, int64_t offset);
Status SaveFile(const std::string& name, const void* buffer, int64_t size);
// Grows the file with zero bytes to at least newSize (creating it when missing).
Status ExtendFile(const std::string& name, int64_t newSize);

// A new, empty file with a unique name in directory; its name, or "" on failure.
std::string MakeTempName(const std::string& directory);
// Whether a file name (without its directory) has the form MakeTempName gives.
bool IsTempName(std::string_view name);
// Makes sure the directory exists, creating missing levels.
bool MakePath(const std::string& directory);
