#include <gtest/gtest.h>

#include "core/Utf8Text.h"
#include "support/MemoryMsgBase.h"
#include "text/Canvas.h"
#include "text/LineKinds.h"
#include "text/TFormattedStrings.h"

namespace {

using Lines = std::vector<std::string>;

Lines Reflowed(Lines lines, int width = 79, bool showKludges = false)
{
    TFormattedStrings text;
    text.Lines = std::move(lines);
    text.ReFormat(showKludges, width, 0, nullptr, nullptr, {});
    return text.Lines;
}

// Every character is 7 pixels wide. Counts the characters it measured.
struct FixedCanvas : Canvas {
    int TextWidth(std::string_view text) const override
    {
        Measured += text.size();
        return 7 * static_cast<int>(text.size());
    }
    mutable std::size_t Measured = 0;
};

std::string Words(int count, const std::string& word = "word")
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += (i ? " " : "") + word;
    return s;
}

}  // namespace

TEST(LineKind, KindsPrefixesAndColours)
{
    EXPECT_EQ(LineKind("ABC> text"), QuotedLineKind);
    EXPECT_EQ(LineKind("abcdefg> text"), PlainLineKind) << "a first > at position 8 is plain";
    EXPECT_EQ(LineKind("---"), TearLineKind);
    EXPECT_EQ(LineKind("--- Quorvel 2.00.84"), TearLineKind);
    EXPECT_EQ(LineKind("----"), PlainLineKind);
    EXPECT_EQ(LineKind(" * Origin: here (2:5020/1)"), OriginLineKind);
    EXPECT_EQ(LineKind("\x01MSGID: 2:5020/1 1"), ControlLineKind);
    EXPECT_EQ(LineKind("SEEN-BY: 5020/1"), ControlLineKind);
    EXPECT_EQ(LineKind(""), PlainLineKind);
    EXPECT_EQ(QuotePrefix("SS>> text"), "SS>>");
    EXPECT_EQ(QuoteTextStart("SS> text"), 5u);
    EXPECT_EQ(QuoteTextStart("SS>text"), 4u);
    EXPECT_EQ(QuoteTextStart("text"), 1u);
    EXPECT_EQ(LineKindColour(QuotedLineKind), 0x000080u);
    EXPECT_EQ(LineKindColour(ControlLineKind), 0xFF0000u);
    EXPECT_EQ(LineKindColour(OriginLineKind), 0xC0C0C0u);
}

TEST(WrapLine, BoundariesAndHardBreaks)
{
    EXPECT_EQ(WrapLine("abcd efghijkl", 10), std::make_pair(std::string("abcd"), std::string("efghijkl")));
    EXPECT_EQ(WrapLine("abcdefghi jkl", 10), std::make_pair(std::string("abcdefghi"), std::string("jkl")));
    EXPECT_EQ(WrapLine("abcdefghij   klm", 10), std::make_pair(std::string("abcdefghij"), std::string("klm")));
    EXPECT_EQ(WrapLine(std::string(100, 'x'), 79), std::make_pair(std::string(79, 'x'), std::string(21, 'x')));
    EXPECT_EQ(WrapLine("   " + std::string(20, 'y'), 10), std::make_pair(std::string(), std::string(20, 'y')));
    EXPECT_EQ(WrapLine("short", 10), std::make_pair(std::string("short"), std::string()));
    EXPECT_EQ(WrapLine("ends in blanks          ", 10), std::make_pair(std::string("ends in"), std::string("blanks          ")));
    EXPECT_EQ(WrapLine("blanks          ", 10), std::make_pair(std::string("blanks"), std::string()));
}

TEST(ReFormat, WidthsCountCharactersNotBytes)
{
    std::string cyrillic;
    for (int i = 0; i < 100; ++i)
        cyrillic += "ж";
    auto [head, tail] = WrapLine(cyrillic, 79);
    EXPECT_EQ(Utf8Length(head), 79u) << "a hard break after 79 letters";
    EXPECT_EQ(head + tail, cyrillic);
    EXPECT_EQ(WrapLine("абвг деёжзийкл", 10), std::make_pair(std::string("абвг"), std::string("деёжзийкл")));

    // A quote prefix of Cyrillic initials is recognised and kept out of the wrapping.
    const Lines lines = Reflowed({"СВВВ> " + Words(12, "слово")}, 30);
    ASSERT_GT(lines.size(), 1u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.substr(0, std::string("СВВВ> ").size()), "СВВВ> ") << line;
        EXPECT_LE(Utf8Length(line), 30u) << line;
    }
}

TEST(FitChars, CountsCharactersAndMeasuresWholeOnes)
{
    // Every character 7 pixels; a prefix that splits a character fails the test.
    struct CharacterCanvas : Canvas {
        int TextWidth(std::string_view text) const override
        {
            EXPECT_TRUE(IsValidUtf8(text));
            return 7 * static_cast<int>(Utf8Length(text));
        }
    } canvas;
    EXPECT_EQ(FitChars(Words(20, "слово"), 70, canvas), 9) << "9 characters are 63 px, 10 would be 70";
}

