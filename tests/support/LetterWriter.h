// Writing letters into a message base through the interface, as the program
// does, for tests of everything above the formats.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "msgbase/MsgBase.h"

struct LetterSpec {
    std::string From = "Sender";
    std::string To = "All";
    std::string Subject = "Subject";
    DateTime Date = 45000.5;
    Num ReplyTo = 0;
    bool Read = false;
    std::vector<std::string> Lines = {};
    Charset Set = Charset::Cp866;  // the set the names, subject and lines are stored in
};

// Writes a letter through WriteLetter with its header and lines; returns its number (0 when the base refused it).
Num WriteLetterTo(MsgBase& base, const LetterSpec& letter);

// Writes the loaded letter's header back with the changes `change` makes to
// it; the status of RewriteHeader.
Status RewriteChanged(MsgBase& base, const std::function<void(LetterHeader&)>& change);

// Opens the base named by spec (creating it), writes the letters and closes
// it; returns their numbers.
std::vector<Num> WriteLetters(const std::string& spec, const std::vector<LetterSpec>& letters);

// Base strings of every on-disk format, inside dir; a format the factory does
// not know yet is left out (its tests start running when it lands).
std::vector<std::string> DiskFormatSpecs(const std::string& dir);

