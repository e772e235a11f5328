// The characters of each one-byte character set, as the decoder and the
// encoder look them up: built from iconv the first time a set is used, then
// kept for the life of the program, so that no string ever goes through
// iconv itself.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/Charset.h"

struct ByteCharsetTable {
    // The character of every byte; U+FFFD where the set has none.
    std::array<char32_t, 256> CodePoint{};
    // The same as UTF-8, ready to append: the first Length bytes of Bytes
    // (four of them, so that all can be copied at once).
    struct Utf8Form {
        char Bytes[4] = {};
        uint8_t Length = 0;
    };
    std::array<Utf8Form, 256> Utf8{};
    // Every byte below 0x80 stands for the same ASCII character, so ASCII
    // text passes unchanged in both directions.
    bool AsciiUnchanged = true;
    // (character, byte) for every byte that has a character, sorted by
    // character; the lowest byte where two share one.
    std::vector<std::pair<char32_t, uint8_t>> ByteOf;
};

// The table of a one-byte set (IsSingleByteCharset). A set iconv cannot open
// reads as ASCII with U+FFFD above it.
const ByteCharsetTable& CharsetTable(Charset set);

// The byte a character has in the table's set; false when the set lacks it.
bool FindByte(const ByteCharsetTable& table, char32_t cp, uint8_t& byte);
