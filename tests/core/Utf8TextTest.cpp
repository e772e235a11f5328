#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/Utf8Text.h"

TEST(Utf8Text, CountsAndCutsByCharacters)
{
    const std::string text = "Привет, world €😀";  // 16 characters in 27 bytes
    EXPECT_EQ(Utf8Length(text), 16u);
    EXPECT_EQ(Utf8Left(text, 3), "При");
    EXPECT_EQ(Utf8Left(text, 100), text);
    EXPECT_EQ(Utf8Offset(text, 6), 12u);
    EXPECT_EQ(Utf8LeftBytes(text, 5), "Пр") << "a field of 5 bytes takes two letters, not two and a half";
    EXPECT_EQ(Utf8LeftBytes(text, 26), "Привет, world €");
    EXPECT_EQ(Utf8LeftBytes(text, 0), "");
    EXPECT_EQ(Utf8Length("a\xFF\xE2\x82"), 3u) << "each malformed piece counts as one character";

    std::vector<char32_t> seen;
    for (char32_t ch : CodePoints("aЖ€😀"))
        seen.push_back(ch);
    EXPECT_EQ(seen, (std::vector<char32_t>{0x61, 0x416, 0x20AC, 0x1F600}));
}

TEST(Utf8Text, ValidityAndTheSignOfUtf8)
{
    EXPECT_TRUE(IsValidUtf8("Ёжик \xEF\xBF\xBD"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsMultiByteUtf8("plain ASCII"));
    EXPECT_TRUE(IsMultiByteUtf8("Ёжик"));
    EXPECT_FALSE(IsMultiByteUtf8("\x8F\xE0\xA8\xA2\xA5\xE2")) << "CP866 text";
    EXPECT_EQ(ValidUtf8("ok\xFFok"), "ok\uFFFDok");
}

TEST(Utf8Text, CaseOfCyrillicAndLatinLetters)
{
    EXPECT_EQ(Utf8Upper("ёжик hedgehog ґ äöü ÿ"), "ЁЖИК HEDGEHOG Ґ ÄÖÜ Ÿ");
    EXPECT_EQ(Utf8Lower("СЕРГЕЙ ВОЛКОВ ÀÉ ΣΟΦΊΑ"), "сергей волков àé σοφία");
    EXPECT_EQ(Utf8CompareNoCase("Сергей Волков", "сЕРГЕЙ вОЛКОВ"), 0);
    EXPECT_LT(Utf8CompareNoCase("Сергей", "сергей волков"), 0);
    EXPECT_NE(Utf8CompareNoCase("Ёлка", "Елка"), 0);
    EXPECT_TRUE(Utf8StartsWithNoCase("Привет, Мир", "пРИВ"));
    EXPECT_FALSE(Utf8StartsWithNoCase("При", "Привет"));
    EXPECT_TRUE(Utf8ContainsNoCase("Re: Привет, Мир", "мир"));
    EXPECT_TRUE(Utf8ContainsNoCase("Grüße", "GRÜ"));
    EXPECT_FALSE(Utf8ContainsNoCase("Grüße", "gru"));
}

TEST(Utf8Text, SortOrderOfTheRussianLocale)
{
    std::vector<std::string> names = {"яблоко", "Ёлка", "ёлка", "ель", "Zebra", "apple", "42", "!", "Жаба", "жаба"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Utf8CompareStr(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"!", "42", "apple", "Zebra", "ель", "ёлка", "Ёлка", "жаба", "Жаба",
                                               "яблоко"}));
    EXPECT_EQ(Utf8CompareStr("abc", "abc"), 0);
    EXPECT_LT(Utf8CompareStr("ab", "abc"), 0);
}
