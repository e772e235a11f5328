// Letters in every character set a test reads them in, as other programs
// store them: bytes typed from the code charts, the expected text as UTF-8
// literals. Shared by the tests of the decoder and of the formats.
#pragma once

#include <string>

struct StoredText {
    const char* Kludge;  // the letter's CHRS line
    std::string Bytes;
    const char* Text;
};

inline const StoredText StoredTexts[] = {
    {"CHRS: CP866 2", "\x8F\xE0\xA8\xA2\xA5\xE2, \xF0\xA6\xA8\xAA! \xFC 5 \xCD\xBA", "Привет, Ёжик! № 5 ═║"},
    {"CHRS: IBMPC 2", "\x8C\xA8\xE0", "Мир"},
    {"CHRS: +7_FIDO 2", "\x8C\xA8\xE0", "Мир"},
    {"CHRS: UTF-8 4", "\xD0\x9F\xD1\x80\xD0\xB8 \xC2\xAB\xE2\x80\x94\xC2\xBB \xE2\x82\xAC \xF0\x9F\x98\x80",
     "При «—» € 😀"},
    {"CHRS: KOI8-R 2", "\xF0\xD2\xC9\xD7\xC5\xD4, \xB3\xD6\xC9\xCB", "Привет, Ёжик"},
    {"CHRS: CP1251 2", "\xCF\xF0\xE8\xE2\xE5\xF2 \xAB\xE4\xE0\xBB \x97 \x88", "Привет «да» — €"},
    {"CHRS: LATIN-1 2", "Gr\xFC\xDF" "e, caf\xE9 \xA3" "5 \xBF", "Grüße, café £5 ¿"},
    {"CHRS: ISO-8859-1 2", "caf\xE9", "café"},
    {"CHRS: CP437 2", "Gr\x81\xE1" "e, caf\x82 \x9C" "5 \xC4\xAB", "Grüße, café £5 ─½"},
    {"CHRS: CP850 2", "\x81\xE1\x82 \x9D \xE4\xC6", "üßé Ø õã"},
    {"CHRS: ASCII 1", "plain text", "plain text"},
    {"CHRS: GERMAN 1", "Gr{|~e [Ok]", "Gräöße ÄOkÜ"},
};
