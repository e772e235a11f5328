#include "core/FlagFile.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <utility>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"

namespace {

// What one read of a directory said about one name: the entry that the path
// lookup of OsFiles takes for it (the first entry equal to it without regard
// to ASCII case), or none. It stays good while the directory is unchanged:
// creating, removing or renaming an entry changes the directory's
// modification time. Because that time is kept with a coarse clock, a read
// made within the same tick as the last change may have missed a second
// change in that tick; a read is only trusted when it was made well after
// the directory last changed.
struct Lookup {
    dev_t Device = 0;
    ino_t Inode = 0;
    timespec Modified{};
    timespec ReadAt{};
    std::string Match;
};

constexpr time_t TrustMarginSeconds = 2;
// A flag path has a handful of components; more entries mean the path changed.
constexpr std::size_t MaxLookups = 32;

std::map<std::pair<std::string, std::string>, Lookup> Lookups;  // by (directory, name)
std::size_t DirectoryReads = 0;

bool Later(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FlagState StateOf(const std::string& osPath)
{
    struct stat st {};
    if (stat(osPath.c_str(), &st) == 0)
        return S_ISREG(st.st_mode) ? FlagState::Present : FlagState::Unexaminable;
    if (errno != ENOENT && errno != ENOTDIR)
        return FlagState::Unexaminable;  // not searchable, a loop of links, an I/O error
    // A symbolic link to nothing is there, but says nothing.
    return lstat(osPath.c_str(), &st) == 0 ? FlagState::Unexaminable : FlagState::Absent;
}

std::string ReadMatch(const std::string& dir, const std::string& name)
{
    ++DirectoryReads;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return {};
    std::string wanted = LowerAscii(name);
    std::string found;
    while (dirent* e = readdir(d)) {
        if (LowerAscii(e->d_name) == wanted) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

// The entry of dir that stands for name without regard to case ("" for
// none), read again only when the directory may have changed.
std::string MatchIn(const std::string& dir, const std::string& name, const struct stat& dirStat)
{
    auto key = std::make_pair(dir, name);
    auto it = Lookups.find(key);
    if (it != Lookups.end()) {
        const Lookup& kept = it->second;
        timespec settled = kept.Modified;
        settled.tv_sec += TrustMarginSeconds;
        if (kept.Device == dirStat.st_dev && kept.Inode == dirStat.st_ino && SameTime(kept.Modified, dirStat.st_mtim) &&
            Later(kept.ReadAt, settled))
            return kept.Match;
    }
    if (it == Lookups.end() && Lookups.size() >= MaxLookups)
        Lookups.clear();
    Lookup fresh;
    fresh.Device = dirStat.st_dev;
    fresh.Inode = dirStat.st_ino;
    fresh.Modified = dirStat.st_mtim;
    clock_gettime(CLOCK_REALTIME, &fresh.ReadAt);
    fresh.Match = ReadMatch(dir, name);
    return (Lookups[key] = std::move(fresh)).Match;
}

std::string MatchIn(const std::string& dir, const std::string& name)
{
    struct stat dirStat {};
    if (stat(dir.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode))
        return {};
    return MatchIn(dir, name, dirStat);
}

}  // namespace

FlagState LookAtFlag(std::string_view path)
{
    std::string os(path);
    if (os.empty())
        return FlagState::Absent;
    if (FlagState state = StateOf(os); state != FlagState::Absent)
        return state;

    // The usual case: the directory is there as written and the flag is not.
    std::size_t slash = os.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : os.substr(0, slash));
    std::string name = slash == std::string::npos ? os : os.substr(slash + 1);
    struct stat dirStat {};
    if (!name.empty() && name != "." && name != ".." && stat(dir.c_str(), &dirStat) == 0 &&
        S_ISDIR(dirStat.st_mode)) {
        std::string match = MatchIn(dir, name, dirStat);
        return match.empty() ? FlagState::Absent : StateOf(dir + "/" + match);
    }
    // The general way, as ToOsPath resolves a path, with the kept reads.
    return StateOf(ResolveMissingComponents(
        os, [](const std::string& dir, const std::string& component) { return MatchIn(dir, component); }));
}

std::size_t FlagFileDirectoryReads()
{
    return DirectoryReads;
}