TEST(ReFormat, LongWordAloneBecomesItsOwnLine)
{
    EXPECT_EQ(Reflowed({std::string(100, 'a')}), (Lines{std::string(79, 'a'), std::string(21, 'a')}));
    EXPECT_EQ(Reflowed({std::string(100, 'a'), "", "next"}),
              (Lines{std::string(79, 'a'), std::string(21, 'a'), "", "next"}));
}

TEST(ReFormat, ParagraphsFlowButNeverMerge)
{
    Lines out = Reflowed({Words(20), "tail of paragraph", "", "second paragraph"});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_LE(out[0].size(), 79u);
    EXPECT_EQ(out[1].substr(out[1].size() - 17), "tail of paragraph") << "words moved down into the next line";
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(out[3], "second paragraph");
}

TEST(ReFormat, QuotedOverflowJoinsTheSamePrefixOrStartsItsOwn)
{
    const std::string quoted = "SS> " + Words(18, "qqqq");  // 4 + 89 characters
    Lines same = Reflowed({quoted, "SS> next line"});
    ASSERT_EQ(same.size(), 2u);
    EXPECT_LE(same[0].size(), 79u);
    EXPECT_EQ(same[1].substr(0, 4), "SS> ");
    EXPECT_NE(same[1].find("qqqq next line"), std::string::npos);

    Lines deeper = Reflowed({quoted, "SS>> deeper"});
    ASSERT_EQ(deeper.size(), 3u);
    EXPECT_EQ(deeper[1].substr(0, 4), "SS> ");
    EXPECT_EQ(deeper[2], "SS>> deeper");

    Lines unquoted = Reflowed({quoted, "plain answer"});
    ASSERT_EQ(unquoted.size(), 3u);
    EXPECT_EQ(unquoted[2], "plain answer");
}

TEST(ReFormat, TearOriginAndControlLinesEndParagraphsAndAreNeverWrapped)
{
    const std::string tear = "--- " + std::string(120, 't');
    const std::string origin = " * Origin: " + std::string(120, 'o') + " (2:5020/1)";
    Lines out = Reflowed({Words(20), tear, origin});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[2], tear);
    EXPECT_EQ(out[3], origin);

    // A control line or SEEN-BY after an over-long line keeps its own line and its Ctrl-A.
    Lines kludge = Reflowed({Words(20), "\x01PATH: 5020/1"}, 79, true);
    ASSERT_EQ(kludge.size(), 3u);
    EXPECT_EQ(kludge[2], "\x01PATH: 5020/1");
    Lines seenBy = Reflowed({Words(20), "SEEN-BY: 5020/1 2"});
    ASSERT_EQ(seenBy.size(), 3u);
    EXPECT_EQ(seenBy[2], "SEEN-BY: 5020/1 2");
}

TEST(ReFormat, KludgesHiddenOrWrappedWithTheirValuesKept)
{
    TFormattedStrings text;
    text.Lines = {"\x01MSGID:   2:5020/1.5 1234abcd", "\x01REPLY: 2:5020/2 deadbeef", "Hello", "SEEN-BY: 1/1"};
    text.ReFormat(false, 79, 0, nullptr, nullptr, {});
    EXPECT_EQ(text.Lines, (Lines{"Hello", "SEEN-BY: 1/1"}));
    EXPECT_EQ(text.MsgId, "2:5020/1.5 1234abcd");
    EXPECT_EQ(text.Reply, "2:5020/2 deadbeef");

    Lines shown = Reflowed({"\x01" + std::string("PATH: ") + Words(25, "5020/1")}, 79, true);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[1].substr(0, 2), "\x01 ");
}

TEST(ReFormat, WidthsAreRaisedToTheirMinimum)
{
    Lines out = Reflowed({"aaaa bbbb cccc dddd eeee"}, 10);
    EXPECT_EQ(out, (Lines{"aaaa bbbb cccc", "dddd eeee"})) << "10 characters are taken as 16";
}

TEST(ReFormat, PixelModeMeasuresWithTheCanvas)
{
    FixedCanvas canvas;
    TFormattedStrings text;
    text.Lines = {"AB> " + Words(10, "xxxx")};  // 4 + 49 characters
    text.ReFormat(false, 0, 100, &canvas, nullptr, {});  // raised to 160 px
    // 160 px minus the 28 px of "AB> " leaves room for fewer than 19 characters.
    ASSERT_GT(text.Lines.size(), 2u);
    for (const std::string& line : text.Lines) {
        EXPECT_EQ(line.substr(0, 4), "AB> ");
        EXPECT_LT(canvas.TextWidth(line.substr(4)), 132);
    }
}

