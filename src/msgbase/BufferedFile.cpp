#include "msgbase/BufferedFile.h"

#include <algorithm>
#include <cstring>

BufferedFile::BufferedFile(uint32_t bufferSize) : Window(bufferSize == 0 ? 1 : bufferSize) {}

BufferedFile::~BufferedFile()
{
    if (Open)
        CloseFile();
}

bool BufferedFile::OpenFile(const std::string& name, OpenMode mode)
{
    if (Open)
        CloseFile();
    // Only a file opened for writing is created; one opened for reading must be there.
    if (mode == OpenMode::ReadWrite && !FileExists(name) && SaveFile(name, nullptr, 0) != 0)
        return false;
    BindFile(File, name);
    return OpenExisting(File, 1, mode) && Opened();
}

bool BufferedFile::OpenFileIn(const DirectoryRecord& directory, const std::string& name, OpenMode mode)
{
    if (Open)
        CloseFile();
    return OpenExistingIn(File, directory, name, 1, mode) && Opened();
}

bool BufferedFile::Opened()
{
    Open = true;
    Position = 0;
    WindowStart = 0;
    WindowFill = 0;
    Dirty = false;
    SizeAtOpen = FileSizeAtOpen(File);
    if (SizeAtOpen < 0)
        SizeAtOpen = std::max<int64_t>(FileSizeBytes(File), 0);
    return true;
}

bool BufferedFile::CloseFile()
{
    if (!Open)
        return false;
    bool flushed = !Dirty || FlushWindow();
    const uint16_t flushError = LastIoError;
    bool closed = ::CloseFile(File);
    if (closed)
        Open = false;
    if (!flushed)
        LastIoError = flushError;  // a full disk is reported as such, not as the close that followed
    return flushed && closed;
}

bool BufferedFile::FlushWindow()
{
    if (!Open)
        return false;
    if (Dirty && WindowFill > 0) {
        if (!SeekRecord(File, WindowStart) || !WriteRecords(File, Window.data(), WindowFill))
            return false;
        SizeAtOpen = std::max(SizeAtOpen, WindowEnd());
    }
    Dirty = false;
    return true;
}

// Nothing past the size the file had at open (or that this object wrote)
// is read: a letter smaller than the window is read in one call.
bool BufferedFile::FillWindow()
{
    if (!Open || (Dirty && !FlushWindow()))
        return false;
    const auto wanted = static_cast<uint32_t>(std::clamp<int64_t>(SizeAtOpen - WindowStart, 0, int64_t(Window.size())));
    uint32_t got = 0;
    if (wanted > 0 && (!SeekRecord(File, WindowStart) || !ReadRecords(File, Window.data(), wanted, got)))
        return false;
    WindowFill = got;
    return true;
}

bool BufferedFile::RestartWindowAt(int64_t offset)
{
    if (Dirty && !FlushWindow())
        return false;
    WindowStart = offset;
    WindowFill = 0;
    return true;
}

bool BufferedFile::SeekTo(int64_t offset)
{
    if (!Open || offset < 0)
        return false;
    Position = offset;
    return true;
}

bool BufferedFile::ReadBytes(void* buffer, uint32_t count, uint32_t& got)
{
    got = 0;
    if (!Open)
        return false;
    auto* out = static_cast<char*>(buffer);
    while (got < count) {
        if (Position < WindowStart || Position >= WindowEnd()) {
            if (!RestartWindowAt(Position) || !FillWindow())
                return false;
            if (WindowFill == 0)
                break;  // end of the file
        }
        auto offsetInWindow = static_cast<uint32_t>(Position - WindowStart);
        uint32_t n = std::min(count - got, WindowFill - offsetInWindow);
        std::memcpy(out + got, Window.data() + offsetInWindow, n);
        got += n;
        Position += n;
    }
    return true;
}

bool BufferedFile::WriteBytes(const void* buffer, uint32_t count)
{
    if (!Open)
        return false;
    const auto* in = static_cast<const char*>(buffer);
    uint32_t done = 0;
    const auto capacity = static_cast<int64_t>(Window.size());
    while (done < count) {
        // The window takes bytes that continue or overwrite its run, as far as it reaches.
        if (Position < WindowStart || Position > WindowEnd() || Position >= WindowStart + capacity) {
            if (!RestartWindowAt(Position))
                return false;
        }
        auto offsetInWindow = static_cast<uint32_t>(Position - WindowStart);
        uint32_t n = std::min<uint32_t>(count - done, static_cast<uint32_t>(capacity) - offsetInWindow);
        std::memcpy(Window.data() + offsetInWindow, in + done, n);
        WindowFill = std::max(WindowFill, offsetInWindow + n);
        Dirty = true;
        done += n;
        Position += n;
    }
    return true;
}

int64_t BufferedFile::GetFileSize()
{
    if (!Open)
        return 0;
    int64_t onDisk = FileSizeBytes(File);
    return std::max({onDisk, SizeAtOpen, Dirty ? WindowEnd() : int64_t(0)});
}
