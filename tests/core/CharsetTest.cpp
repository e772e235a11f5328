#include <gtest/gtest.h>

#include "core/Charset.h"
#include "core/CharsetDecoder.h"
#include "core/CharsetEncoder.h"
#include "core/CharsetTables.h"

namespace {

// Letters as other programs store them: bytes typed from the code charts,
// the expected text as UTF-8 literals.
struct StoredText {
    const char* Kludge;  // the letter's CHRS line
    std::string Bytes;
    const char* Text;
};

const StoredText StoredTexts[] = {
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

}  // namespace

TEST(Charset, LettersInEveryListedSetReadAsTheirText)
{
    ReadingRules rules;
    for (const StoredText& letter : StoredTexts) {
        const Charset set = CharsetOfKludge(letter.Kludge);
        ASSERT_NE(set, Charset::None) << letter.Kludge;
        EXPECT_EQ(DecodeLetterText(letter.Bytes, set, rules), letter.Text) << letter.Kludge;
    }
}

TEST(Charset, ControlLinesNameTheirSetInAnySpelling)
{
    const struct {
        const char* Line;
        Charset Set;
        bool IsCharsetLine;
    } cases[] = {
        {"\x01" "CHRS: CP866 2", Charset::Cp866, true},
        {"chrs: utf-8 4", Charset::Utf8, true},
        {"CHRS:KOI8-R", Charset::Koi8R, true},
        {"\x01" "CHRS: Latin-1 2", Charset::Latin1, true},
        {"CHRS: IBMPC 2", Charset::Cp866, true},
        {"\x01" "CODEPAGE: 866", Charset::Cp866, true},
        {"CODEPAGE: 437", Charset::Cp437, true},
        {"CHRS: KLINGON 2", Charset::None, true},
        {"CHRS:", Charset::None, true},
        {"\x01MSGID: 2:5020/1 1234abcd", Charset::None, false},
        {"CHRSET: CP866 2", Charset::None, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharsetOfKludge(c.Line), c.Set) << c.Line;
        EXPECT_EQ(IsCharsetKludge(c.Line), c.IsCharsetLine) << c.Line;
    }
    EXPECT_EQ(CharsetKludge(Charset::Cp866), "CHRS: CP866 2");
    EXPECT_EQ(CharsetKludge(Charset::Utf8), "CHRS: UTF-8 4");
    EXPECT_EQ(CharsetKludge(Charset::Latin1), "CHRS: LATIN-1 2");
    EXPECT_EQ(CharsetKludge(Charset::Ascii), "CHRS: ASCII 1");
}

TEST(Charset, EveryEightBitSetHasItsTable)
{
    // A misspelt iconv name would silently read a whole set as U+FFFD.
    for (int i = 0; i < CharsetCount; ++i) {
        const auto set = static_cast<Charset>(i);
        if (CharsetLevel(set) != 2)
            continue;
        int known = 0;
        for (int b = 0x80; b < 0x100; ++b)
            known += CharsetTable(set).CodePoint[b] != 0xFFFD;
        EXPECT_GE(known, 100) << CharsetName(set);
        EXPECT_EQ(CharsetByName(CharsetName(set)), set) << CharsetName(set);
    }
}

TEST(Charset, WithoutAControlLineValidUtf8IsUtf8AndTheRestTheDefaultSet)
{
    const struct {
        std::string Bytes;
        Charset Default;
        Charset Read;
        const char* Text;
    } cases[] = {
        {"Hello", Charset::Cp866, Charset::Cp866, "Hello"},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", Charset::Cp866, Charset::Utf8, "Привет"},
        {"\x8F\xE0\xA8\xA2\xA5\xE2", Charset::Cp866, Charset::Cp866, "Привет"},
        {"\xF0\xD2\xC9\xD7\xC5\xD4", Charset::Koi8R, Charset::Koi8R, "Привет"},
        {"caf\xE9", Charset::Latin1, Charset::Latin1, "café"},
        {"caf\xC3\xA9 \xFF", Charset::Latin1, Charset::Latin1, "cafÃ© ÿ"},  // one bad byte: not UTF-8
    };
    ReadingRules rules;
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveCharset(Charset::None, c.Bytes, c.Default), c.Read) << c.Text;
        rules.DefaultIncoming = c.Default;
        EXPECT_EQ(DecodeLetterText(c.Bytes, Charset::None, rules), c.Text);
    }
}

