// Stored bytes -> UTF-8. Every name, subject, control line and line of text
// read from a message base passes through here once, with the character set
// its letter names (or none). ASCII passes unchanged, one-byte sets go
// through a table, UTF-8 is checked; malformed bytes become U+FFFD and never
// cut a line short.
#pragma once

#include <string>
#include <string_view>

#include "core/Charset.h"

// What the user's settings say about reading letters.
struct ReadingRules {
    // The set of letters that name none and are not UTF-8.
    Charset DefaultIncoming = Charset::Cp866;
    // CP866 byte 0x8D: false, the Cyrillic capital Н; true, a soft line
    // break, which is dropped.
    bool SoftBreak8D = false;
};

// The set to read bytes in: the declared one when the letter names a set;
// else UTF-8 when the bytes are valid UTF-8 with at least one multi-byte
// character; else the default incoming set.
Charset ResolveCharset(Charset declared, std::string_view bytes, Charset defaultIncoming);

// Bytes in a known set -> UTF-8 (None reads as UTF-8).
std::string DecodeAs(std::string_view bytes, Charset set, bool softBreak8D = false);

// Bytes of a letter's text, the letter declaring `declared` (None when it
// names no set).
std::string DecodeLetterText(std::string_view bytes, Charset declared, const ReadingRules& rules);

// A name or subject of such a letter: the same, except that 0x8D is the
// letter Н whatever the rules say (a soft line break means something only in
// a text).
std::string DecodeHeaderField(std::string_view bytes, Charset declared, const ReadingRules& rules);
