// Writing and reading a Hudson base: the bytes a new letter leaves on disk,
// walking the boards, texts, dates, the recipient search, last-read records.
#include <gtest/gtest.h>

#include "HudsonTestBases.h"
#include "support/TestSupport.h"

using namespace hudson_test;

TEST(HudsonWrite, ANewBaseHoldsExactlyTheseBytes)
{
    TempDir dir;
    auto base = Board(dir.Path(), 5);
    EXPECT_FALSE(base->BaseExists());
    ASSERT_EQ(base->OpenBase(), 0) << "a missing base is created";
    {
        LetterHeader header;
        base->SetMailType(MailEcho);
        header.From = "Point User";
        header.To = "Всем";
        header.Subject = "Posted";
        header.Written = EncodeDate(2024, 12, 5) + EncodeTime(18, 7, 0);
        header.Orig = {2, 5020, 1234, 5};
        header.ReplyTo = 7;
        header.Flags.Set(LetterFlag::Local, true);
        header.Flags.Set(LetterFlag::Read, true);
        header.Flags.Set(LetterFlag::Echo, true);
        base->StartNewLetter(header);
    }
    base->WriteText(std::string(255, 'x'));  // the closing CR goes into a second block
    ASSERT_EQ(base->WriteLetter(), 0);
    EXPECT_EQ(base->GetNumber(), 1u);

    const std::string vsem = "\x82\xE1\xA5\xAC";  // "Всем" in CP866
    EXPECT_EQ(ReadFileBytes(dir / "msghdr.bbs"),
              Le16(1) + Le16(7) + Le16(0) + Le16(0) + Le16(0) + Le16(2) + Le16(0) + Le16(0) + Le16(5020) +
                  Le16(1234) + std::string("\x00\x02", 2) + Le16(0) + "\xE0" + std::string(1, '\0') + "\x05" +
                  PascalField("18:07", 6) + PascalField("12-05-24", 9) + PascalField(vsem, 36) +
                  PascalField("Point User", 36) + PascalField("Posted", 73));
    EXPECT_EQ(ReadFileBytes(dir / "msgtxt.bbs"), "\xFF" + std::string(255, 'x') + "\x01\r" + std::string(254, '\0'));
    EXPECT_EQ(ReadFileBytes(dir / "msgidx.bbs"), Le16(1) + "\x05");
    EXPECT_EQ(ReadFileBytes(dir / "msgtoidx.bbs"), PascalField(vsem, 36));
    EXPECT_EQ(ReadFileBytes(dir / "msginfo.bbs"), InfoBytes(1, 1, 1, {{5, 1}}));
    EXPECT_EQ(ReadFileBytes(dir / "echomail.bbs"), Le16(0));

    // Netmail with a point: the TOPT line, the netmail bits, the NETMAIL list.
    {
        LetterHeader header;
        base->SetMailType(MailNet);
        header.Dest = {2, 5020, 1234, 7};
        header.Flags.Set(LetterFlag::Echo, true);
        base->StartNewLetter(header);
    }
    base->WriteLine("hi");
    ASSERT_EQ(base->WriteLetter(), 0);
    std::string hdr = ReadFileBytes(dir / "msghdr.bbs");
    EXPECT_EQ(uint8_t(hdr[187 + 24]), 0x06) << "netmail, not yet exported";
    EXPECT_EQ(ReadFileBytes(dir / "netmail.bbs"), Le16(1));
    EXPECT_EQ(RawText(*base), "\x01TOPT 7\rhi\r");
    EXPECT_EQ(base->CloseBase(), 0);
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"echomail.bbs", "msghdr.bbs", "msgidx.bbs",
                                                                    "msginfo.bbs", "msgtoidx.bbs", "msgtxt.bbs",
                                                                    "netmail.bbs"}));
}

TEST(HudsonWrite, NewFilesFollowTheCaseOfTheBase)
{
    TempDir dir;
    WriteBase(dir.Path(), {Letter{.Number = 1}}, true);
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    ASSERT_EQ(Post(*base, "All", "text\r"), 0);
    base->SetLastRead(0, 2);
    EXPECT_EQ(base->GetLastRead(0), 2u);
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"ECHOMAIL.BBS", "LASTREAD.BBS", "MSGHDR.BBS",
                                                                    "MSGIDX.BBS", "MSGINFO.BBS", "MSGTOIDX.BBS",
                                                                    "MSGTXT.BBS"}));
}

TEST(HudsonWrite, LongTextsAreStoredAndReadWhole)
{
    TempDir dir;
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    std::string text;
    for (int i = 0; text.size() < 100 * 255; ++i)
        text += "Line " + std::to_string(i) + " of a long letter, far beyond sixty-four blocks.\r";
    ASSERT_EQ(Post(*base, "All", text), 0);
    base->SeekFirst(1);
    base->LoadHeader();
    EXPECT_EQ(RawText(*base), text);
    EXPECT_EQ(GetLe16(ReadFileBytes(dir / "msghdr.bbs"), 10), (text.size() + 254) / 255);
}

