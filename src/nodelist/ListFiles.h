// Finding and reading the files of the lists. A list the user names is a
// file, or a base name whose newest day-numbered copy is taken: NODELIST
// finds NODELIST.123 and the packed copies NODELIST.Z23 (ZIP), .A23, .J23,
// .L23, .R23, .723, ... whose two digits are the day number's last two.
// Packed copies are read through libarchive into memory, never unpacked to
// disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The day of the year (1..366) today, in local time.
int TodayDayOfYear();

// The day number a day-numbered extension gives ("123" -> 123; "Z23" -> the
// day among 23, 123, 223, 323 nearest before today), or -1 when the
// extension is no day number.
int DayNumberOfExtension(std::string_view extension, int today);
// How many days back from today a day number lies, the year's turn counted
// (today 3, day 360: 9 days).
int DaysBefore(int day, int today);

// The file a list names: the file itself when it exists, else the newest
// day-numbered copy of the base name in its directory (a plain copy before a
// packed one of the same day); "" when there is none.
std::string ResolveListFile(const std::string& name, int today);

// The bytes of a list file, unpacked when it is an archive (the first
// regular file in it). "" when read, else what went wrong (UTF-8).
std::string ReadListFile(const std::string& path, std::string& bytes);

// The size and modification time of a file, to see that it changed; both 0
// when it cannot be looked at.
struct FileStamp {
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);
