// The demo point: an areas file, a netmail directory and one echo area in
// each message base format, filled with a few conversations, so that a new
// user has letters to read before pointing the program at a real tosser.
#pragma once

#include <string>
#include <vector>

#include "core/UserSettings.h"

struct DemoLetterSpec {
    int Parent = -1;         // index of the answered letter in the same area, -1 for a root
    const char* From;        // UTF-8
    const char* To;
    const char* Subject;
    int MinutesAgo;          // written this long before the demo was made
    bool Read;
    std::vector<const char*> Lines;  // the body, UTF-8
    bool ExtraKludges = false;       // PID, TZUTC and a PATH, as tossed mail carries
    bool Utf8 = false;               // stored in UTF-8 (else CP866), as modern editors write
};

struct DemoAreaSpec {
    const char* Tag;
    const char* AreasFileWord;  // how the areas file names the base, with "%s" for the point's directory
    const char* BaseSpec;       // the base string, with "%s" for the point's directory
    const char* Origin;         // origin text of the letters' writers
    std::vector<DemoLetterSpec> Letters;
};

const std::vector<DemoAreaSpec>& DemoAreas();

// Makes the demo point in dir. Throws ToolError when dir holds files the demo
// did not make. Returns the areas file's path.
std::string MakeDemoPoint(const std::string& dir);

// The user of a fresh installation (no name stored yet) becomes the demo's own
// point, Иван Петров at 2:5020/1234.5, so that the demo's letters to Ivan are
// theirs and their netmail leaves from the point's address. A user already
// set is left alone (program names the settings key). Returns whether the
// user was set.
bool AdoptDemoUser(const UserSettings& program, Registry& settings);
