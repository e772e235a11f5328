// Start-up: the command line, the tosser's flag file and the program's name
// and version.
#pragma once

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

// The four-line usage message (ANSI; lines joined by a single CR).
const std::string& UsageMessage();

// Checks the parameters (the program name not counted). With fewer than two
// it shows the usage message through showMessage and returns false: the
// program then ends with exit code 0. Otherwise it stores the first three in
// the globals above (later ones are ignored) and returns true.
bool CheckParameters(const std::vector<std::string>& params,
                     const std::function<void(const std::string&)>& showMessage);

// The flag file exists (a plain file; asked afresh on every call).
bool TosserRunning();
// The program is ending, or the tosser is working on the bases: long loops
// over areas and letters stop at the next item.
bool StopRequested();
void SetApplicationTerminating(bool terminating);
// Whether the program has been told to end (its main loop is finishing).
bool ApplicationIsTerminating();
// TosserRunning, and whether it differs from the last time this was asked.
bool TosserStateChanged();

// The key under which the windows keep their placements:
// Software\Tressik\Quorvel\ and the first four characters of the version.
std::string SettingsKey();
