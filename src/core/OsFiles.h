// The one place where the core meets the operating system's file names.
// Paths are the host's bytes, never converted. Names are matched without
// regard to case when the exact name is missing, because Linux tossers write
// "msghdr.bbs" where DOS programs wrote "MSGHDR.BBS".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A path -> the path to hand to the OS, with every missing component looked up
// case-insensitively in its directory. A component that matches nothing is
// kept as given (so that a file can be created under that name).
std::string ToOsPath(std::string_view path);

// The DOS/Windows error code the program reports for an errno value:
// 2 file not found, 3 path not found, 5 access denied or lock conflict, ...
uint16_t DosErrorFromErrno(int err);
// The same for a failed call on osPath: a missing file whose directory is
// missing too is "path not found" (3), as DOS reports it.
uint16_t DosErrorForPath(int err, const std::string& osPath);

// The walk behind ToOsPath, on an OS path: every component that does not
// exist as written is replaced by what lookup finds for it in its directory
// (the entry equal to it without regard to case), or kept when that is "".
using ComponentLookup = std::function<std::string(const std::string& dir, const std::string& name)>;
std::string ResolveMissingComponents(const std::string& osPath, const ComponentLookup& lookup);

// Existence tests on paths (case-insensitive as above).
bool RegularFileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// Whether a path names something: a file or directory (found as above), or
// a base whose files are the path's last component with an extension
// ("ru.test" when the directory holds ru.test.jhr or RU.TEST.SQD).
bool PathOrBaseExists(std::string_view path);

// The names of the entries of a directory, or an empty list.
std::vector<std::string> ListDirectory(std::string_view path);
// The names of the plain files of a directory, symbolic links to
// plain files among them, or an empty list. The type the directory records
// for each entry is taken where the file system keeps one: a large
// directory is listed without looking at each of its files.
std::vector<std::string> ListPlainFiles(std::string_view path);

// The case style of an existing file name, applied to a name the program is
// about to create: a base whose files are lower case gets lower-case new
// files, an upper-case one upper case; a new base gets lower case.
enum class NameCase { Lower, Upper, Mixed };
NameCase CaseOfName(std::string_view name);
std::string ApplyNameCase(std::string_view name, NameCase style);

// Reads a whole file. Returns 0 or the DOS-style error code.
uint16_t ReadWholeFile(std::string_view path, std::string& contents);
// Reads a text file line by line (a line ends at CR, LF or CR LF) in memory
// bounded by maxLine: a line longer than that is not kept, tooLong gets its
// number (from 1) instead. The DOS error code of a failure, else 0.
uint16_t ForEachLine(std::string_view path, std::size_t maxLine, const std::function<void(std::string_view)>& line,
                     const std::function<void(std::size_t)>& tooLong);

// Replaces a file's contents so that a crash leaves either the old or the
// new contents, never a mix: written to a new file beside it, flushed to
// disk, renamed over it. Missing directories are made. Returns 0 or errno.
int WriteFileAtomically(const std::string& path, std::string_view contents);