TEST(FitChars, FindsTheLongestFittingPrefixMeasuringLittleMoreThanIt)
{
    FixedCanvas canvas;
    EXPECT_EQ(FitChars("", 70, canvas), 0);
    EXPECT_EQ(FitChars("abc", 22, canvas), 3) << "21 px < 22 px: the whole text";
    EXPECT_EQ(FitChars("abc", 21, canvas), 2) << "a width equal to the room does not fit";
    EXPECT_EQ(FitChars("abc", 7, canvas), 0);
    EXPECT_EQ(FitChars("abc", 0, canvas), 0);
    for (std::size_t length : {1u, 2u, 255u, 256u, 257u, 600u}) {
        const std::string text(length, 'x');
        for (int room : {1, 7, 8, 1792, 1793, 1800, 4200, 4201})
            EXPECT_EQ(FitChars(text, room, canvas), std::min<int>(static_cast<int>(length), (room - 1) / 7))
                << length << " characters in " << room << " px";
    }
    // A line that fits is measured once.
    canvas.Measured = 0;
    EXPECT_EQ(FitChars(std::string(79, 'x'), 7 * 80, canvas), 79);
    EXPECT_EQ(canvas.Measured, 79u);
    // 20,000 characters, of which 50 fit: the text is not measured whole.
    canvas.Measured = 0;
    EXPECT_EQ(FitChars(std::string(20000, 'x'), 351, canvas), 50);
    EXPECT_LT(canvas.Measured, 2000u);
    canvas.Measured = 0;
    EXPECT_EQ(FitChars(std::string(20000, 'x'), 7 * 1000 + 1, canvas), 1000);
    EXPECT_LT(canvas.Measured, 20000u);
}

TEST(ReFormat, LongParagraphInANarrowViewerStaysQuick)
{
    // 700 lines of one paragraph whose words are too long for the width: the
    // overflow carried down grows line by line.
    FixedCanvas canvas;
    TFormattedStrings text;
    for (int i = 0; i < 700; ++i)
        text.Lines.push_back(std::to_string(i) + " " + std::string(70, 'a' + i % 26));
    text.ReFormat(false, 0, 7 * 60, &canvas, nullptr, {});
    std::string kept, original;
    for (int i = 0; i < 700; ++i)
        original += std::to_string(i) + std::string(70, 'a' + i % 26);
    for (const std::string& line : text.Lines) {
        EXPECT_LT(7 * static_cast<int>(line.size()), 7 * 60);
        for (char ch : line)
            if (ch != ' ')
                kept += ch;
    }
    EXPECT_EQ(kept, original) << "nothing lost, nothing moved out of order";
    EXPECT_LT(canvas.Measured, 2'000'000u) << "measured whole, the carried overflow cost 37 million";
}

TEST(ReFormat, VeryLongLinesLoseNothing)
{
    const std::string line = Words(100, "abcdefgh");  // 899 characters
    Lines out = Reflowed({line});
    std::string joined;
    for (const std::string& l : out) {
        EXPECT_LE(l.size(), 79u);
        joined += (joined.empty() ? "" : " ") + l;
    }
    EXPECT_EQ(joined, line);
}

TEST(ReFormat, AddressesFromMsgIdThenOriginThenHeader)
{
    MemoryMsgBase base;
    MemoryLetter letter;
    letter.Orig = {2, 5020, 77, 0};
    letter.Dest = {2, 5020, 88, 0};
    base.Add(letter);
    base.SeekFirst(1);
    base.LoadHeader();
    const FidoAddress mine{2, 5020, 1234, 5};

    TFormattedStrings both;
    both.Lines = {"\x01MSGID: 1:2/3.4 abcd", "text", " * Origin: elsewhere (3:3/3)"};
    both.ReFormat(false, 79, 0, nullptr, &base, mine);
    EXPECT_EQ(both.FromAddr, (FidoAddress{1, 2, 3, 4}));
    EXPECT_EQ(both.ToAddr, (FidoAddress{2, 5020, 88, 0}));

    TFormattedStrings origin;
    origin.Lines = {"\x01MSGID: <123@example.net> 5", "\x01REPLY: 100 abcd", " * Origin: Station (Main 5020/9.1)"};
    origin.ReFormat(false, 79, 0, nullptr, &base, mine);
    EXPECT_EQ(origin.FromAddr, (FidoAddress{2, 5020, 9, 1})) << "zone from the main address";
    EXPECT_EQ(origin.ToAddr, (FidoAddress{2, 5020, 100, 0}));

    TFormattedStrings header;
    header.Lines = {"no addresses here"};
    header.ReFormat(false, 79, 0, nullptr, &base, mine);
    EXPECT_EQ(header.FromAddr, (FidoAddress{2, 5020, 77, 0}));
}