namespace {

// Boards 1 and 2 interleaved; letter 3 deleted, 5 received.
std::vector<Letter> MixedLetters()
{
    return {Letter{.Number = 1, .To = "Point User"},
            Letter{.Number = 2, .Board = 2, .To = "POINT USER"},
            Letter{.Number = 3, .To = "Point User", .Deleted = true},
            Letter{.Number = 4, .To = "Sysop", .Date = "06-15-95", .Time = "23:59",
                   .Text = std::string(300, 'w') + "\rend\r"},
            Letter{.Number = 5, .Board = 2, .To = "Point User", .MsgAttr = 0x10}};
}

std::vector<Num> Walk(MsgBase& base)
{
    std::vector<Num> numbers;
    for (base.SeekFirst(1); base.SeekFound(); base.SeekNext())
        numbers.push_back(base.GetNumber());
    return numbers;
}

}  // namespace

TEST(HudsonRead, WalksOneBoardSkippingOthersAndDeleted)
{
    TempDir dir;
    WriteBase(dir.Path(), MixedLetters());
    auto one = Board(dir.Path(), 1), two = Board(dir.Path(), 2);
    ASSERT_EQ(one->OpenBase(), 0);
    ASSERT_EQ(two->OpenBase(), 0);
    EXPECT_EQ(Walk(*one), (std::vector<Num>{1, 4}));
    EXPECT_EQ(Walk(*two), (std::vector<Num>{2, 5}));
    one->SeekFirst(4);
    one->SeekPrior();
    EXPECT_EQ(one->GetNumber(), 1u);
    one->SeekFirst(2);
    EXPECT_EQ(one->GetNumber(), 4u);
    EXPECT_EQ(one->GetPosition(), 3u);
    for (Num n : {0u, 5u, 70000u}) {
        one->SeekFirst(n);
        EXPECT_FALSE(one->SeekFound()) << n;
    }
    // The highest number (5) lies on board 2; board 1's highest is 4, not 1.
    EXPECT_EQ(one->GetHighActiveNumber(), 4u);
    one->SetPosition(0);
    EXPECT_EQ(one->GetNumber(), 1u);
    EXPECT_EQ(one->CountLetters(), 2u);
}

TEST(HudsonRead, TextsAndDates)
{
    TempDir dir;
    WriteBase(dir.Path(), MixedLetters());
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    base->SeekFirst(4);
    base->LoadHeader();
    EXPECT_EQ(base->Header().To, "Sysop");
    // A two-digit year is never put in the future: 95 is 1995.
    EXPECT_EQ(base->Header().Written, EncodeDate(1995, 6, 15) + EncodeTime(23, 59, 0));
    base->StartText();
    int64_t start = base->GetTextPos();
    EXPECT_EQ(base->ReadLine(65535), std::string(300, 'w')) << "not cut at 255";
    EXPECT_EQ(base->ReadLine(65535), "end");
    EXPECT_TRUE(base->TextEnded()) << "no empty line after the final CR";
    base->SetTextPos(start);
    EXPECT_FALSE(base->TextEnded());

    base->SeekFirst(1);
    base->LoadHeader();
    EXPECT_EQ(base->Header().Written, EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0));
    base->StartNewLetter({});
    EXPECT_EQ(base->Header().Written, 0.0) << "the blank date 00-00-00";
}

TEST(HudsonRead, FindMailSearchesEveryBoardForUnreceivedLiveLetters)
{
    TempDir dir;
    WriteBase(dir.Path(), MixedLetters());
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    std::vector<Num> found;
    for (base->FindMailFirst("  point user ", "sysop"); base->MailFound(); base->FindMailNext())
        found.push_back(base->GetNumber());
    EXPECT_EQ(found, (std::vector<Num>{1, 2, 4}));
    base->FindMailFirst("", "");
    EXPECT_FALSE(base->MailFound()) << "an empty name matches nothing";
}

TEST(HudsonRead, LastReadRecordsKeepOtherBoards)
{
    TempDir dir;
    WriteBase(dir.Path(), MixedLetters());
    auto one = Board(dir.Path(), 1), two = Board(dir.Path(), 2);
    EXPECT_EQ(one->GetLastRead(0), 0u) << "no file: nothing read";
    one->SetLastRead(2, 4);
    two->SetLastRead(2, 5);
    std::string bytes = ReadFileBytes(dir / "lastread.bbs");
    ASSERT_EQ(bytes.size(), 1200u);
    EXPECT_EQ(bytes.substr(800, 4), Le16(4) + Le16(5));
    EXPECT_EQ(bytes.find_first_not_of('\0', 804), std::string::npos);
    EXPECT_EQ(one->GetLastRead(2), 4u);
    EXPECT_EQ(one->GetLastRead(3), 0u);
}
