#include "nodelist/ListFiles.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <cctype>
#include <ctime>
#include <memory>

#include "core/OsFiles.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"

namespace {

constexpr int DaysInLongYear = 366;

// The first letter of a packed copy's extension names its archiver.
bool IsArchiverLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '7';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string DirectoryOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsPacked(const std::string& path)
{
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    return dot != std::string::npos && name.size() - dot == 4 && !IsDigit(name[dot + 1]);
}

// Whether the bytes begin as an archive libarchive reads: ZIP, RAR, 7-Zip,
// LHA, gzip, bzip2, xz, and tar's ustar mark.
bool LooksPacked(std::string_view head)
{
    auto starts = [&](std::string_view magic, std::size_t at = 0) {
        return head.size() >= at + magic.size() && head.substr(at, magic.size()) == magic;
    };
    return starts("PK\x03\x04") || starts("Rar!") || starts("7z\xBC\xAF\x27\x1C") || starts("-lh", 2) ||
        starts("\x1F\x8B") || starts("BZh") ||
        starts("\xFD"
               "7zXZ") ||
        starts("ustar", 257);
}

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};

std::string ReadPacked(const std::string& packed, const std::string& path, std::string& bytes)
{
    std::unique_ptr<archive, ArchiveCloser> reader(archive_read_new());
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    archive_read_support_format_raw(reader.get());
    if (archive_read_open_memory(reader.get(), packed.data(), packed.size()) != ARCHIVE_OK)
        return path + ": " + archive_error_string(reader.get());
    archive_entry* entry = nullptr;
    while (archive_read_next_header(reader.get(), &entry) == ARCHIVE_OK) {
        if (archive_entry_filetype(entry) != AE_IFREG && archive_entry_filetype(entry) != 0)
            continue;
        bytes.clear();
        if (archive_entry_size_is_set(entry))
            bytes.reserve(static_cast<std::size_t>(archive_entry_size(entry)));
        char buffer[64 * 1024];
        la_ssize_t got;
        while ((got = archive_read_data(reader.get(), buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(got));
        if (got < 0)
            return path + ": " + archive_error_string(reader.get());
        return {};
    }
    const char* error = archive_error_string(reader.get());
    return path + ": " + (error ? error : "в архиве нет файла");
}

}  // namespace

int TodayDayOfYear()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_yday + 1;
}

int DaysBefore(int day, int today)
{
    return ((today - day) % DaysInLongYear + DaysInLongYear) % DaysInLongYear;
}

int DayNumberOfExtension(std::string_view extension, int today)
{
    if (extension.size() != 3 || !IsDigit(extension[1]) || !IsDigit(extension[2]))
        return -1;
    int lastTwo = (extension[1] - '0') * 10 + (extension[2] - '0');
    if (IsDigit(extension[0])) {
        int day = (extension[0] - '0') * 100 + lastTwo;
        return day >= 1 && day <= DaysInLongYear ? day : -1;
    }
    if (!IsArchiverLetter(extension[0]))
        return -1;
    int best = -1;
    for (int day = lastTwo; day <= DaysInLongYear; day += 100)
        if (day >= 1 && (best < 0 || DaysBefore(day, today) < DaysBefore(best, today)))
            best = day;
    return best;
}

std::string ResolveListFile(const std::string& name, int today)
{
    if (name.empty())
        return {};
    if (RegularFileExists(name))
        return ToOsPath(name);
    std::string directory = DirectoryOf(name);
    std::string base = FileNameOf(name);
    std::string best;
    int bestAge = DaysInLongYear + 1;
    for (const std::string& file : ListPlainFiles(ToOsPath(directory))) {
        if (file.size() != base.size() + 4 || file[base.size()] != '.' ||
            Utf8CompareNoCase(std::string_view(file).substr(0, base.size()), base) != 0)
            continue;
        int day = DayNumberOfExtension(std::string_view(file).substr(base.size() + 1), today);
        if (day < 0)
            continue;
        int age = DaysBefore(day, today);
        std::string path = ToOsPath(directory) + "/" + file;
        if (age < bestAge || (age == bestAge && IsPacked(best) && !IsPacked(path))) {
            best = path;
            bestAge = age;
        }
    }
    return best;
}

std::string ReadListFile(const std::string& path, std::string& bytes)
{
    std::string contents;
    if (ReadWholeFile(path, contents) != 0)
        return path + ": " + (RegularFileExists(path) ? "файл не читается" : "нет такого файла");
    if (!LooksPacked(contents)) {
        bytes = std::move(contents);
        return {};
    }
    return ReadPacked(contents, path, bytes);
}

FileStamp StampOf(const std::string& path)
{
    struct stat info { };
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return {};
    return {static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}
