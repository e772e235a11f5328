#include "support/TestSupport.h"


#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Startup.h"

namespace fs = std::filesystem;

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorvel-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed");
    Dir = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(Dir, ec);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PatchFileBytes(const std::string& path, std::size_t offset, const std::string& bytes)
{
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> DirectoryNames(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void CopyDirectory(const std::string& from, const std::string& to)
{
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::path target = fs::path(to) / entry.path().filename();
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }
}

std::string FixturesDir()
{
    std::vector<std::string> candidates;
    if (const char* env = std::getenv("QUORVEL_FIXTURES"); env && *env)
        candidates.push_back(env);
    candidates.push_back(std::string(QUORVEL_SOURCE_DIR) + "/../shared/fixtures");
    for (const std::string& c : candidates)
        if (PathExists(c + "/README.md"))
            return c;
    ADD_FAILURE() << "fixtures not found: set QUORVEL_FIXTURES";
    return candidates.front();
}

std::string Le16(uint16_t value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(uint32_t value)
{
    return Le16(static_cast<uint16_t>(value & 0xFFFF)) + Le16(static_cast<uint16_t>(value >> 16));
}

uint16_t GetLe16(const std::string& bytes, std::size_t offset)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(offset)) |
                                 (static_cast<uint8_t>(bytes.at(offset + 1)) << 8));
}

uint32_t GetLe32(const std::string& bytes, std::size_t offset)
{
    return GetLe16(bytes, offset) | (uint32_t(GetLe16(bytes, offset + 2)) << 16);
}

std::string PascalField(const std::string& text, std::size_t fieldSize)
{
    std::string field(fieldSize, '\0');
    std::size_t n = std::min(text.size(), fieldSize - 1);
    field[0] = static_cast<char>(n);
    text.copy(field.data() + 1, n);
    return field;
}

std::string ZeroField(const std::string& text, std::size_t fieldSize)
{
    std::string field(fieldSize, '\0');
    text.copy(field.data(), std::min(text.size(), fieldSize));
    return field;
}

std::string ManifestLineAsRead(std::string line, bool softBreak8D)
{
    if (softBreak8D)
        for (std::size_t at; (at = line.find("Н")) != std::string::npos;)
            line.erase(at, std::string("Н").size());
    return line;
}

ManualTosserClock::ManualTosserClock(TosserFlag& flag) : Flag(flag)
{
    Flag.SetClock([this] { return Now; });
}

ManualTosserClock::~ManualTosserClock()
{
    Flag.SetClock(nullptr);
}
