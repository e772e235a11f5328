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

// UTF-8 text in a set (None and UTF-8 give the text itself, malformed
// sequences as U+FFFD). In CP866 the Cyrillic capital Н is written as the
// Latin H: its own byte, 0x8D, is the soft line break that many readers drop.
EncodedText EncodeText(std::string_view utf8, Charset set);

// Whether EncodeText would be Complete, without building the bytes.
bool FitsCharset(std::string_view utf8, Charset set);
