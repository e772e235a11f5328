// Start-up: the command line, the tosser's flag file and the program's name
// and version.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

inline constexpr const char* ProgramTitle = "Quorvel";
inline constexpr const char* ProgramVersion = "2.00.84";

// Set from the command line by CheckParameters; never changed afterwards.
extern std::string TossingFlagFile;  // parameter 1: the tosser's "tossing in progress" flag
extern std::string AreasFileName;    // parameter 2: the areas file
extern std::string HudsonPath;       // parameter 3: the Hudson base directory, or empty
extern bool TosserWasRunning;        // the flag's presence as last seen by TosserStateChanged

// The four-line usage message (lines joined by a single CR).
const std::string& UsageMessage();

// Checks the parameters (the program name not counted). With fewer than two
// it shows the usage message through showMessage and returns false: the
// program then ends with exit code 0. Otherwise it stores the first three in
// the globals above (later ones are ignored) and returns true.
bool CheckParameters(const std::vector<std::string>& params,
                     const std::function<void(const std::string&)>& showMessage);

// The flag file exists (a plain file; asked afresh on every call), or its
// path cannot be examined (taken as the tosser working: the safe side).
bool TosserRunning();
// The last look at the flag found its path not examinable (a directory, a
// link to nothing, a directory that may not be searched): the status to show.
bool TosserFlagUnexaminable();
// What the windows and the tool say while the tosser counts as working.
std::string TosserStatusText();
// TosserRunning for loops that ask once per letter: it looks at the flag at
// most once per TosserCheckInterval and otherwise gives the last answer (of
// any TosserRunning), so the usual answer costs a clock read.
bool TosserRunningLately();
// The program is ending, or the tosser is working on the bases (looked at
// as TosserRunningLately): long loops over areas and letters stop at the
// next item.
bool StopRequested();
// The same, looking at the flag afresh: a loop asks it before each area.
bool StopRequestedNow();
inline constexpr std::chrono::milliseconds TosserCheckInterval{50};
// The monotonic clock TosserRunningLately goes by; tests set their own (nullptr:
// the real one again).
void SetTosserCheckClock(std::function<std::chrono::steady_clock::time_point()> now);
void SetApplicationTerminating(bool terminating);
// Whether the program has been told to end (its main loop is finishing).
bool ApplicationIsTerminating();
// TosserRunning, and whether it differs from the last time this was asked.
bool TosserStateChanged();

// The key under which the windows keep their placements:
// Software\Tressik\Quorvel\ and the first four characters of the version.
std::string SettingsKey();
