// Reading JAM bases: the base another library wrote, checked against its
// manifest, and the text stream with its control lines and line wrapping.
#include <gtest/gtest.h>

#include "core/UserSettings.h"

#include <map>

#include "core/StringHelpers.h"
#include "msgbase/jam/JamMsgBase.h"
#include "support/LetterWriter.h"
#include "support/Json.h"
#include "support/TestSupport.h"

namespace {

struct FixtureCopy {
    TempDir dir;
    JamMsgBase base;
    FixtureCopy()
    {
        CopyDirectory(FixturesDir() + "/jam", dir.Path());
        base.SetBasePath(dir / "fidotest");
        EXPECT_EQ(base.OpenBase(), 0);
    }
};

std::vector<std::string> AllLines(MsgBase& base, uint16_t maxLen = 65535)
{
    std::vector<std::string> lines;
    base.StartText();
    while (!base.TextEnded())
        lines.push_back(base.ReadLine(maxLen));
    return lines;
}

// A manifest line as the reader delivers it.
::testing::AssertionResult LineMatches(const std::string& got, const std::string& manifestLine, bool softBreak)
{
    if (got == ManifestLineAsRead(manifestLine, softBreak))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got \"" << got << "\" for \"" << manifestLine << "\"";
}

DateTime ManifestDate(const std::string& text)  // "YYYY-MM-DD HH:MM:SS"
{
    return EncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))) +
           EncodeTime(std::stoi(text.substr(11, 2)), std::stoi(text.substr(14, 2)), std::stoi(text.substr(17, 2)));
}

}  // namespace

TEST(JamFixture, EveryLetterReadsAsTheManifestSays)
{
    // Every letter reads the same whichever way CP866 0x8D is taken, but for
    // the capital Н that the soft-break reading drops from texts.
    for (bool softBreak : {false, true}) {
        SCOPED_TRACE(softBreak ? "0x8D read as a soft break" : "0x8D read as the letter");
        FixtureCopy f;
        f.base.SetReadingRules({Charset::Cp866, softBreak});
        Json manifest = Json::ParseFile(FixturesDir() + "/jam.manifest.json");
        // How each subfield shows as a control line; names, subject and the
        // time-zone subfield are not lines.
        const std::map<long long, std::string> linePrefix = {{4, "MSGID: "}, {5, "REPLY: "},   {7, "PID: "},
                                                              {2000, ""},    {2001, "SEEN-BY: "}, {2002, "PATH: "}};
        EXPECT_EQ(f.base.GetHighNumber(), 12u);
        EXPECT_EQ(f.base.CountLetters(), 10u);

        std::vector<Num> seen;
        for (f.base.SeekFirst(1); f.base.SeekFound(); f.base.SeekNext())
            seen.push_back(f.base.GetNumber());
        std::vector<Num> live;
        for (const Json& l : manifest["letters"].Items()) {
            if (l.Has("deleted"))
                continue;
            Num number = static_cast<Num>(l["number"].AsInt());
            live.push_back(number);
            SCOPED_TRACE("letter " + std::to_string(number));
            f.base.SeekFirst(number);
            ASSERT_EQ(f.base.GetNumber(), number);
            f.base.LoadHeader();
            EXPECT_EQ(f.base.Header().From, l["from_"].AsString());
            EXPECT_EQ(f.base.Header().To, l["to"].AsString());
            EXPECT_EQ(f.base.Header().Subject, StripRePrefixes(l["subject"].AsString()));
            EXPECT_NEAR(f.base.Header().Written, ManifestDate(l["date_written"].AsString()), 0.5 / 86400);
            EXPECT_EQ(f.base.Header().ReplyTo, l["reply_to"].AsInt());
            EXPECT_EQ(f.base.Header().FirstReply, l["reply_1st"].AsInt());
            EXPECT_EQ(f.base.Header().NextReply, l["reply_next"].AsInt());
            uint32_t attribute = static_cast<uint32_t>(std::stoul(l["attribute"].AsString(), nullptr, 16));
            EXPECT_EQ(f.base.Header().Flags.Has(LetterFlag::Received), (attribute & 0x08) != 0);
            EXPECT_EQ(f.base.Header().Flags.Has(LetterFlag::Local), (attribute & 0x01) != 0);
            EXPECT_FALSE(f.base.Header().Flags.Has(LetterFlag::Read));
            EXPECT_FALSE(f.base.Header().Flags.Has(LetterFlag::Deleted));
            FidoAddress orig;
            orig = f.base.Header().Orig;
            EXPECT_TRUE(orig.IsZero()) << "echo letters carry no address subfields";

            std::vector<std::string> expectedKludges;
            for (const Json& s : l["subfields"].Items())
                if (auto p = linePrefix.find(s["id"].AsInt()); p != linePrefix.end())
                    expectedKludges.push_back("\x01" + p->second + s["data"].AsString());
            std::vector<std::string> lines = AllLines(f.base);
            ASSERT_GE(lines.size(), expectedKludges.size());
            EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expectedKludges.size()), expectedKludges);
            std::vector<std::string> body(lines.begin() + expectedKludges.size(), lines.end());
            if (l.Has("body_lines")) {
                ASSERT_EQ(body.size(), l["body_lines"].Size());
                for (std::size_t i = 0; i < body.size(); ++i)
                    EXPECT_TRUE(LineMatches(body[i], l["body_lines"][i].AsString(), softBreak));
            } else {  // the long letter: its length, first and last lines
                ASSERT_EQ(body.size(), static_cast<std::size_t>(l["body_line_count"].AsInt()));
                for (std::size_t i = 0; i < l["body_first_lines"].Size(); ++i)
                    EXPECT_TRUE(LineMatches(body[i], l["body_first_lines"][i].AsString(), softBreak));
                const Json& last = l["body_last_lines"];
                for (std::size_t i = 0; i < last.Size(); ++i)
                    EXPECT_TRUE(LineMatches(body[body.size() - last.Size() + i], last[i].AsString(), softBreak));
            }
        }
        EXPECT_EQ(seen, live) << "the deleted letters 8 and 9 are skipped";
        f.base.SeekFirst(10);
        f.base.SeekPrior();
        EXPECT_EQ(f.base.GetNumber(), 7u);
    }
}

