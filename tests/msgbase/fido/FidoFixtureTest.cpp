// The netmail directory written by an independent message-base library reads
// as its manifest says.
#include <gtest/gtest.h>

#include "FidoTestLetters.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "support/Json.h"

namespace {

// The manifest's "5020/100" as net and node.
void ExpectNetNode(const FidoAddress& address, const std::string& text, const std::string& what)
{
    std::size_t slash = text.find('/');
    EXPECT_EQ(address.Net, StrToIntTrim(text.substr(0, slash))) << what;
    EXPECT_EQ(address.Node, StrToIntTrim(text.substr(slash + 1))) << what;
}

// "01 Dec 24  09:00:00" -> the date to the minute.
DateTime MinuteOf(const std::string& dateText)
{
    static const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    int month = static_cast<int>(std::string(months).find(dateText.substr(3, 3)) / 3 + 1);
    return EncodeDate(2000 + StrToIntTrim(dateText.substr(7, 2)), month, StrToIntTrim(dateText.substr(0, 2))) +
           EncodeTime(StrToIntTrim(dateText.substr(11, 2)), StrToIntTrim(dateText.substr(14, 2)), 0);
}

}  // namespace

TEST(FidoFixture, NetmailDirectoryReadsAsTheManifestSays)
{
    // Every letter reads the same whichever way CP866 0x8D is taken, but for
    // the capital Н that the soft-break reading drops from texts.
    for (bool softBreak : {false, true}) {
        SCOPED_TRACE(softBreak ? "0x8D read as a soft break" : "0x8D read as the letter");
        TempDir copy;
        CopyDirectory(FixturesDir() + "/msg", copy.Path());
        Json manifest = Json::ParseFile(FixturesDir() + "/msg.manifest.json");
        auto base = OpenFido(copy.Path());
        base->SetReadingRules({Charset::Cp866, softBreak});

        std::vector<Num> numbers;
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext())
            numbers.push_back(base->GetNumber());
        std::vector<Num> expectedNumbers;
        for (const Json& letter : manifest["letters"].Items())
            expectedNumbers.push_back(static_cast<Num>(letter["number"].AsInt()));
        EXPECT_EQ(numbers, expectedNumbers);
        EXPECT_EQ(base->CountLetters(), 10u);

        for (const Json& letter : manifest["letters"].Items()) {
            const std::string what = letter["file"].AsString();
            base->SeekFirst(static_cast<Num>(letter["number"].AsInt()));
            base->LoadHeader();
            EXPECT_EQ(base->Header().From, letter["from_"].AsString()) << what;
            EXPECT_EQ(base->Header().To, letter["to"].AsString()) << what;
            EXPECT_EQ(base->Header().Subject, StripRePrefixes(letter["subject"].AsString())) << what;
            EXPECT_EQ(base->Header().Written, MinuteOf(letter["date_text"].AsString())) << what;
            EXPECT_EQ(base->Header().ReplyTo, static_cast<Num>(letter["reply_to"].AsInt())) << what;
            EXPECT_EQ(base->Header().FirstReply, static_cast<Num>(letter["next_reply"].AsInt())) << what;
            EXPECT_FALSE(base->Header().Flags.Has(LetterFlag::Read)) << what;

            uint16_t attr = static_cast<uint16_t>(std::stoi(letter["attr"].AsString(), nullptr, 16));
            EXPECT_EQ(base->Header().Flags.Has(LetterFlag::Private), (attr & 0x0001) != 0) << what;
            EXPECT_EQ(base->Header().Flags.Has(LetterFlag::Crash), (attr & 0x0002) != 0) << what;
            EXPECT_EQ(base->Header().Flags.Has(LetterFlag::Received), (attr & 0x0004) != 0) << what;
            EXPECT_EQ(base->Header().Flags.Has(LetterFlag::KillSent), (attr & 0x0080) != 0) << what;
            EXPECT_EQ(base->Header().Flags.Has(LetterFlag::Local), (attr & 0x0100) != 0) << what;

            FidoAddress orig, dest;
            orig = base->Header().Orig;
            dest = base->Header().Dest;
            ExpectNetNode(orig, letter["orig"].AsString(), what);
            ExpectNetNode(dest, letter["dest"].AsString(), what);
            bool hasIntl = letter.Has("control_lines_in_text") && !letter["control_lines_in_text"].Items().empty();
            EXPECT_EQ(orig.Zone, hasIntl ? 2 : FidoMsgBase::DefaultZone) << what;
            EXPECT_EQ(dest.Zone, hasIntl ? 2 : FidoMsgBase::DefaultZone) << what;

            // Control lines as stored, in order; the body lines after them.
            std::vector<std::string> lines = AllLines(*base), kludges, body;
            for (const std::string& line : lines)
                (line.empty() || line[0] != '\x01' ? body : kludges).push_back(line);
            std::vector<std::string> expectedKludges;
            if (letter.Has("control_lines_in_text"))
                for (const Json& k : letter["control_lines_in_text"].Items())
                    expectedKludges.push_back("\x01" + k.AsString().substr(2));
            EXPECT_EQ(kludges, expectedKludges) << what;
            if (letter.Has("body_lines")) {
                std::vector<std::string> expectedBody;
                for (const Json& l : letter["body_lines"].Items())
                    expectedBody.push_back(ManifestLineAsRead(l.AsString(), softBreak));
                ASSERT_EQ(body.size(), expectedBody.size()) << what;
                for (std::size_t i = 0; i < body.size(); ++i)
                    EXPECT_EQ(body[i], expectedBody[i]) << what << " line " << i;
            } else {
                ASSERT_EQ(body.size(), static_cast<std::size_t>(letter["body_line_count"].AsInt())) << what;
                EXPECT_EQ(body.front(), ManifestLineAsRead(letter["body_first_lines"][0].AsString(), softBreak)) << what;
                EXPECT_EQ(body.back(), ManifestLineAsRead(letter["body_last_lines"].Items().back().AsString(), softBreak)) << what;
            }
        }

        // Points come from the control lines: 7.msg goes to point 5, 10.msg comes from point 5.
        FidoAddress address;
        base->SeekFirst(7);
        base->LoadHeader();
        address = base->Header().Dest;
        EXPECT_EQ(address, (FidoAddress{2, 5020, 1234, 5}));
        base->SeekFirst(10);
        base->LoadHeader();
        address = base->Header().Orig;
        EXPECT_EQ(address, (FidoAddress{2, 5020, 1234, 5}));
    }
}
