// Whether the tosser's flag file exists. The answer is exactly that of
// RegularFileExists (a name missing as written is matched without regard to
// case, component by component), but it never reads a directory while the
// directories along the path stay unchanged: the listings it needed are kept
// and trusted while their directory's identity and modification time hold.
// So the usual answer, no flag, costs a few stats, also when the flag's
// directory does not exist at all.
#pragma once

#include <cstddef>
#include <string_view>

// What is at the flag's path: nothing, the flag (a plain file), or something
// that cannot be examined (a directory or other non-plain file, a symbolic
// link to nothing or in a loop, a directory on the way that may not be
// searched). The last counts as the tosser working: the safe side.
enum class FlagState { Absent, Present, Unexaminable };
FlagState LookAtFlag(std::string_view path);
inline bool FlagFileExists(std::string_view path)
{
    return LookAtFlag(path) != FlagState::Absent;
}

// How many directories FlagFileExists has read since the program started
// (tests check that unchanged directories are not read again).
std::size_t FlagFileDirectoryReads();
