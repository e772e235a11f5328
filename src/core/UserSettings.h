// The user's settings: name, main address, AKAs, the two letter templates
// and the tags of the netmail areas. They live in memory for the whole run, are read once when the
// main window is created and written when the user confirms the settings
// dialog.
#pragma once

#include <string>
#include <vector>

#include "core/FidoAddress.h"
#include "core/Registry.h"

extern std::string UserName;
extern FidoAddress MainAddress;
extern std::vector<std::string> AKAs;
extern std::vector<std::string> NewLetterTemplate;
extern std::vector<std::string> QuoteReplyTemplate;
// Tags of the areas whose letters are netmail, besides NETMAIL (one a line).
extern std::vector<std::string> NetmailAreas;

// Whether letters written into the area of this tag are netmail: the area
// tagged NETMAIL always, and every area the user named in NetmailAreas
// (compared without regard to the case of Latin letters).
bool IsNetmailArea(const std::string& tag);

// Puts every setting back to its built-in default (done at start-up).
void InitSettings();
const std::string& DefaultUserName();
const std::string& DefaultMainAddressText();
const std::vector<std::string>& DefaultNewLetterTemplate();
const std::vector<std::string>& DefaultQuoteReplyTemplate();

// The name of the program file (without directory) that names the settings
// key; the windows set it from the command line at start-up.
void SetProgramFileName(const std::string& path);
// The program file's name with its extension replaced by ".INI".
std::string UserSettingsKey();

// Reads the settings; what is absent keeps its current value. A stored main
// address such as "Name (2:5020/1.4)" is reduced to the address first.
void LoadSettings(Registry& registry);
void LoadSettings();
// Writes the settings; each list replaces its whole section, empty lines
// stored as "-".
void SaveSettings(Registry& registry);
void SaveSettings();

// The text of a stored main address reduced to the address itself.
std::string ReduceAddressText(const std::string& text);
