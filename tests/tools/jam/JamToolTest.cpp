// quorvel-tool on JAM bases, end to end.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

std::string Base(const TempDir& dir)
{
    return "J" + dir / "echo/ru.test";
}

std::string AllFiles(const TempDir& dir)
{
    std::string all;
    for (const std::string& name : DirectoryNames(dir / "echo"))
        all += name + ":" + ReadFileBytes(dir / ("echo/" + name)) + "\n";
    return all;
}

// Posts `count` plain letters; whether every post succeeded.
bool PostLetters(const TempDir& dir, int count)
{
    for (int i = 0; i < count; ++i)
        if (RunTool({"post", Base(dir), "--from", "A", "--to", "B", "--subject", "S", "--addr", "1:2/3"}, "x\n")
                .ExitCode != 0)
            return false;
    return true;
}

}  // namespace

TEST(JamTool, PostReplyListReadMarkReadAndDelete)
{
    TempDir dir;
    ToolSettings settings(PlainToolSettings);
    ToolResult post = RunTool({"post", Base(dir), "--from", "Иван Петров", "--to", "All", "--subject", "Привет",
                               "--addr", "2:5020/1234.5"},
                              "Первая строка\nSecond line\n--- test\n * Origin: here (2:5020/1234.5)\n");
    ASSERT_EQ(post.ExitCode, 0) << post.Err;
    EXPECT_EQ(post.OutLines(), std::vector<std::string>{"1"});
    EXPECT_EQ(DirectoryNames(dir / "echo"),
              (std::vector<std::string>{"ru.test.jdt", "ru.test.jdx", "ru.test.jhr", "ru.test.jlr"}));

    ToolResult reply = RunTool({"post", Base(dir), "--from", "John Smith", "--to", "Иван Петров", "--subject",
                                "Re: Привет", "--addr", "2:5020/100", "--reply", "1"},
                               "Answer\n");
    ASSERT_EQ(reply.ExitCode, 0) << reply.Err;
    EXPECT_EQ(reply.OutLines(), std::vector<std::string>{"2"});

    ToolResult read = RunTool({"read", "--kludges", Base(dir), "2"});
    ASSERT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<std::string> lines = read.OutLines();
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"From: John Smith", "To: Иван Петров", "Subject: Привет"}));
    EXPECT_EQ(lines[4], "OrigAddr: 2:5020/100");
    EXPECT_EQ(lines[7].substr(0, 20), "^AMSGID: 2:5020/100 ");
    std::vector<std::string> first = RunTool({"read", "--kludges", Base(dir), "1"}).OutLines();
    ASSERT_EQ(first.size(), 15u);
    std::string firstMsgId = first[7].substr(9);
    EXPECT_EQ(firstMsgId.substr(0, 14), "2:5020/1234.5 ");
    EXPECT_EQ(lines[8], "^AREPLY: " + firstMsgId);
    EXPECT_EQ(lines[9], "^ACHRS: CP866 2") << "the letter's set, in a control-line subfield";
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 10, lines.end()),
              (std::vector<std::string>{"ИП> Первая строка", "ИП> Second line", "Answer", PlainTearLine,
                                        PlainOriginLine}));
    EXPECT_EQ(std::vector<std::string>(first.begin() + 9, first.end()),
              (std::vector<std::string>{"Первая строка", "Second line", "--- test", " * Origin: here (2:5020/1234.5)",
                                        PlainTearLine, PlainOriginLine}));

    ToolResult list = RunTool({"list", Base(dir)});
    ASSERT_EQ(list.OutLines().size(), 2u);
    EXPECT_EQ(list.OutLines()[1].substr(0, 6), "2\t1\tR\t") << "a reply to 1, read: the writer's own letter";
    ASSERT_EQ(RunTool({"delete", Base(dir), "1"}).ExitCode, 0);
    list = RunTool({"list", Base(dir)});
    ASSERT_EQ(list.OutLines().size(), 1u);
    EXPECT_EQ(list.OutLines()[0].substr(0, 2), "2\t");
}

TEST(JamTool, ANumberThatNamesNoLetterIsAnErrorThatChangesNothing)
{
    TempDir dir;
    ASSERT_TRUE(PostLetters(dir, 3));
    ASSERT_EQ(RunTool({"delete", Base(dir), "2"}).ExitCode, 0);
    const std::string before = AllFiles(dir);
    for (const char* command : {"read", "mark-read", "delete"}) {
        for (const char* number : {"2", "4", "99"}) {
            ToolResult r = RunTool({command, Base(dir), number});
            EXPECT_EQ(r.ExitCode, 1) << command << " " << number;
            EXPECT_NE(r.Err.find("no letter number " + std::string(number)), std::string::npos) << r.Err;
        }
    }
    ToolResult reply = RunTool({"post", Base(dir), "--from", "A", "--to", "B", "--subject", "S", "--addr", "1:2/3",
                                "--reply", "2"}, "x\n");
    EXPECT_EQ(reply.ExitCode, 1);
    EXPECT_TRUE(AllFiles(dir) == before);
    EXPECT_EQ(RunTool({"list", "J" + dir / "missing/base"}).ExitCode, 1);
    EXPECT_FALSE(PathExists(dir / "missing"));
}

