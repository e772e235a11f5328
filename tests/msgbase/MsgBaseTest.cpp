#include <gtest/gtest.h>

#include "msgbase/MsgBaseFactory.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"

namespace {

// A base holding one letter with the given stored text, positioned for reading.
struct OneLetter {
    MemoryMsgBase base;
    explicit OneLetter(const std::string& text, ReadingRules rules = {})
    {
        base.SetReadingRules(rules);
        MemoryLetter letter;
        letter.Text = text;
        base.Add(letter);
        base.SeekFirst(1);
        base.LoadHeader();
        base.StartText();
    }
};

}  // namespace

TEST(ReadLine, WrapsAtTheLastSpace)
{
    OneLetter l("abcd efghijkl\r");
    EXPECT_EQ(l.base.ReadLine(10), "abcd ");
    EXPECT_TRUE(l.base.LineWasWrapped());
    EXPECT_EQ(l.base.ReadLine(10), "efghijkl");
    EXPECT_FALSE(l.base.LineWasWrapped());
    EXPECT_TRUE(l.base.TextEnded());
}

TEST(ReadLine, OneLeadingSpaceOfAContinuationIsDropped)
{
    OneLetter l("abcd   efgh\r");
    EXPECT_EQ(l.base.ReadLine(6), "abcd  ");
    EXPECT_EQ(l.base.ReadLine(6), "efgh") << "the single remaining space is the dropped one";
    OneLetter m("abcdefghij  xy\r");
    EXPECT_EQ(m.base.ReadLine(10), "abcdefghij");
    EXPECT_EQ(m.base.ReadLine(10), " xy") << "a second leading space is delivered";
}

TEST(ReadLine, HardCutWithoutSpaces)
{
    OneLetter l("abcdefghijklm\r");
    EXPECT_EQ(l.base.ReadLine(10), "abcdefghij");
    EXPECT_EQ(l.base.ReadLine(10), "klm");
}

TEST(ReadLine, SkipsLineFeedsAndDecodesByTheLettersSet)
{
    OneLetter l("ab\x8D" "c\r\n\x8F\xE0\xA8\r\nlast");
    EXPECT_EQ(l.base.ReadLine(65535), "abНc") << "CP866 0x8D is the capital Н by default";
    EXPECT_EQ(l.base.ReadLine(65535), "При");
    EXPECT_EQ(l.base.ReadLine(65535), "last");
    EXPECT_TRUE(l.base.LineWasWrapped()) << "no CR before the end";
    EXPECT_TRUE(l.base.TextEnded());
    EXPECT_EQ(l.base.ReadLine(65535), "");
}

TEST(ReadLine, Byte8DIsASoftBreakOnlyInCp866AndOnlyWhenTheUserSaysSo)
{
    struct Case {
        std::string Text;
        bool SoftBreak;
        std::vector<std::string> Lines;
    } cases[] = {
        {"ab\x8D" "c\r", false, {"abНc"}},
        {"ab\x8D" "c\r", true, {"abc"}},
        // "это" in UTF-8: D1 8D is the э, whatever the setting.
        {"\xD1\x8D\xD1\x82\xD0\xBE\r", true, {"это"}},
        {"\x01" "CHRS: UTF-8 4\r\xD1\x8D\r", true, {"\x01" "CHRS: UTF-8 4", "э"}},
        // Windows-1251 0x8D is Ќ.
        {"\x01" "CHRS: CP1251 2\r\x8D\r", true, {"\x01" "CHRS: CP1251 2", "Ќ"}},
    };
    for (const Case& c : cases) {
        OneLetter l(c.Text, {Charset::Cp866, c.SoftBreak});
        std::vector<std::string> lines;
        while (!l.base.TextEnded())
            lines.push_back(l.base.ReadLine(65535));
        EXPECT_EQ(lines, c.Lines) << c.Text << (c.SoftBreak ? " (soft break)" : "");
    }
}

