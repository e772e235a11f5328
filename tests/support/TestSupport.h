// Helpers the test programs share.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/TosserFlag.h"

// A fresh directory under $TMPDIR, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return Dir; }
    // Path of a name inside the directory.
    std::string operator/(const std::string& name) const { return Dir + "/" + name; }

private:
    std::string Dir;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Writes bytes at an offset of an existing file, as another program does (not
// through the file layer, so this process does not know of the change).
void PatchFileBytes(const std::string& path, std::size_t offset, const std::string& bytes);
bool PathExists(const std::string& path);
std::vector<std::string> DirectoryNames(const std::string& path);  // sorted
void CopyDirectory(const std::string& from, const std::string& to);

// The fixtures folder (bases written by other programs); fails the current
// test when it cannot be found.
std::string FixturesDir();

// Little-endian building blocks for bases written byte by byte.
std::string Le16(uint16_t value);
std::string Le32(uint32_t value);
uint16_t GetLe16(const std::string& bytes, std::size_t offset);
uint32_t GetLe32(const std::string& bytes, std::size_t offset);
// A length-prefixed string field of the given total size (Hudson style).
std::string PascalField(const std::string& text, std::size_t fieldSize);
// A zero-terminated, zero-padded field.
std::string ZeroField(const std::string& text, std::size_t fieldSize);

// A line of a fixture's manifest (UTF-8) as the line readers deliver it: the
// same, except that where CP866 0x8D is read as a soft line break the
// capital Н (that byte) is dropped.
std::string ManifestLineAsRead(std::string line, bool softBreak8D);

// While it lives, the tosser flag's checks go by this clock, which only moves
// when told to (then the rate of looks at the flag is the test's to decide).
class ManualTosserClock {
public:
    explicit ManualTosserClock(TosserFlag& flag);
    ~ManualTosserClock();
    ManualTosserClock(const ManualTosserClock&) = delete;
    ManualTosserClock& operator=(const ManualTosserClock&) = delete;
    void Advance(std::chrono::milliseconds by) { Now += by; }

private:
    TosserFlag& Flag;
    std::chrono::steady_clock::time_point Now{};
};
