// The user's settings: name, main address, AKAs, the two letter templates,
// the tags of the netmail areas and the character sets. A value: the session
// holds the one in use, read once when the main window is created and
// written when the user confirms the settings dialog.
#pragma once

#include <string>
#include <vector>

#include "core/Charset.h"
#include "core/CharsetDecoder.h"
#include "core/FidoAddress.h"
#include "core/Registry.h"

struct UserSettings {
    // Every setting at its built-in default. The main address stays zero
    // until Load: it is the default for the parts a stored address leaves out.
    UserSettings();

    std::string UserName;
    FidoAddress MainAddress;
    std::vector<std::string> AKAs;
    std::vector<std::string> NewLetterTemplate;
    std::vector<std::string> QuoteReplyTemplate;
    // Tags of the areas whose letters are netmail, besides NETMAIL (one a line).
    std::vector<std::string> NetmailAreas;
    // The set of letters that name none and are not UTF-8 (default CP866).
    Charset DefaultIncomingCharset = Charset::Cp866;
    // The set new letters are written in when every character fits (default CP866).
    Charset OutgoingCharset = Charset::Cp866;
    // CP866 byte 0x8D in a letter's text: false, the letter Н (default); true,
    // the soft line break of old editors, dropped.
    bool SoftBreak8D = false;
    // The name of the program file (without directory) that names the
    // settings key; the program sets it from its command line.
    std::string ProgramFile = "quorvel";

    // The reading settings above, as the decoder takes them.
    ReadingRules Reading() const;
    // Whether letters written into the area of this tag are netmail: the area
    // tagged NETMAIL always, and every area the user named in NetmailAreas
    // (compared without regard to the case of Latin letters).
    bool IsNetmailArea(const std::string& tag) const;

    // Takes the program file's name from its path.
    void SetProgramFileName(const std::string& path);
    // The program file's name with its extension replaced by ".INI".
    std::string Key() const;

    // Reads the settings; what is absent keeps its current value. A stored main
    // address such as "Name (2:5020/1.4)" is reduced to the address first.
    void Load(Registry& registry);
    // Writes the settings; each list replaces its whole section, empty lines
    // stored as "-".
    void Save(Registry& registry) const;
};

const std::string& DefaultUserName();
const std::string& DefaultMainAddressText();
const std::vector<std::string>& DefaultNewLetterTemplate();
const std::vector<std::string>& DefaultQuoteReplyTemplate();

// The text of a stored main address reduced to the address itself.
std::string ReduceAddressText(const std::string& text);
