// The character sets a FidoNet letter may be written in, as the letter's
// CHRS (or older CODEPAGE) control line names them: "CHRS: CP866 2",
// "CHRS: UTF-8 4". Names are compared without regard to case and the level
// number after the name is ignored. Each set knows the name it is written
// with, its level and what iconv calls it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class Charset : uint8_t {
    None,  // no set named, or a name this program does not know
    Utf8,
    // Level 1: seven-bit ASCII and its national variants.
    Ascii, Canadian, Dutch, Finnish, French, German, Italian, Norweig, Portu, Spanish, Swedish, Swiss, Uk,
    // Level 2: eight-bit sets, one byte a character.
    Cp437, Cp737, Cp775, Cp848, Cp850, Cp852, Cp855, Cp857, Cp858, Cp860, Cp861, Cp862, Cp863, Cp864,
    Cp865, Cp866, Cp869, Cp1125, Cp1250, Cp1251, Cp1252, Cp1253, Cp1254, Cp1255, Cp1256, Cp1257, Cp1258,
    Cp10000, Latin1, Latin2, Latin5, Latin9, Iso8859_5, Iso8859_7, Koi8R, Koi8U,
};
constexpr int CharsetCount = static_cast<int>(Charset::Koi8U) + 1;

// The set an identifier names (FTS-5003 identifiers and the usual aliases:
// ISO-8859-1 for LATIN-1, KOI8 for KOI8-R, ...); None when unknown.
Charset CharsetByName(std::string_view name);

// The identifier the set is written with ("CP866", "UTF-8", "LATIN-1"); empty for None.
std::string_view CharsetName(Charset set);
// 1 for seven-bit sets, 2 for the eight-bit ones, 4 for UTF-8; 0 for None.
int CharsetLevel(Charset set);
// What iconv calls the set; empty for None.
const char* CharsetIconvName(Charset set);
// One byte a character (every set but UTF-8 and None).
bool IsSingleByteCharset(Charset set);

// Whether a control line names the letter's character set: "CHRS: ..." or
// "CODEPAGE: ...", with or without the leading ^A, keyword in any case.
bool IsCharsetKludge(std::string_view line);
// The set such a line names ("CODEPAGE: 866" counts as CP866); None when the
// line is not one of them or names a set this program does not know.
Charset CharsetOfKludge(std::string_view line);
// The control line written for a set, without the leading ^A: "CHRS: CP866 2",
// "CHRS: UTF-8 4". Empty for None.
std::string CharsetKludge(Charset set);
