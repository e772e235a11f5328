// The base written by an independent Hudson editor, read as its manifest says.
#include <gtest/gtest.h>

#include <algorithm>

#include "HudsonTestBases.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "support/Json.h"
#include "support/TestSupport.h"

using namespace hudson_test;

namespace {

// The visible lines of the current letter: no control lines, no SEEN-BY.
std::vector<std::string> BodyLines(MsgBase& base)
{
    std::vector<std::string> lines;
    base.StartText();
    while (!base.TextEnded()) {
        std::string line = base.ReadLine(65535);
        if (line.empty() || (line[0] != KludgeMark && line.rfind("SEEN-BY:", 0) != 0))
            lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(HudsonFixture, EveryLetterAsTheManifestSays)
{
    // Every letter reads the same whichever way CP866 0x8D is taken, but for
    // the capital Н that the soft-break reading drops from texts.
    for (bool softBreak : {false, true}) {
        SCOPED_TRACE(softBreak ? "0x8D read as a soft break" : "0x8D read as the letter");
        TempDir dir;
        CopyDirectory(FixturesDir() + "/hudson", dir.Path());
        const std::string pristine = ReadFileBytes(dir / "msghdr.bbs") + ReadFileBytes(dir / "msgtoidx.bbs");
        Json manifest = Json::ParseFile(FixturesDir() + "/hudson.manifest.json");
        std::unique_ptr<HudsonMsgBase> boards[4];
        for (int b = 1; b <= 3; ++b) {
            boards[b] = Board(dir.Path(), b);
            boards[b]->SetReadingRules({Charset::Cp866, softBreak});
            ASSERT_EQ(boards[b]->OpenBase(), 0);
            EXPECT_EQ(boards[b]->GetHighNumber(), 12u);
            EXPECT_EQ(boards[b]->CountLetters(), uint32_t(manifest["msginfo"]["per_board"][std::to_string(b)].AsInt()));
        }
        EXPECT_EQ(boards[1]->GetLastRead(0), 4u);
        EXPECT_EQ(boards[2]->GetLastRead(0), 2u);
        EXPECT_EQ(boards[3]->GetLastRead(0), 0u);

        for (const Json& l : manifest["letters"].Items()) {
            const std::string name = l["letter"].AsString();
            MsgBase& base = *boards[l["board"].AsInt()];
            base.SeekFirst(Num(l["number"].AsInt()));
            if (l["deleted"].AsBool()) {
                EXPECT_TRUE(!base.SeekFound() || base.GetNumber() != Num(l["number"].AsInt())) << name;
                continue;
            }
            ASSERT_TRUE(base.SeekFound()) << name;
            EXPECT_EQ(base.GetNumber(), Num(l["number"].AsInt())) << name;
            EXPECT_EQ(base.GetPosition(), uint32_t(l["index_position"].AsInt())) << name;
            base.LoadHeader();
            EXPECT_EQ(base.Header().From, l["from_"].AsString()) << name;
            EXPECT_EQ(base.Header().To, l["to"].AsString()) << name;
            EXPECT_EQ(base.Header().Subject, StripRePrefixes(l["subject"].AsString())) << name;
            const std::string date = l["date"].AsString(), time = l["time"].AsString();
            EXPECT_EQ(base.Header().Written,
                      EncodeDate(2000 + std::stoi(date.substr(6)), std::stoi(date.substr(0, 2)),
                                 std::stoi(date.substr(3, 2))) +
                          EncodeTime(std::stoi(time.substr(0, 2)), std::stoi(time.substr(3)), 0))
                << name;
            FidoAddress orig, dest;
            orig = base.Header().Orig;
            dest = base.Header().Dest;
            EXPECT_EQ(AddressToText(orig), l["orig"].AsString()) << name;
            EXPECT_EQ(AddressToText(dest), l["dest"].AsString()) << name;
            EXPECT_EQ(base.Header().ReplyTo, Num(l["reply_to"].AsInt())) << name;
            EXPECT_EQ(base.Header().FirstReply, Num(l["first_reply"].AsInt())) << name;
            int attr = std::stoi(l["msg_attr"].AsString(), nullptr, 16), net = std::stoi(l["net_attr"].AsString(), nullptr, 16);
            EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Private), (attr & 0x08) != 0) << name;
            EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Received), (attr & 0x10) != 0) << name;
            EXPECT_EQ(base.Header().Flags.Has(LetterFlag::Local), (attr & 0x40) != 0) << name;
            EXPECT_EQ(base.Header().Flags.Has(LetterFlag::KillSent), (net & 0x01) != 0) << name;
            EXPECT_FALSE(base.Header().Flags.Has(LetterFlag::Read)) << name;

            std::string raw = RawText(base);
            EXPECT_EQ(raw.size(), std::size_t(l["stored_length"].AsInt())) << name;
            EXPECT_EQ(Sha1Hex(raw), l["stored_sha1"].AsString()) << name;
            std::vector<std::string> body = BodyLines(base);
            if (l.Has("body_lines")) {
                ASSERT_EQ(body.size(), l["body_lines"].Size()) << name;
                for (std::size_t i = 0; i < body.size(); ++i)
                    EXPECT_EQ(body[i], ManifestLineAsRead(l["body_lines"][i].AsString(), softBreak)) << name << " line " << i;
            } else {  // the 178-block letter: every line, through the origin
                ASSERT_EQ(body.size(), std::size_t(l["body_line_count"].AsInt())) << name;
                for (std::size_t i = 0; i < 3; ++i) {
                    EXPECT_EQ(body[i], l["body_first_lines"][i].AsString()) << name;
                    EXPECT_EQ(body[body.size() - 3 + i], l["body_last_lines"][i].AsString()) << name;
                }
            }
        }
        for (int b = 1; b <= 3; ++b)
            EXPECT_EQ(boards[b]->CloseBase(), 0);
        EXPECT_EQ(ReadFileBytes(dir / "msghdr.bbs") + ReadFileBytes(dir / "msgtoidx.bbs"), pristine) << "reading wrote";
    }
}
