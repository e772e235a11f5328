// quorvel-tool on Hudson boards, end to end: the fixture base and new ones.
#include <gtest/gtest.h>

#include <map>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : DirectoryNames(dir))
        files[name] = ReadFileBytes(dir + "/" + name);
    return files;
}

struct FixtureCopy {
    TempDir dir;
    FixtureCopy() { CopyDirectory(FixturesDir() + "/hudson", dir.Path()); }
    std::string Board(int b) const { return "H00" + std::to_string(b) + dir.Path() + "/"; }
};

}  // namespace

TEST(HudsonTool, ListAndReadTheFixture)
{
    FixtureCopy base;
    ToolResult one = RunTool({"list", base.Board(1)});
    ASSERT_EQ(one.ExitCode, 0) << one.Err;
    EXPECT_EQ(one.OutLines(),
              (std::vector<std::string>{
                  "1\t0\tU\t2024-12-01 09:00\tJohn Smith\tAll\tHello from the test area",
                  "3\t1\tU\t2024-12-01 11:15\tIvan Petrov\tJohn Smith\tHello from the test area",
                  "4\t3\tU\t2024-12-01 12:00\tJohn Smith\tIvan Petrov\tHello from the test area",
                  "5\t1\tU\t2024-12-01 12:30\tСергей Кузнецов\tJohn Smith\tRe[2]: Hello from the test area",
                  "6\t0\tU\t2024-12-02 08:00\tLong Writer\tAll\tA long letter (over 40 KB)",
                  "12\t0\tU\t2024-12-03 23:59\tMaximilian Alexander Longname-Smith\tAll\t"
                  "Subject of exactly seventy-one characters, filling the field to the end"}));
    EXPECT_EQ(RunTool({"list", base.Board(2)}).OutLines(),
              (std::vector<std::string>{"2\t0\tU\t2024-12-01 10:30\tИван Петров\tВсем\tНовости из Москвы: НЕТ новостей",
                                        "11\t2\tU\t2024-12-03 20:00\tМария Н.\tИван Петров\tНовости из Москвы: НЕТ новостей"}));

    // The point Hudson keeps only in the TOPT line is part of the address.
    ToolResult seven = RunTool({"read", base.Board(3), "7", "--kludges"});
    ASSERT_EQ(seven.ExitCode, 0) << seven.Err;
    std::vector<std::string> lines = seven.OutLines();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
              (std::vector<std::string>{"From: John Smith", "To: Point User", "Subject: Personal note for the point",
                                        "Date: 2024-12-02 14:45", "OrigAddr: 2:5020/100", "DestAddr: 2:5020/1234.5", "",
                                        "^AINTL 2:5020/1234 2:5020/100", "^ATOPT 5"}));
    EXPECT_EQ(lines.back(), "^AVia 2:5020/1234 @20241203.120500.UTC hpt/lnx 1.9.0");

    ToolResult six = RunTool({"read", base.Board(1), "6"});
    ASSERT_EQ(six.ExitCode, 0) << six.Err;
    EXPECT_NE(six.Out.find("Line 0600 of 0600"), std::string::npos) << "the whole 178-block letter";
    EXPECT_NE(six.Out.find(" * Origin: Test Station Four (2:5020/400)\n"), std::string::npos);
}

TEST(HudsonTool, PostMarkReadAndDelete)
{
    ToolSettings settings(PlainToolSettings);
    FixtureCopy base;
    ToolResult post = RunTool({"post", base.Board(1), "--from", "Point User", "--to", "John Smith", "--subject",
                               "Re: Hello from the test area", "--addr", "2:5020/1234.5", "--reply", "1"},
                              "Привет, John!\nSecond line\n");
    ASSERT_EQ(post.ExitCode, 0) << post.Err;
    EXPECT_EQ(post.Out, "13\n");
    ToolResult read = RunTool({"read", base.Board(1), "13", "--kludges"});
    std::vector<std::string> lines = read.OutLines();
    ASSERT_GE(lines.size(), 13u) << read.Out;
    EXPECT_EQ(lines[4], "OrigAddr: 2:5020/1234") << "a Hudson header has no room for the point";
    EXPECT_EQ(lines[8], "^AREPLY: 2:5020/100 6a100001");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"Привет, John!", "Second line", PlainTearLine, PlainOriginLine}));
    EXPECT_EQ(ReadFileBytes(base.dir / "echomail.bbs"), Le16(12)) << "the tosser exports index position 12";

    EXPECT_EQ(RunTool({"mark-read", base.Board(1), "3"}).ExitCode, 0);
    EXPECT_EQ(RunTool({"delete", base.Board(1), "4"}).ExitCode, 0);
    std::vector<std::string> list = RunTool({"list", base.Board(1)}).OutLines();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[1].substr(0, 6), "3\t1\tR\t");
    EXPECT_EQ(list[2].substr(0, 2), "5\t") << "4 is gone";
    EXPECT_EQ(list[5].substr(0, 7), "13\t1\tR\t");
    std::string info = ReadFileBytes(base.dir / "msginfo.bbs");
    EXPECT_EQ(info.substr(0, 8), Le16(0) + Le16(13) + Le16(12) + Le16(6)) << "low, high, total, board 1";
}

TEST(HudsonTool, ANumberThatNamesNoLetterChangesNothing)
{
    FixtureCopy base;
    auto before = Snapshot(base.dir.Path());
    // 8 is deleted, 99 does not exist, 2 lies on board 2.
    for (const std::string number : {"8", "99", "2"})
        for (const std::string command : {"read", "mark-read", "delete"}) {
            ToolResult r = RunTool({command, base.Board(1), number});
            EXPECT_EQ(r.ExitCode, 1) << command << " " << number;
            EXPECT_NE(r.Err.find("no letter number " + number), std::string::npos) << r.Err;
        }
    EXPECT_EQ(Snapshot(base.dir.Path()), before);
}

TEST(HudsonTool, NewBasesAndBadBoards)
{
    ToolSettings settings(PlainToolSettings);
    TempDir dir;
    const std::string spec = "H005" + dir.Path() + "/new/";
    EXPECT_EQ(RunTool({"list", spec}).ExitCode, 1) << "list creates nothing";
    ToolResult post = RunTool({"post", spec, "--from", "A", "--to", "B", "--subject", "S", "--addr", "2:5020/1"}, "x\n");
    ASSERT_EQ(post.ExitCode, 0) << post.Err;
    EXPECT_EQ(post.Out, "1\n");
    EXPECT_EQ(DirectoryNames(dir / "new"), (std::vector<std::string>{"echomail.bbs", "msghdr.bbs", "msgidx.bbs",
                                                                     "msginfo.bbs", "msgtoidx.bbs", "msgtxt.bbs"}));
    EXPECT_EQ(RunTool({"list", spec}).OutLines().size(), 1u);
    EXPECT_TRUE(RunTool({"list", "H006" + dir.Path() + "/new/"}).OutLines().empty());
    ToolResult bad = RunTool({"post", "H201" + dir.Path() + "/new/", "--from", "A", "--to", "B", "--subject", "S",
                              "--addr", "2:5020/1"},
                             "x\n");
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_NE(bad.Err.find("Не смог открыть/создать область \"H201"), std::string::npos) << bad.Err;
    EXPECT_EQ(bad.Out, "") << "no number for a letter never written";
}
