#include "core/OsFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/StringHelpers.h"

namespace {

bool OsExists(const std::string& osPath)
{
    struct stat st {};
    return lstat(osPath.c_str(), &st) == 0;
}

// Finds an entry of dir whose name equals name without regard to ASCII case.
bool FindCaseInsensitive(const std::string& dir, const std::string& name, std::string& found)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return false;
    std::string wanted = LowerAscii(name);
    bool ok = false;
    while (dirent* e = readdir(d)) {
        if (LowerAscii(e->d_name) == wanted) {
            found = e->d_name;
            ok = true;
            break;
        }
    }
    closedir(d);
    return ok;
}

}  // namespace

std::string ToOsPath(std::string_view given)
{
    std::string path(given);
    if (path.empty() || OsExists(path))
        return path;
    return ResolveMissingComponents(path, [](const std::string& dir, const std::string& name) {
        std::string found;
        FindCaseInsensitive(dir, name, found);
        return found;
    });
}

std::string ResolveMissingComponents(const std::string& path, const ComponentLookup& lookup)
{
    // Walk the components; only the ones that do not exist as written are looked up.
    const bool absolute = !path.empty() && path[0] == '/';
    std::string result(absolute ? 1 : 0, '/');
    std::size_t i = result.size();
    while (i <= path.size()) {
        std::size_t slash = path.find('/', i);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        std::string component = path.substr(i, end - i);
        if (!component.empty()) {
            std::string candidate = result + component;
            if (!OsExists(candidate) && component != "." && component != "..")
                if (std::string found = lookup(result.empty() ? "." : result, component); !found.empty())
                    candidate = result + found;
            result = candidate;
        }
        if (slash == std::string::npos)
            break;
        result += '/';
        i = slash + 1;
    }
    return result;
}

uint16_t DosErrorFromErrno(int err)
{
    switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE: case ENFILE: return 4;
    case EACCES: case EPERM: case EAGAIN: case EISDIR: case EBUSY: case ETXTBSY: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EROFS: return 19;
    case EIO: return 30;
    case ENOSPC: case EDQUOT: return 112;
    case EEXIST: return 80;
    case EINVAL: return 87;
    case ENAMETOOLONG: return 206;
    case EFBIG: return 223;
    default: return 31;  // general failure
    }
}

uint16_t DosErrorForPath(int err, const std::string& osPath)
{
    if (err == ENOENT) {
        std::size_t slash = osPath.rfind('/');
        std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : osPath.substr(0, slash));
        struct stat st {};
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return 3;
    }
    return DosErrorFromErrno(err);
}

bool RegularFileExists(std::string_view path)
{
    struct stat st {};
    return stat(ToOsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path)
{
    struct stat st {};
    std::string os = ToOsPath(path);
    return stat(os.empty() ? "." : os.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Calls take(directory, entry) for every entry of a directory but "." and "..".
template <typename Take>
void ForEachEntry(std::string_view path, Take take)
{
    std::string os = ToOsPath(path);
    DIR* d = opendir(os.empty() ? "." : os.c_str());
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        std::string_view name = e->d_name;
        if (name != "." && name != "..")
            take(d, *e);
    }
    closedir(d);
}

}  // namespace

std::vector<std::string> ListDirectory(std::string_view path)
{
    std::vector<std::string> names;
    ForEachEntry(path, [&names](DIR*, const dirent& e) { names.push_back(std::string(e.d_name)); });
    return names;
}

bool PathOrBaseExists(std::string_view path)
{
    if (path.empty())
        return false;
    struct stat st {};
    if (stat(ToOsPath(path).c_str(), &st) == 0)
        return true;
    const std::size_t slash = path.rfind('/');
    const std::string_view dir = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    const std::string stem = UpperAscii(path.substr(dir.size())) + ".";
    if (stem.size() == 1)
        return false;
    for (const std::string& name : ListDirectory(dir))
        if (name.size() > stem.size() && UpperAscii(std::string_view(name).substr(0, stem.size())) == stem)
            return true;
    return false;
}

std::vector<std::string> ListPlainFiles(std::string_view path)
{
    std::vector<std::string> names;
    ForEachEntry(path, [&names](DIR* d, const dirent& e) {
        bool plain = e.d_type == DT_REG;
        if (e.d_type == DT_LNK || e.d_type == DT_UNKNOWN) {
            struct stat st {};
            plain = fstatat(dirfd(d), e.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (plain)
            names.push_back(std::string(e.d_name));
    });
    return names;
}

NameCase CaseOfName(std::string_view name)
{
    bool lower = false, upper = false;
    for (char ch : name) {
        lower |= ch >= 'a' && ch <= 'z';
        upper |= ch >= 'A' && ch <= 'Z';
    }
    if (upper && !lower)
        return NameCase::Upper;
    if (lower && !upper)
        return NameCase::Lower;
    return NameCase::Mixed;
}

std::string ApplyNameCase(std::string_view name, NameCase style)
{
    switch (style) {
    case NameCase::Upper: return UpperAscii(name);
    case NameCase::Lower: return LowerAscii(name);
    case NameCase::Mixed: break;
    }
    return std::string(name);
}

namespace {

// Reads a file from start to end, giving block after block to take.
uint16_t ForEachBlock(std::string_view path, const std::function<void(const char*, std::size_t)>& take)
{
    std::string os = ToOsPath(path);
    int fd = open(os.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return DosErrorForPath(errno, os);
    std::vector<char> buffer(65536);
    for (;;) {
        ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            close(fd);
            return DosErrorFromErrno(err);
        }
        if (got == 0)
            break;
        take(buffer.data(), static_cast<std::size_t>(got));
    }
    close(fd);
    return 0;
}

}  // namespace

uint16_t ForEachLine(std::string_view path, std::size_t maxLine, const std::function<void(std::string_view)>& line,
                     const std::function<void(std::size_t)>& tooLong)
{
    std::string current;
    bool overlong = false, afterCr = false, pending = false;
    std::size_t number = 0;
    auto finish = [&] {
        ++number;
        if (overlong)
            tooLong(number);
        else
            line(current);
        current.clear();
        overlong = pending = false;
    };
    const uint16_t code = ForEachBlock(path, [&](const char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const char ch = bytes[i];
            if (ch == '\n' && afterCr) {
                afterCr = false;  // the LF of a CR LF
                continue;
            }
            afterCr = ch == '\r';
            if (ch == '\r' || ch == '\n') {
                finish();
                continue;
            }
            pending = true;
            if (current.size() < maxLine)
                current += ch;
            else
                overlong = true;
        }
    });
    if (code == 0 && pending)
        finish();
    return code;
}

uint16_t ReadWholeFile(std::string_view path, std::string& contents)
{
    contents.clear();
    return ForEachBlock(path, [&](const char* bytes, std::size_t count) { contents.append(bytes, count); });
}

namespace {

int WriteAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        ssize_t done = write(fd, contents.data(), contents.size());
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        contents.remove_prefix(static_cast<std::size_t>(done));
    }
    return fsync(fd) == 0 ? 0 : errno;
}

void SyncDirectory(const std::string& directory)
{
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

int WriteFileAtomically(const std::string& path, std::string_view contents)
{
    std::filesystem::path target(path);
    std::string directory = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    std::error_code made;
    std::filesystem::create_directories(directory, made);
    std::string temp = path + ".new-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return errno;
    fchmod(fd, 0644);
    int err = WriteAll(fd, contents);
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        unlink(temp.c_str());
        return err;
    }
    SyncDirectory(directory);
    return 0;
}
