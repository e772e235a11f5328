// Bases written by an independent message-base library read as their
// manifests say.
#include <gtest/gtest.h>

#include "SquishBytes.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "support/Json.h"

namespace {

// A line as the reader delivers it.
void ExpectLine(const std::string& got, const std::string& utf8, bool softBreak, const std::string& where)
{
    EXPECT_EQ(got, ManifestLineAsRead(utf8, softBreak)) << where;
}

std::vector<std::string> ReadAllLines(MsgBase& base)
{
    std::vector<std::string> lines;
    base.StartText();
    while (!base.TextEnded())
        lines.push_back(base.ReadLine(65535));
    return lines;
}

void CheckLetter(SquishMsgBase& base, const Json& m)
{
    const std::string where = "umsgid " + std::to_string(m["umsgid"].AsInt());
    base.LoadHeader();
    EXPECT_EQ(base.GetNumber(), m["umsgid"].AsInt()) << where;
    EXPECT_EQ(base.GetDisplayNumber(), m["index_position"].AsInt()) << where;
    EXPECT_EQ(base.Header().From, m["from_"].AsString()) << where;
    EXPECT_EQ(base.Header().To, m["to"].AsString()) << where;
    EXPECT_EQ(base.Header().Subject, StripRePrefixes(m["subject"].AsString())) << where;
    const std::string written = m["date_written"].AsString();
    int h, n, sec, ms;
    DecodeTime(base.Header().Written, h, n, sec, ms);
    EXPECT_EQ(FormatIsoMinutes(base.Header().Written), written.substr(0, 16)) << where;
    EXPECT_EQ(sec, std::stoi(written.substr(17))) << where;
    FidoAddress orig, dest;
    orig = base.Header().Orig;
    dest = base.Header().Dest;
    EXPECT_EQ(AddressToText(orig), m["orig"].AsString()) << where;
    EXPECT_EQ(AddressToText(dest), m["dest"].AsString()) << where;
    const uint32_t attr = std::stoul(m["attr"].AsString(), nullptr, 16);
    EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Received), (attr & 4) != 0) << where;
    EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Local), (attr & 0x100) != 0) << where;
    EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Echo), (attr & 0x10000) == 0) << where;
    EXPECT_FALSE(base.Header().Flags.Has(LetterFlag::Read)) << where;
    EXPECT_EQ(base.Header().ReplyTo, m["replyto"].AsInt()) << where;
    EXPECT_EQ(base.Header().FirstReply, m["replies"].Size() ? m["replies"][0].AsInt() : 0) << where;

    // Control information first, as control lines; then the text, whose
    // SEEN-BY and PATH lines close it.
    std::vector<std::string> want;
    for (const Json& line : m["control_info"].Items())
        want.push_back("\x01" + line.AsString());
    const std::size_t textStart = want.size();
    for (const Json& line : m[m.Has("body_lines") ? "body_lines" : "body_first_lines"].Items())
        want.push_back(line.AsString());
    std::vector<std::string> got = ReadAllLines(base);
    std::vector<std::string> tail;
    if (m.Has("body_last_lines")) {
        ASSERT_EQ(got.size(), textStart + m["body_line_count"].AsInt() + 2) << where;
        for (const Json& line : m["body_last_lines"].Items())
            tail.push_back(line.AsString());
    }
    for (const Json& line : m["seen_by_lines"].Items())
        tail.push_back(line.AsString());
    for (const Json& line : m["control_lines_in_text"].Items())
        tail.push_back("\x01" + line.AsString().substr(2));
    ASSERT_GE(got.size(), want.size() + tail.size()) << where;
    if (!m.Has("body_last_lines")) {
        ASSERT_EQ(got.size(), want.size() + tail.size()) << where;
    }
    for (std::size_t i = 0; i < want.size(); ++i)
        ExpectLine(got[i], want[i], base.GetReadingRules().SoftBreak8D, where + " line " + std::to_string(i));
    for (std::size_t i = 0; i < tail.size(); ++i)
        ExpectLine(got[got.size() - tail.size() + i], tail[i], base.GetReadingRules().SoftBreak8D, where + " closing line " + std::to_string(i));
}

}  // namespace