TEST(JamTool, AHeaderThatCannotBeReadIsAnErrorForThatLetter)
{
    TempDir dir;
    ASSERT_TRUE(PostLetters(dir, 2));
    // Letter 2's index record points past the end of .jhr.
    std::string jdx = ReadFileBytes(dir / "echo/ru.test.jdx");
    jdx.replace(12, 4, Le32(999999));
    WriteFileBytes(dir / "echo/ru.test.jdx", jdx);
    for (const char* command : {"read", "mark-read", "delete"}) {
        ToolResult r = RunTool({command, Base(dir), "2"});
        EXPECT_EQ(r.ExitCode, 1) << command;
        EXPECT_NE(r.Err.find("cannot read the header of letter 2 (status 100)"), std::string::npos) << r.Err;
    }
    ToolResult list = RunTool({"list", Base(dir)});
    EXPECT_EQ(list.ExitCode, 0);
    ASSERT_EQ(list.OutLines().size(), 1u) << "no line with an empty header";
    EXPECT_EQ(list.OutLines()[0].substr(0, 2), "1\t");
    EXPECT_NE(list.Err.find("letter 2: cannot read its header"), std::string::npos) << list.Err;
}

TEST(JamTool, ReadsMarksAndDeletesInTheFixtureBase)
{
    TempDir dir;
    CopyDirectory(FixturesDir() + "/jam", dir / "echo");
    const std::string base = "J" + dir / "echo/FIDOTEST";  // the files are lower case
    ToolResult read = RunTool({"read", base, "12"});
    ASSERT_EQ(read.ExitCode, 0) << read.Err;
    EXPECT_EQ(read.OutLines().at(10).size(), 300u) << "the 300-character line comes whole";
    ASSERT_EQ(RunTool({"mark-read", base, "2"}).ExitCode, 0);
    ASSERT_EQ(RunTool({"delete", base, "3"}).ExitCode, 0);
    std::vector<std::string> list = RunTool({"list", base}).OutLines();
    ASSERT_EQ(list.size(), 9u);
    EXPECT_EQ(list[1], "2\t0\tR\t2024-12-01 10:30\tИван Петров\tВсем\tНовости из Москвы: НЕТ новостей");
    EXPECT_EQ(list[2].substr(0, 5), "4\t3\tU") << "3 is gone; 4 still names it as the letter it answers";
}

TEST(JamTool, ControlCharactersAreEscapedAndNumbersPast2To31AreAccepted)
{
    TempDir dir;
    ToolSettings settings(PlainToolSettings);
    ASSERT_EQ(RunTool({"post", Base(dir), "--from", "Line\r\nBreak", "--to", "All", "--subject", "a\tb\\c\x01",
                       "--addr", "2:5020/1"},
                      "text\n")
                  .ExitCode,
              0);
    // Letter numbers from 2^31 up: the base's first number moved there.
    std::string header = ReadFileBytes(dir / "echo/ru.test.jhr");
    header.replace(20, 4, Le32(0x80000000u));
    WriteFileBytes(dir / "echo/ru.test.jhr", header);

    ToolResult list = RunTool({"list", Base(dir)});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    ASSERT_EQ(list.OutLines().size(), 1u) << "one record, one line";
    const std::string line = list.OutLines()[0];
    EXPECT_EQ(line.substr(0, 11), "2147483648\t");
    EXPECT_EQ(line.substr(line.find("Line")), "Line\\r\\nBreak\tAll\ta\\tb\\\\c\\x01");
    EXPECT_EQ(RunTool({"read", Base(dir), "2147483648"}).OutLines()[0], "From: Line\\r\\nBreak");
    for (const char* command : {"mark-read", "delete"}) {
        ToolResult r = RunTool({command, Base(dir), "2147483648"});
        EXPECT_EQ(r.ExitCode, 0) << command << ": " << r.Err;
    }
    EXPECT_EQ(RunTool({"list", Base(dir)}).OutLines(), std::vector<std::string>{});
    EXPECT_EQ(RunTool({"read", Base(dir), "4294967296"}).ExitCode, 2) << "past 32 bits";
}
