// Start-up: the command line and the program's name and version.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline constexpr const char* ProgramTitle = "Quorvel";
inline constexpr const char* ProgramVersion = "2.00.84";

// What the command line names; never changed once the program runs.
struct StartParameters {
    std::string TossingFlagFile;  // parameter 1: the tosser's "tossing in progress" flag
    std::string AreasFileName;    // parameter 2: the areas file
    std::string HudsonPath;       // parameter 3: the Hudson base directory, or empty
};

// The four-line usage message (lines joined by a single CR).
const std::string& UsageMessage();

// Checks the parameters (the program name not counted). With fewer than two
// it shows the usage message through showMessage and returns false: the
// program then ends with exit code 0. Otherwise it stores the first three in
// start (later ones are ignored) and returns true.
bool CheckParameters(const std::vector<std::string>& params, StartParameters& start,
                     const std::function<void(const std::string&)>& showMessage);

// The key under which the windows keep their placements:
// Software\Tressik\Quorvel\ and the first four characters of the version.
std::string SettingsKey();
