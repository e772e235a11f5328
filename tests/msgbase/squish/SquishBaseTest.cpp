// Names and paths, the hash, last-read values, walking, header fields and
// reading positions.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "SquishBytes.h"
#include "core/StringHelpers.h"
#include "msgbase/MsgBaseFactory.h"
#include "msgbase/squish/SquishHash.h"

TEST(SquishHash, KnownValues)
{
    EXPECT_EQ(SquishHash("abc"), 0x6783u);
    EXPECT_EQ(SquishHash("ABC"), 0x6783u);
    // Values found in the index of a base written by another program.
    EXPECT_EQ(SquishHash("John Smith"), 0x708045F8u);
    EXPECT_EQ(SquishHash("Point User"), 0x0567FFC2u);
    EXPECT_EQ(SquishHash("\x88\xA2\xA0\xAD \x8F\xA5\xE2\xE0\xAE\xA2"), 0x79A4CBF2u);  // "Иван Петров" in CP866
}

TEST(SquishPaths, OnlyASquishExtensionEndingTheLastComponentIsCut)
{
    SquishMsgBase s;
    for (auto [spec, path] : {std::pair<std::string, std::string>{"/home/u/.fido/ru.test", "/home/u/.fido/ru.test"},
                              {"/a.b/c.SqD", "/a.b/c"}, {"/a/ru.test.sqi", "/a/ru.test"}, {"/a/b.sql/c", "/a/b.sql/c"},
                              {"/a/x.sqdx", "/a/x.sqdx"}, {"/a/.sqd", "/a/.sqd"}}) {
        s.SetBasePath(spec);
        EXPECT_EQ(s.BasePath(), path) << spec;
    }
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    s.SetBasePath("echo.sqd");
    EXPECT_EQ(s.BasePath(), std::string(cwd) + "/echo");
}

TEST(SquishPaths, BasesAreFoundWhateverTheirCaseAndNewFilesFollowIt)
{
    TempDir dir;
    std::filesystem::create_directory(dir / ".fido");
    for (const char* ext : {"sqd", "sqi"})
        std::filesystem::copy_file(FixturesDir() + "/squish/fidotest." + ext, dir / (".fido/RU.TEST." + UpperAscii(ext)));
    std::unique_ptr<MsgBase> base = CreateBaseFor("s" + dir / ".fido/ru.test");
    ASSERT_TRUE(base);
    ASSERT_TRUE(base->BaseExists());
    ASSERT_EQ(base->OpenBase(), 0);
    EXPECT_EQ(base->CountLetters(), 10u);
    base->SetLastRead(3, 10);
    EXPECT_EQ(ReadFileBytes(dir / ".fido/RU.TEST.SQL"), Le32(0) + Le32(0) + Le32(0) + Le32(10));
    EXPECT_EQ(base->GetLastRead(3), 10u);
    EXPECT_EQ(base->GetLastRead(5), 0u);
    EXPECT_EQ(base->GetLastRead(0), 0u);

    std::unique_ptr<MsgBase> fresh = CreateBaseFor("S" + dir / "new/deeper/su.general");
    ASSERT_FALSE(fresh->BaseExists());
    ASSERT_EQ(fresh->CreateBase(0, 0), 0);
    EXPECT_EQ(DirectoryNames(dir / "new/deeper"), (std::vector<std::string>{"su.general.sqd", "su.general.sqi", "su.general.sql"}));
}

TEST(SquishWalk, NumbersWithGapsPositionsAndHighNumbers)
{
    TempDir dir;
    OpenSquish s(dir / "b", true);
    for (int i = 1; i <= 5; ++i)
        ASSERT_EQ(Post(s.base, "A", std::to_string(i) + "\r"), 0);
    for (Num gone : {3u, 4u}) {
        s.base.SeekFirst(gone);
        s.base.LoadHeader();
        ASSERT_EQ(s.base.DeleteLetter(), 0);
    }
    s.base.SeekFirst(3);
    EXPECT_EQ(s.base.GetNumber(), 5u);
    EXPECT_EQ(s.base.GetDisplayNumber(), 3u);
    s.base.SeekPrior();
    EXPECT_EQ(s.base.GetNumber(), 2u);
    s.base.SeekPrior();
    s.base.SeekPrior();
    EXPECT_FALSE(s.base.SeekFound());
    s.base.SetPosition(2);
    EXPECT_EQ(s.base.GetPosition(), 2u);
    EXPECT_EQ(s.base.GetHighNumber(), 5u);
    s.base.SeekFirst(5);
    s.base.LoadHeader();
    ASSERT_EQ(s.base.DeleteLetter(), 0);
    EXPECT_EQ(s.base.GetHighActiveNumber(), 2u);
}