TEST(Charset, MalformedUtf8ShowsAsReplacementAndKeepsTheRest)
{
    // A stray byte, a cut sequence, an overlong slash, a surrogate, and a
    // four-byte sequence cut off by the end of the text.
    const std::string bytes = "a\xFF" "b\xE2\x82" "c\xC0\xAF" "d\xED\xA0\x80" "e\xF0\x9F";
    EXPECT_EQ(DecodeLetterText(bytes, Charset::Utf8, {}), "a\uFFFDb\uFFFDc\uFFFD\uFFFDd\uFFFD\uFFFD\uFFFDe\uFFFD");
}

TEST(Charset, Cp866CapitalEnIsTheLetterOrASoftBreak)
{
    const std::string bytes = "\x8D\xA0\x8D\xA0";  // НаНа
    EXPECT_EQ(DecodeLetterText(bytes, Charset::Cp866, {Charset::Cp866, false}), "НаНа");
    EXPECT_EQ(DecodeLetterText(bytes, Charset::Cp866, {Charset::Cp866, true}), "аа");
    EXPECT_EQ(DecodeLetterText(bytes, Charset::None, {Charset::Cp866, true}), "аа");
    EXPECT_EQ(DecodeHeaderField(bytes, Charset::Cp866, {Charset::Cp866, true}), "НаНа") << "names keep their Н";
    // 0x8D is a continuation byte in UTF-8 ("э") and a letter in other sets.
    EXPECT_EQ(DecodeLetterText("\xD1\x8D", Charset::Utf8, {Charset::Cp866, true}), "э");
    EXPECT_EQ(DecodeLetterText("\x8D", Charset::Cp437, {Charset::Cp866, true}), "ì");
}

TEST(Charset, EncoderReportsWhatDoesNotFitAndWritesEnAsLatinH)
{
    const struct {
        const char* Text;
        Charset Set;
        std::string Bytes;
        bool Complete;
    } cases[] = {
        {"Привет", Charset::Cp866, "\x8F\xE0\xA8\xA2\xA5\xE2", true},
        {"Нет, НЕТ", Charset::Cp866, "H\xA5\xE2, H\x85\x92", true},
        {"«Да»", Charset::Cp866, "?\x84\xA0?", false},
        {"Нет «да» 😀", Charset::Utf8, "\xD0\x9D\xD0\xB5\xD1\x82 \xC2\xAB\xD0\xB4\xD0\xB0\xC2\xBB \xF0\x9F\x98\x80", true},
        {"Привет", Charset::Koi8R, "\xF0\xD2\xC9\xD7\xC5\xD4", true},
        {"Нет", Charset::Koi8R, "\xEE\xC5\xD4", true},
        {"café €", Charset::Latin1, "caf\xE9 ?", false},
        {"Gräöße", Charset::German, "Gr{|~e", true},
        {"[x]", Charset::German, "?x?", false},
        {"plain", Charset::Cp866, "plain", true},
    };
    for (const auto& c : cases) {
        const EncodedText encoded = EncodeText(c.Text, c.Set);
        EXPECT_EQ(encoded.Bytes, c.Bytes) << c.Text;
        EXPECT_EQ(encoded.Complete, c.Complete) << c.Text;
        EXPECT_EQ(FitsCharset(c.Text, c.Set), c.Complete) << c.Text;
    }
    EXPECT_EQ(EncodeText("Нина", Charset::Cp866, CapitalEn::AsIs).Bytes, "\x8D\xA8\xAD\xA0") << "a name keeps its Н";
}
