#include "core/FlagFile.h"

#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

#include "core/CodePage.h"
#include "core/OsFiles.h"
#include "core/StringHelpers.h"

namespace {

// The directory listing behind the last "not there under its own name"
// answer. The listing answers for the exact name too. It stays good while the directory is unchanged: creating, removing
// or renaming an entry changes the directory's modification time. Because
// that time is kept with a coarse clock, a listing made within the same
// clock tick as the last change may have missed a second change in that
// tick; a listing is only trusted when it was made well after the directory
// last changed.
struct Listing {
    std::string Dir;      // OS path of the directory, as written
    std::string Name;     // OS name looked for
    dev_t Device = 0;
    ino_t Inode = 0;
    timespec Modified{};
    timespec ListedAt{};
    std::string Match;    // the entry that matched without regard to case, or ""
    bool Valid = false;
};

constexpr time_t TrustMarginSeconds = 2;

bool Later(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool IsRegular(const std::string& osPath)
{
    struct stat st {};
    return stat(osPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entry of dir that the path lookup of OsFiles takes for name: the name
// itself when present, else the first entry equal to it without regard to
// ASCII case.
std::string FindMatch(const std::string& dir, const std::string& name)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return {};
    std::string wanted = LowerAscii(name);
    std::string found;
    while (dirent* e = readdir(d)) {
        if (e->d_name == name) {
            found = name;
            break;
        }
        if (found.empty() && LowerAscii(e->d_name) == wanted)
            found = e->d_name;
    }
    closedir(d);
    return found;
}

}  // namespace

bool FlagFileExists(std::string_view ansiPath)
{
    static Listing cache;
    std::string os = AnsiToUtf8(ansiPath);
    if (os.empty())
        return false;
    std::size_t slash = os.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : os.substr(0, slash));
    std::string name = slash == std::string::npos ? os : os.substr(slash + 1);
    struct stat dirStat {};
    if (name.empty() || name == "." || name == ".." || stat(dir.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode))
        return RegularFileExists(ansiPath);  // the directory needs looking up too: the general way

    bool trusted = cache.Valid && cache.Dir == dir && cache.Name == name && cache.Device == dirStat.st_dev &&
                   cache.Inode == dirStat.st_ino && SameTime(cache.Modified, dirStat.st_mtim);
    if (trusted) {
        timespec settled = dirStat.st_mtim;
        settled.tv_sec += TrustMarginSeconds;
        trusted = Later(cache.ListedAt, settled);
    }
    if (!trusted) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        cache.Dir = dir;
        cache.Name = name;
        cache.Device = dirStat.st_dev;
        cache.Inode = dirStat.st_ino;
        cache.Modified = dirStat.st_mtim;
        cache.ListedAt = now;
        cache.Match = FindMatch(dir, name);
        cache.Valid = true;
    }
    // The usual answer, "not there", has cost one stat of the directory.
    return !cache.Match.empty() && IsRegular(dir + "/" + cache.Match);
}