TEST(ReadLine, BrokenUtf8ShowsAsReplacementAndAHardCutNeverSplitsACharacter)
{
    OneLetter broken("\x01" "CHRS: UTF-8 4\ra\xFF" "b\xD0\r" "c\r");
    broken.base.ReadLine(65535);
    EXPECT_EQ(broken.base.ReadLine(65535), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(broken.base.ReadLine(65535), "c") << "the line after it comes whole";

    OneLetter cut("\x01" "CHRS: UTF-8 4\r\xD1\x8D\xD1\x8D\xD1\x8D\xD1\x8D\r");  // "ээээ"
    cut.base.ReadLine(65535);
    EXPECT_EQ(cut.base.ReadLine(5), "ээ") << "five bytes end inside the third letter";
    EXPECT_EQ(cut.base.ReadLine(5), "ээ");
}

TEST(ReadLine, LongLinesComeWhole)
{
    std::string line(70000, 'x');
    OneLetter l(line + "\r");
    EXPECT_EQ(l.base.ReadLine(65535).size(), 65535u);
    EXPECT_EQ(l.base.ReadLine(65535).size(), 70000u - 65535u);
}

TEST(ReadPlainLine, SkipsKludgesButReturnsATrailingOne)
{
    OneLetter l("\x01MSGID: 1:2/3 abc\rtext\r\x01PATH: 1\r\x01Via x");
    EXPECT_EQ(l.base.ReadPlainLine(65535), "text");
    EXPECT_EQ(l.base.ReadPlainLine(65535), "\x01Via x");
}

TEST(GetHighActiveNumber, SkipsDeletedTopAndEmptyBase)
{
    MemoryMsgBase base;
    EXPECT_EQ(base.GetHighActiveNumber(), 0u);
    for (int i = 0; i < 5; ++i)
        base.Add({});
    base.SeekFirst(5);
    base.DeleteLetter();
    EXPECT_EQ(base.GetHighNumber(), 5u);
    EXPECT_EQ(base.GetHighActiveNumber(), 4u);
}

TEST(InheritedWriting, TextLinesAndKludgesGoThroughWriteChar)
{
    MemoryMsgBase base;
    base.StartNewLetter({});
    base.WriteKludge("\x01MSGID: 2:5020/1 00000001");
    base.WriteLine("Привет");
    base.WriteText("end");
    ASSERT_EQ(base.WriteLetter(), 0);
    EXPECT_EQ(base.Shared()->Letters.at(1).Text, "\x01MSGID: 2:5020/1 00000001\r\x8F\xE0\xA8\xA2\xA5\xE2\rend");
}

TEST(Factory, UnknownLettersGiveNoBase)
{
    for (const char* spec : {"", "X/path", "1/path", "?"})
        EXPECT_EQ(CreateBaseFor(spec), nullptr) << spec;
}

TEST(Factory, RegisteredFormatsAndSharedStores)
{
    MemoryMsgBase::RegisterFormat();
    auto a = CreateBaseFor("m/area/one");
    auto b = CreateBaseFor("M/area/one");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    static_cast<MemoryMsgBase&>(*a).Add({});
    EXPECT_EQ(b->CountLetters(), 1u) << "same name, same store";
    EXPECT_EQ(static_cast<MemoryMsgBase&>(*b).Path, "/area/one");
    EXPECT_EQ(CreateBaseFor("M/area/two")->CountLetters(), 0u);
}

TEST(Factory, AbstractOperationsRefuseLoudly)
{
    MemoryMsgBase base;
    EXPECT_THROW(base.LockBase(), std::logic_error);
    EXPECT_FALSE(base.HasExportMark());
    EXPECT_EQ(base.Header().NextReply, 0u);
    EXPECT_EQ(base.GetBoard(), 0u);
}

TEST(Factory, LongPathsAreKeptWhole)
{
    // Well past 128 characters, in components the file system accepts.
    TempDir dir;
    std::string deep = dir.Path();
    for (int level = 0; level < 4; ++level)
        deep += "/" + std::string(60, char('a' + level));
    for (const std::string& spec : {"J" + deep + "/echo", "H001" + deep + "/hudson/"}) {
        auto writer = CreateBaseFor(spec);
        ASSERT_TRUE(writer);
        ASSERT_FALSE(writer->BaseExists());
        ASSERT_EQ(writer->CreateBase(0, 0), 0) << spec.size();
        ASSERT_EQ(writer->OpenBase(), 0);
        {
            LetterHeader header;
            header.To = "All";
            writer->StartNewLetter(header);
        }
        writer->WriteLine("deep");
        ASSERT_EQ(writer->WriteLetter(), 0);
        writer->CloseBase();

        auto reader = CreateBaseFor(spec);
        ASSERT_TRUE(reader->BaseExists()) << "found again under the whole path";
        ASSERT_EQ(reader->OpenBase(), 0);
        reader->SeekFirst(1);
        ASSERT_TRUE(reader->SeekFound());
        reader->LoadHeader();
        reader->StartText();
        EXPECT_EQ(reader->ReadLine(65535), "deep");
        reader->CloseBase();
    }
    EXPECT_EQ(DirectoryNames(deep), (std::vector<std::string>{"echo.jdt", "echo.jdx", "echo.jhr", "echo.jlr", "hudson"}))
        << "no base beside, at a path cut short";
}