TEST(SquishFields, CutsFlagsAndAddressesRoundTrip)
{
    TempDir dir;
    OpenSquish s(dir / "b", true);
    {
        LetterHeader header;
        header.From = "Сергей Кузнецов";
        header.To = std::string(40, 't');
        header.Subject = "Re: " + std::string(76, 's');
        header.Orig = {2, 5020, 100, 7};
        header.Dest = {1, 2, 3, 4};
        header.ReplyTo = 77;
        header.FirstReply = 88;
        header.Written = EncodeDate(2023, 5, 9) + EncodeTime(23, 59, 58);
        header.Flags.Set(LetterFlag::Private, true);
        s.base.StartNewLetter(header);
    }
    ASSERT_EQ(s.base.WriteLetter(), 0);
    const std::string sqd = ReadFileBytes(dir / "b.sqd");
    const std::size_t header = 256 + 28;
    // "Сергей Кузнецов" in CP866, then the field's NUL.
    EXPECT_EQ(sqd.substr(header + 4, 16), std::string("\x91\xA5\xE0\xA3\xA5\xA9 \x8A\xE3\xA7\xAD\xA5\xE6\xAE\xA2", 15) + '\0');
    EXPECT_EQ(sqd.substr(header + 76, 72), "Re: " + std::string(67, 's') + '\0');
    EXPECT_EQ(GetLe16(sqd, header + 148 + 6), 7u) << "the address after the subject is untouched";
    EXPECT_EQ(sqd.substr(header + 218, 20), ZeroField("09 May 23  23:59:58", 20));

    OpenSquish r(dir / "b");
    r.base.SeekFirst(1);
    r.base.LoadHeader();
    EXPECT_EQ(r.base.Header().From, "Сергей Кузнецов");
    EXPECT_EQ(r.base.Header().To, std::string(35, 't'));
    EXPECT_EQ(r.base.Header().Subject, std::string(67, 's'));
    const LetterHeader read = r.base.Header();
    EXPECT_EQ(AddressToText(read.Orig) + " " + AddressToText(read.Dest), "2:5020/100.7 1:2/3.4");
    EXPECT_EQ(read.ReplyTo, 77u);
    EXPECT_EQ(read.FirstReply, 88u);
    EXPECT_EQ(FormatIsoMinutes(read.Written), "2023-05-09 23:59");
    EXPECT_EQ(read.Flags, (LetterFlags{LetterFlag::Private, LetterFlag::Echo})) << "a new letter waits for export";
}

TEST(SquishText, PositionsRestoreTheEndAndPlainLinesSkipControlInformation)
{
    OpenSquish s(FixturesDir() + "/squish/fidotest");
    s.base.SeekFirst(12);  // no control information, no terminating zero
    s.base.LoadHeader();
    s.base.StartText();
    std::string first = s.base.ReadLine(65535);
    const int64_t second = s.base.GetTextPos();
    int64_t end = 0;
    while (!s.base.TextEnded())
        s.base.ReadLine(65535), end = s.base.GetTextPos();
    EXPECT_EQ(s.base.ReadChar(), '\0');
    s.base.SetTextPos(second);
    EXPECT_FALSE(s.base.TextEnded());
    s.base.SetTextPos(end);
    EXPECT_TRUE(s.base.TextEnded());
    EXPECT_EQ(first.substr(0, 20), "This letter has no c");

    s.base.SeekFirst(1);
    s.base.LoadHeader();
    s.base.StartText();
    EXPECT_EQ(s.base.ReadPlainLine(65535), "Hello All,");
}
