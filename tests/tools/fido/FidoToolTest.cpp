// quorvel-tool on *.MSG directories, end to end.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

// The bytes of every file of a directory, to see that nothing changed.
std::string Snapshot(const std::string& dir)
{
    std::string all;
    for (const std::string& name : DirectoryNames(dir))
        all += name + "\n" + ReadFileBytes(dir + "/" + name);
    return all;
}

}  // namespace

TEST(FidoTool, ListsAndReadsTheNetmailFixture)
{
    TempDir copy;
    CopyDirectory(FixturesDir() + "/msg", copy.Path());
    ToolResult list = RunTool({"list", "F" + copy.Path() + "/"});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    std::vector<std::string> lines = list.OutLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "1\t0\tU\t2024-12-01 09:00\tJohn Smith\tSysop\tHello from the test area");
    EXPECT_EQ(lines[7], "10\t0\tU\t2024-12-03 19:20\tPoint User\tSysop\tLocal letter from the point");
    EXPECT_EQ(lines[8], "11\t2\tU\t2024-12-03 20:00\tМария Н.\tИван Петров\tНовости из Москвы: НЕТ новостей");

    ToolResult read = RunTool({"read", "f" + copy.Path(), "7", "--kludges"});
    ASSERT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<std::string> out = read.OutLines();
    ASSERT_GE(out.size(), 9u);
    EXPECT_EQ(out[4], "OrigAddr: 2:5020/100");
    EXPECT_EQ(out[5], "DestAddr: 2:5020/1234.5");
    EXPECT_EQ(out[7], "^AINTL 2:5020/1234 2:5020/100");
    EXPECT_EQ(out[8], "^ATOPT 5");
    EXPECT_EQ(out.back(), "^AVia 2:5020/1234 @20241203.120500.UTC hpt/lnx 1.9.0");
}

TEST(FidoTool, PostMarkReadAndDeleteInANewDirectory)
{
    ToolSettings settings(PlainToolSettings);
    TempDir dir;
    const std::string spec = "F" + dir.Path() + "/echo/";
    ToolResult post = RunTool({"post", spec, "--from", "Point User", "--to", "All", "--subject", "Первое",
                               "--addr", "2:5020/1234.5"},
                              "Привет!\nsecond line\n");
    ASSERT_EQ(post.ExitCode, 0) << post.Err;
    EXPECT_EQ(post.Out, "2\n");
    ToolResult reply = RunTool({"post", spec, "--from", "Sysop", "--to", "Point User", "--subject", "Re: Первое",
                                "--addr", "2:5020/1234", "--reply", "2"},
                               "answer\n");
    ASSERT_EQ(reply.ExitCode, 0) << reply.Err;
    EXPECT_EQ(reply.Out, "3\n");
    EXPECT_EQ(DirectoryNames(dir / "echo"), (std::vector<std::string>{"2.msg", "3.msg"}));

    ToolResult read = RunTool({"read", spec, "3", "--kludges"});
    ASSERT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<std::string> out = read.OutLines();
    ASSERT_EQ(out.size(), 15u) << read.Out;
    EXPECT_EQ(out[2], "Subject: Первое");
    EXPECT_EQ(out[7].rfind("^AMSGID: 2:5020/1234 ", 0), 0u) << out[7];
    EXPECT_EQ(out[9], "^ACHRS: CP866 2");
    EXPECT_EQ(std::vector<std::string>(out.begin() + 10, out.end()),
              (std::vector<std::string>{"PU> Привет!", "PU> second line", "answer", PlainTearLine, PlainOriginLine}));
    std::vector<std::string> first = RunTool({"read", spec, "2", "--kludges"}).OutLines();
    ASSERT_EQ(first.size(), 13u);
    EXPECT_EQ(first[7].rfind("^AMSGID: 2:5020/1234.5 ", 0), 0u) << first[7];
    EXPECT_EQ(out[8], "^AREPLY: " + first[7].substr(9)) << "the answer names the letter it answers";
    EXPECT_EQ(first[8], "^ACHRS: CP866 2");
    EXPECT_EQ(first[9], "Привет!");
    EXPECT_EQ(first[12], PlainOriginLine);

    // The letters are stored read; a tosser's letter is not.
    std::string theirs = ReadFileBytes(dir / "echo/2.msg");
    theirs.replace(164, 2, std::string(2, '\0'));
    WriteFileBytes(dir / "echo/4.msg", theirs);
    ToolResult list = RunTool({"list", spec});
    ASSERT_EQ(list.OutLines().size(), 3u);
    EXPECT_EQ(list.OutLines()[2].substr(0, 6), "4\t0\tU\t");
    ASSERT_EQ(RunTool({"mark-read", spec, "4"}).ExitCode, 0);
    EXPECT_EQ(GetLe16(ReadFileBytes(dir / "echo/4.msg"), 164), 1);
    EXPECT_EQ(RunTool({"list", spec}).OutLines()[2].substr(0, 6), "4\t0\tR\t");

    ASSERT_EQ(RunTool({"delete", spec, "2"}).ExitCode, 0);
    EXPECT_EQ(DirectoryNames(dir / "echo"), (std::vector<std::string>{"3.msg", "4.msg"}));
}

TEST(FidoTool, ANumberThatNamesNoLetterIsAnErrorThatChangesNothing)
{
    TempDir copy;
    CopyDirectory(FixturesDir() + "/msg", copy.Path());
    const std::string spec = "F" + copy.Path();
    const std::string before = Snapshot(copy.Path());
    for (const char* command : {"read", "mark-read", "delete"}) {
        ToolResult r = RunTool({command, spec, "8"});
        EXPECT_EQ(r.ExitCode, 1) << command;
        EXPECT_NE(r.Err.find("no letter number 8"), std::string::npos) << command;
    }
    EXPECT_EQ(Snapshot(copy.Path()), before);
    EXPECT_EQ(RunTool({"list", "F" + copy.Path() + "/none"}).ExitCode, 1) << "a missing directory";
}
