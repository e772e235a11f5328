// UTF-8 -> the bytes of a character set, for saving a letter. The caller
// learns whether every character fit; a letter with one that does not is
// written in UTF-8 instead.
#pragma once

#include <string>
#include <string_view>

#include "core/Charset.h"

struct EncodedText {
    std::string Bytes;
    // Every character had a place in the set; otherwise the missing ones
    // stand as '?' in Bytes.
    bool Complete = true;
};

// What becomes of the Cyrillic capital Н in CP866, whose byte 0x8D is also
// the soft line break of old editors, which many readers drop from a text.
enum class CapitalEn {
    AsLatinH,  // a letter's text: written as the Latin H, so no reader loses it
    AsIs,      // names and subjects: no reader takes them for text to reflow
};

// UTF-8 text in a set (None and UTF-8 give the text itself, malformed
// sequences as U+FFFD; the Н stays as it is).
EncodedText EncodeText(std::string_view utf8, Charset set, CapitalEn en = CapitalEn::AsLatinH);

// Whether EncodeText would be Complete, without building the bytes.
bool FitsCharset(std::string_view utf8, Charset set);
