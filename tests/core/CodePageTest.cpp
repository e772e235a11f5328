#include <gtest/gtest.h>

#include <set>

#include "core/CodePage.h"
#include "support/TestSupport.h"

TEST(CodePage, CyrillicRoundTripsBothWays)
{
    const std::string ansi = Ansi("Привет, Ёжик! АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдежзийклмнопрстуфхцчшщъыьэюя ё");
    std::string oem = AnsiToOemText(ansi);
    EXPECT_EQ(static_cast<uint8_t>(AnsiToOemText(Ansi("П"))[0]), 0x8F);
    EXPECT_EQ(static_cast<uint8_t>(AnsiToOemText(Ansi("р"))[0]), 0xE0);
    EXPECT_EQ(static_cast<uint8_t>(AnsiToOemText(Ansi("Ё"))[0]), 0xF0);
    EXPECT_EQ(OemToAnsiText(oem), ansi);
}

TEST(CodePage, EveryByteHasAnImageAndOnlyEnBecomesSoftReturn)
{
    std::set<uint8_t> toSoftReturn;
    for (int b = 0; b < 256; ++b) {
        char oem = AnsiToOemChar(static_cast<char>(b));
        if (static_cast<uint8_t>(oem) == 0x8D)
            toSoftReturn.insert(static_cast<uint8_t>(b));
        if (b >= 0x20) {
            EXPECT_GE(static_cast<uint8_t>(OemToAnsiChar(static_cast<char>(b))), 0x20) << b;
        }
    }
    EXPECT_EQ(toSoftReturn, std::set<uint8_t>{0xCD});  // only the Cyrillic capital En
}

TEST(CodePage, PseudoGraphicsBecomeLookAlikes)
{
    EXPECT_EQ(OemToAnsiText("\xC4\xB3\xC5\xDA\xCD\xBA"), "-|++-|");
    EXPECT_EQ(OemToAnsiChar('\xF8'), '\xB0');  // degree sign
    EXPECT_EQ(OemToAnsiChar('\xFC'), '\xB9');  // numero sign
}

TEST(CodePage, LongTextsConvertWhole)
{
    std::string ansi(5000, '\xE0');
    EXPECT_EQ(AnsiToOemText(ansi).size(), 5000u);
    EXPECT_EQ(OemToAnsiText(AnsiToOemText(ansi)), ansi);
}

TEST(CodePage, Utf8BothWays)
{
    EXPECT_EQ(AnsiToUtf8(Ansi("Ёж № 5 — «да»")), "Ёж № 5 — «да»");
    EXPECT_EQ(Utf8ToAnsi("日本"), "??");
    EXPECT_EQ(Utf8ToAnsi(std::string("a\xC3", 2)), "a?") << "a cut sequence is one unknown character";
}
