#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

std::vector<std::string> Field(const std::vector<std::string>& lines, std::size_t index)
{
    std::vector<std::string> fields;
    for (const std::string& line : lines) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < index && start != std::string::npos; ++i)
            start = line.find('\t', start) == std::string::npos ? std::string::npos : line.find('\t', start) + 1;
        fields.push_back(start == std::string::npos ? "" : line.substr(start, line.find('\t', start) - start));
    }
    return fields;
}

}  // namespace

TEST(DemoPoint, OneAreaPerFormatWithThreadsAndUnreadLetters)
{
    TempDir dir;
    ToolSettings settings("");
    ToolResult made = RunTool({"demo", dir / "point"});
    ASSERT_EQ(made.ExitCode, 0) << made.Err;
    EXPECT_EQ(made.OutLines(),
              std::vector<std::string>{dir / "point/toss.flag\t" + (dir / "point/areas.bbs") + "\t" + (dir / "point/hudson/")});

    ToolResult areas = RunTool({"areas", dir / "point/areas.bbs", dir / "point/hudson/"});
    ASSERT_EQ(areas.ExitCode, 0) << areas.Err;
    std::vector<std::string> specs = Field(areas.OutLines(), 1);
    std::string letters;
    for (const std::string& spec : specs)
        letters += spec.substr(0, 1);
    EXPECT_EQ(letters, "HFFJS") << "a Hudson board, echo and netmail *.MSG, JAM, Squish";

    ToolResult scan = RunTool({"scan", dir / "point/areas.bbs", dir / "point/hudson/"});
    ASSERT_EQ(scan.ExitCode, 0) << scan.Err;
    std::vector<std::string> lines = scan.OutLines();
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        int unread = std::stoi(Field({lines[i]}, 1)[0]);
        int total = std::stoi(Field({lines[i]}, 2)[0]);
        EXPECT_GT(unread, 0) << lines[i];
        EXPECT_LT(unread, total) << "some letters are read: " << lines[i];
    }
    EXPECT_EQ(lines.back().substr(0, 6), "TOTAL\t");

    // Replies hang under the letters they answer, in every format.
    for (const std::string& spec : specs) {
        ToolResult tree = RunTool({"tree", spec, "--view", "tree"});
        ASSERT_EQ(tree.ExitCode, 0) << tree.Err;
        bool nested = false;
        for (const std::string& line : tree.OutLines())
            nested |= line.rfind("      ", 0) == 0;
        EXPECT_TRUE(nested) << spec << "\n" << tree.Out;
    }

    // The long letter, and control lines beyond MSGID/REPLY.
    std::string jam = specs[3];
    ToolResult longLetter = RunTool({"read", jam, "5"});
    ASSERT_EQ(longLetter.ExitCode, 0) << longLetter.Err;
    EXPECT_GT(longLetter.OutLines().size(), 100u);
    ToolResult kludges = RunTool({"read", specs[4], "3", "--kludges"});
    EXPECT_NE(kludges.Out.find("^AMSGID: "), std::string::npos);
    EXPECT_NE(kludges.Out.find("^AREPLY: "), std::string::npos);
    EXPECT_NE(kludges.Out.find("^APID: "), std::string::npos);
    EXPECT_NE(kludges.Out.find("\n * Origin: "), std::string::npos);
    EXPECT_NE(kludges.Out.find("\n^ACHRS: CP866 2\n"), std::string::npos);
    // One letter is UTF-8, as modern editors write.
    ToolResult utf8 = RunTool({"read", specs[4], "4", "--kludges"});
    EXPECT_NE(utf8.Out.find("\n^ACHRS: UTF-8 4\n"), std::string::npos) << utf8.Out;
    EXPECT_NE(utf8.Out.find("\nПишу в UTF-8: «кавычки», тире — и € доходят как есть.\n"), std::string::npos)
        << utf8.Out;
}

TEST(DemoPoint, RefusesADirectoryWithOtherFilesButRemakesItsOwn)
{
    TempDir dir;
    ToolSettings settings("");
    WriteFileBytes(dir / "mine.txt", "user data");
    ToolResult refused = RunTool({"demo", dir.Path()});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Err.find("did not make"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "mine.txt"), "user data");

    ASSERT_EQ(RunTool({"demo", dir / "point"}).ExitCode, 0);
    ASSERT_EQ(RunTool({"demo", dir / "point"}).ExitCode, 0) << "its own files may be made again";
    WriteFileBytes(dir / "point/jam/notes.txt", "x");
    EXPECT_EQ(RunTool({"demo", dir / "point"}).ExitCode, 1);
    EXPECT_TRUE(PathExists(dir / "point/jam/notes.txt"));
}

TEST(DemoPoint, WritesOnlyIntoItsDirectoryAndMakesANewUserItsPoint)
{
    TempDir dir;
    ToolSettings fresh("");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    ToolResult made = RunTool({"demo", "point"});
    std::filesystem::current_path(before);
    ASSERT_EQ(made.ExitCode, 0) << made.Err;
    std::vector<std::string> here;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        here.push_back(entry.path().filename().string());
    EXPECT_EQ(here, std::vector<std::string>{"point"}) << "the Hudson board's number is no directory";
    EXPECT_TRUE(PathExists(dir / "point/hudson/msghdr.bbs"));

    const std::string ini = ReadFileBytes(fresh.ConfigDir() + "/Tressik/Quorvel.ini");
    EXPECT_NE(ini.find("User\\Name=Иван Петров\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("User\\MainAddress=2:5020/1234.5\n"), std::string::npos) << ini;

    // A user of one's own stays.
    ToolSettings own(PlainToolSettings);
    ASSERT_EQ(RunTool({"demo", dir / "again"}).ExitCode, 0);
    EXPECT_EQ(ReadFileBytes(own.ConfigDir() + "/Tressik/Quorvel.ini"), PlainToolSettings);
}