TEST(JamFixture, WritingKeepsWhatOtherProgramsStored)
{
    FixtureCopy f;
    const std::string jhr = ReadFileBytes(f.dir / "fidotest.jhr");
    f.base.SeekFirst(3);  // its subfields were reordered by the writer
    f.base.LoadHeader();
    ASSERT_EQ(RewriteChanged(f.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    {
        LetterHeader header;
        header.To = "All";
        f.base.StartNewLetter(header);
    }
    f.base.WriteLine("new");
    ASSERT_EQ(f.base.WriteLetter(), 0);
    EXPECT_EQ(f.base.GetNumber(), 13u);

    std::string now = ReadFileBytes(f.dir / "fidotest.jhr");
    ASSERT_EQ(now.size(), 4107u + 76 + 8 + 3);  // one subfield: "All"
    EXPECT_EQ(GetLe32(now, 8), 4u) << "ModCounter";
    EXPECT_EQ(GetLe32(now, 12), 11u) << "ActiveMsgs";
    EXPECT_EQ(GetLe32(now, 24), 7u) << "the other writer's value at reserved offset 24";
    EXPECT_EQ(GetLe32(now, 1530 + 52), 0x11000000u);
    std::string expected = jhr;
    expected.replace(8, 8, now.substr(8, 8));
    expected.replace(1530 + 52, 4, Le32(0x11000000));
    EXPECT_EQ(now.substr(0, 4107), expected) << "nothing else of the old headers changed";
    EXPECT_EQ(GetLe32(now, 4107 + 60), 48212u) << "TxtOffset: the end of .jdt";
    EXPECT_EQ(ReadFileBytes(f.dir / "fidotest.jdx").substr(96), Le32(0xC4E78E22) + Le32(4107));
}

TEST(JamFixture, RecipientSearchSkipsReceivedLetters)
{
    FixtureCopy f;
    std::vector<Num> found;
    for (f.base.FindMailFirst("JOHN SMITH", "nobody"); f.base.MailFound(); f.base.FindMailNext())
        found.push_back(f.base.GetNumber());
    EXPECT_EQ(found, (std::vector<Num>{3, 5}));
    f.base.FindMailFirst("Point User", "");
    EXPECT_FALSE(f.base.MailFound()) << "letter 7 is received";
    f.base.FindMailFirst("nobody", "Иван Петров");
    ASSERT_TRUE(f.base.MailFound());
    EXPECT_EQ(f.base.GetNumber(), 11u);
    EXPECT_EQ(f.base.Header().From, "Мария Н.");
}

TEST(JamText, ReadLineWrapsAndTheStreamEndsAfterItsLastCharacter)
{
    TempDir dir;
    JamMsgBase base;
    base.SetBasePath(dir / "echo");
    ASSERT_EQ(base.CreateBase(0, 0), 0);
    ASSERT_EQ(base.OpenBase(), 0);
    for (const char* text : {"abc defghijkl\r", "abcdefghijklm\r"}) {
        base.StartNewLetter({});
        base.WriteText(text);
        ASSERT_EQ(base.WriteLetter(), 0);
    }
    base.StartNewLetter({});
    base.WriteKludge("\x01MSGID: 2:5020/1 12345678");
    base.WriteText("one\rtwo\r");
    ASSERT_EQ(base.WriteLetter(), 0);

    base.SeekFirst(1);
    base.LoadHeader();
    base.StartText();
    EXPECT_EQ(base.ReadLine(10), "abc ");
    EXPECT_TRUE(base.LineWasWrapped());
    EXPECT_EQ(base.ReadLine(10), "defghijkl");
    EXPECT_FALSE(base.LineWasWrapped());
    EXPECT_TRUE(base.TextEnded()) << "no empty line after the final CR";

    base.SeekNext();
    base.LoadHeader();
    EXPECT_EQ(AllLines(base, 10), (std::vector<std::string>{"abcdefghij", "klm"}));

    base.SeekNext();
    base.LoadHeader();
    base.StartText();
    EXPECT_EQ(base.ReadLine(10), "\x01MSGID: ");
    int64_t inKludges = base.GetTextPos();
    EXPECT_EQ(base.ReadLine(65535), "2:5020/1 12345678");
    EXPECT_EQ(base.ReadLine(65535), "one");
    int64_t inText = base.GetTextPos();
    EXPECT_EQ(base.ReadLine(65535), "two");
    EXPECT_TRUE(base.TextEnded());
    base.SetTextPos(inText);
    EXPECT_FALSE(base.TextEnded());
    EXPECT_EQ(base.ReadLine(65535), "two");
    base.SetTextPos(inKludges);
    EXPECT_EQ(base.ReadLine(65535), "2:5020/1 12345678");
    base.StartText();
    EXPECT_EQ(base.ReadPlainLine(65535), "one");
}
