// A random-access file read and written through one window buffer: header
// fields of a *.MSG letter are many small reads and writes at scattered
// offsets, and the window turns them into a few real ones. The window always
// holds a contiguous run of bytes that are either the file's or newer than
// the file's (dirty); it is written back when the position leaves it, on
// FlushWindow and on CloseFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msgbase/FileLayer.h"

class BufferedFile {
public:
    explicit BufferedFile(uint32_t bufferSize);
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;
    ~BufferedFile();

    // Closes a file still open, creates the file empty when it does not exist
    // (for writing only), opens it. Position 0, empty window.
    bool OpenFile(const std::string& name, OpenMode mode);
    // Opens an existing file by its name in an open directory (see OpenExistingIn).
    bool OpenFileIn(const DirectoryRecord& directory, const std::string& name, OpenMode mode);
    bool CloseFile();
    bool IsOpen() const { return Open; }

    // Copies up to count bytes from the position; got = bytes delivered
    // (fewer at the end of the file). Advances the position.
    bool ReadBytes(void* buffer, uint32_t count, uint32_t& got);
    bool WriteBytes(const void* buffer, uint32_t count);
    bool SeekTo(int64_t offset);
    // Writes the window's bytes back when they are newer than the file's.
    bool FlushWindow();
    // Reloads the window from the file at the window start, up to the size known.
    bool FillWindow();
    // The file's size including bytes still in the window.
    int64_t GetFileSize();
    // The size the file had when it was opened, grown by what this object
    // wrote since: reads end there.
    int64_t SizeKnown() const { return SizeAtOpen; }
    int64_t GetPos() const { return Position; }

private:
    FileRecord File;
    std::vector<char> Window;
    int64_t WindowStart = 0;
    uint32_t WindowFill = 0;
    int64_t SizeAtOpen = 0;
    bool Dirty = false;
    bool Open = false;
    int64_t Position = 0;

    int64_t WindowEnd() const { return WindowStart + WindowFill; }
    bool Opened();
    bool RestartWindowAt(int64_t offset);
};