TEST(SquishFixture, SmallBaseReadsAsItsManifestSays)
{
    // Every letter reads the same whichever way CP866 0x8D is taken, but for
    // the capital Н that the soft-break reading drops from texts.
    for (bool softBreak : {false, true}) {
        SCOPED_TRACE(softBreak ? "0x8D read as a soft break" : "0x8D read as the letter");
        const Json manifest = Json::ParseFile(FixturesDir() + "/squish.manifest.json");
        OpenSquish s(FixturesDir() + "/squish/fidotest");
        ASSERT_EQ(s.open, 0);
        s.base.SetReadingRules({Charset::Cp866, softBreak});
        EXPECT_EQ(s.base.CountLetters(), 10u);
        EXPECT_EQ(s.base.GetHighNumber(), 12u);
        EXPECT_EQ(Walk(s.base), "1 2 3 4 5 6 7 10 11 12 ");
        for (const Json& letter : manifest["letters"].Items()) {
            s.base.SeekFirst(static_cast<Num>(letter["umsgid"].AsInt()));
            ASSERT_TRUE(s.base.SeekFound());
            CheckLetter(s.base, letter);
        }
        s.base.SeekFirst(8);
        EXPECT_EQ(s.base.GetNumber(), 10u) << "8 and 9 were deleted";
        s.base.SeekFirst(13);
        EXPECT_FALSE(s.base.SeekFound());
    }
}

TEST(SquishFixture, BigBaseShowsAllLettersPastTheTrailingBlankRecord)
{
    const Json manifest = Json::ParseFile(FixturesDir() + "/squish-big.manifest.json");
    OpenSquish s(FixturesDir() + "/squish-big/bigarea");
    ASSERT_EQ(s.open, 0);
    EXPECT_EQ(s.base.CountLetters(), 6000u);
    EXPECT_EQ(s.base.GetHighNumber(), 6050u);
    uint32_t count = 0, last = 0;
    for (s.base.SeekFirst(1); s.base.SeekFound(); s.base.SeekNext())
        ++count, last = s.base.GetNumber();
    EXPECT_EQ(count, 6000u);
    EXPECT_EQ(last, 6050u);
    for (const Json& letter : manifest["letters"].Items()) {
        s.base.SeekFirst(static_cast<Num>(letter["umsgid"].AsInt()));
        CheckLetter(s.base, letter);
    }
}

TEST(SquishFixture, SearchByRecipient)
{
    OpenSquish s(FixturesDir() + "/squish/fidotest");
    auto found = [&](const std::string& name, const std::string& alias) {
        std::string numbers;
        for (s.base.FindMailFirst(name, alias); s.base.MailFound(); s.base.FindMailNext())
            numbers += std::to_string(s.base.GetNumber()) + " ";
        return numbers;
    };
    EXPECT_EQ(found("john smith", ""), "3 5 ");
    EXPECT_EQ(found("Nobody", "Ivan Petrov"), "4 ");
    EXPECT_EQ(found("Иван Петров", ""), "11 ") << "the index hashes the stored (CP866) name";
    EXPECT_EQ(found("Point User", ""), "") << "received";

    // The independent library marks a received letter by bit 31 of its hash;
    // with the received flag cleared the letter is found again.
    TempDir dir;
    CopyDirectory(FixturesDir() + "/squish", dir.Path());
    std::string sqd = ReadFileBytes(dir / "fidotest.sqd");
    sqd.replace(49050 + 28, 4, Le32(0x00030000));
    WriteFileBytes(dir / "fidotest.sqd", sqd);
    OpenSquish copy(dir / "fidotest");
    copy.base.FindMailFirst("POINT USER", "");
    ASSERT_TRUE(copy.base.MailFound());
    EXPECT_EQ(copy.base.GetNumber(), 7u);
}
