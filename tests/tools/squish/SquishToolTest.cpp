// quorvel-tool on Squish bases, end to end. The numbers the tool shows and
// takes are the letters' unique ids.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

struct FixtureCopy {
    TempDir dir;
    std::string spec = "S" + dir / "fidotest";
    FixtureCopy() { CopyDirectory(FixturesDir() + "/squish", dir.Path()); }
    std::string Files() const { return ReadFileBytes(dir / "fidotest.sqd") + ReadFileBytes(dir / "fidotest.sqi"); }
};

std::string FirstColumns(const ToolResult& r, int columns)
{
    std::string out;
    for (const std::string& line : r.OutLines()) {
        std::size_t end = 0;
        for (int i = 0; i < columns && end != std::string::npos; ++i)
            end = line.find('\t', end + (i > 0));
        out += line.substr(0, end) + ";";
    }
    return out;
}

}  // namespace

TEST(SquishTool, ListReadMarkReadAndDeleteOnATosserBase)
{
    FixtureCopy f;
    ToolResult list = RunTool({"list", f.spec});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    EXPECT_EQ(FirstColumns(list, 3), "1\t0\tU;2\t0\tU;3\t1\tU;4\t3\tU;5\t1\tU;6\t0\tU;7\t0\tU;10\t0\tU;11\t2\tU;12\t0\tU;");
    EXPECT_EQ(list.OutLines().at(8), "11\t2\tU\t2024-12-03 20:00\tМария Н.\tИван Петров\tНовости из Москвы: НЕТ новостей");

    ToolResult read = RunTool({"read", f.spec, "11", "--kludges"});
    ASSERT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<std::string> lines = read.OutLines();
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[0], "From: Мария Н.");
    EXPECT_EQ(lines[4], "OrigAddr: 2:5020/500");
    EXPECT_EQ(lines[7], "^AMSGID: 2:5020/500 6a500001");
    EXPECT_EQ(lines[8], "^AREPLY: 2:5020/200 6a200001");
    EXPECT_EQ(lines[12], "Здравствуй, Иван!");
    EXPECT_EQ(lines.back(), "^APATH: 5020/500 1234");
    ToolResult plain = RunTool({"read", f.spec, "11"});
    EXPECT_EQ(plain.OutLines().at(7), "Здравствуй, Иван!");

    ASSERT_EQ(RunTool({"mark-read", f.spec, "11"}).ExitCode, 0);
    ASSERT_EQ(RunTool({"delete", f.spec, "5"}).ExitCode, 0);
    EXPECT_EQ(FirstColumns(RunTool({"list", f.spec}), 3),
              "1\t0\tU;2\t0\tU;3\t1\tU;4\t3\tU;6\t0\tU;7\t0\tU;10\t0\tU;11\t2\tR;12\t0\tU;");

    const std::string files = f.Files();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"delete", f.spec, "5"},
                                                 {"mark-read", f.spec, "8"}, {"read", f.spec, "13"}}) {
        ToolResult r = RunTool(args);
        EXPECT_EQ(r.ExitCode, 1) << args[0];
        EXPECT_NE(r.Err.find("no letter number " + args[2]), std::string::npos) << r.Err;
    }
    EXPECT_EQ(f.Files(), files);
}

TEST(SquishTool, PostCreatesABaseAndAnswersCarryTheTosserMsgId)
{
    ToolSettings settings(PlainToolSettings);
    TempDir dir;
    const std::string spec = "S" + dir / "new/ru.test";
    ToolResult post = RunTool({"post", spec, "--from", "Иван", "--to", "All", "--subject", "Привет", "--addr", "2:5020/1234.5"},
                              "Первая строка\nsecond line\n");
    ASSERT_EQ(post.ExitCode, 0) << post.Err;
    EXPECT_EQ(post.Out, "1\n");
    EXPECT_EQ(DirectoryNames(dir / "new"), (std::vector<std::string>{"ru.test.sqd", "ru.test.sqi", "ru.test.sql"}));
    ToolResult read = RunTool({"read", spec, "1"});
    EXPECT_EQ(read.OutLines(), (std::vector<std::string>{"From: Иван", "To: All", "Subject: Привет", read.OutLines().at(3),
                                                          "OrigAddr: 2:5020/1234.5", "DestAddr: 0:0/0", "",
                                                          "Первая строка", "second line", PlainTearLine,
                                                          PlainOriginLine}));
    EXPECT_EQ(FirstColumns(RunTool({"list", spec}), 3), "1\t0\tR;");

    FixtureCopy f;
    ToolResult reply = RunTool({"post", f.spec, "--from", "Me", "--to", "Ivan Petrov", "--subject", "Re: Hello",
                                "--addr", "2:5020/1234.5", "--reply", "3"}, "Thanks\n");
    ASSERT_EQ(reply.ExitCode, 0) << reply.Err;
    EXPECT_EQ(reply.Out, "13\n");
    std::vector<std::string> lines = RunTool({"read", f.spec, "13", "--kludges"}).OutLines();
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ(lines[7].substr(0, 23), "^AMSGID: 2:5020/1234.5 ");
    EXPECT_EQ(lines[8], "^AREPLY: 2:5020/200 6a200002") << "the answered letter's MSGID is in its control information";
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Thanks", PlainTearLine, PlainOriginLine}));
    EXPECT_EQ(RunTool({"list", f.spec}).OutLines().size(), 11u);
}

TEST(SquishTool, ALetterWhoseHeaderCannotBeReadIsAnErrorNeverAnotherLetter)
{
    FixtureCopy f;
    std::string sqi = ReadFileBytes(f.dir / "fidotest.sqi");
    WriteFileBytes(f.dir / "fidotest.sqi", sqi.replace(12, 4, Le32(0x7FFFFFF0)));  // letter 2 past the end of .SQD
    ToolResult list = RunTool({"list", f.spec});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    EXPECT_EQ(FirstColumns(list, 1), "1;3;4;5;6;7;10;11;12;");
    EXPECT_NE(list.Err.find("letter 2: cannot read its header (status 100)"), std::string::npos) << list.Err;
    ToolResult read = RunTool({"read", f.spec, "2"});
    EXPECT_EQ(read.ExitCode, 1);
    EXPECT_EQ(read.Out, "");
    EXPECT_NE(read.Err.find("cannot read the header of letter 2 (status 100)"), std::string::npos) << read.Err;
    ToolResult tree = RunTool({"tree", f.spec, "--view", "list"});
    EXPECT_EQ(tree.Out.find("[2]"), std::string::npos) << "the area's window leaves it out too";
    EXPECT_NE(tree.Out.find("[3]"), std::string::npos);
}
