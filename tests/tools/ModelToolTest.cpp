#include <gtest/gtest.h>

#include <algorithm>

#include "support/LetterWriter.h"
#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

// The areas-file line naming a base string, and the tag it gets.
std::string AreasLine(const std::string& spec, const std::string& tag)
{
    switch (spec[0]) {
    case 'J': return "!" + spec.substr(1) + " " + tag;
    case 'S': return "$" + spec.substr(1) + " " + tag;
    case 'H': return "1 " + tag;  // board 1, directory from the command line
    default: return spec.substr(1) + " " + tag;
    }
}

}  // namespace

TEST(ToolScan, CountsEveryAreaInDisplayOrder)
{
    TempDir dir;
    std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    // Unread / read letters per format, chosen so that the display order is
    // J (1 unread), F (2), H (3), S (nothing unread).
    struct Plan {
        char Letter;
        std::string Tag;
        int Unread, Read;
    };
    const std::vector<Plan> plans = {{'J', "JAM.AREA", 1, 1}, {'F', "MSG.AREA", 2, 0},
                                     {'H', "HUDSON.AREA", 3, 1}, {'S', "SQUISH.AREA", 0, 2}};
    std::string areasFile = "; point areas\n";
    std::vector<std::string> expected;
    int total = 0;
    for (const Plan& plan : plans) {
        auto spec = std::find_if(specs.begin(), specs.end(), [&](const std::string& s) { return s[0] == plan.Letter; });
        if (spec == specs.end())
            continue;
        std::vector<LetterSpec> letters;
        for (int i = 0; i < plan.Unread + plan.Read; ++i)
            letters.push_back({.Subject = "s" + std::to_string(i), .Date = 45000.0 + i, .Read = i >= plan.Unread});
        ASSERT_EQ(WriteLetters(*spec, letters).size(), letters.size());
        areasFile += AreasLine(*spec, plan.Tag) + "\n";
        int all = plan.Unread + plan.Read;
        expected.push_back(plan.Tag + "\t" + std::to_string(plan.Unread) + "\t" + std::to_string(all) + "\t" + plan.Tag +
                           ": " + std::to_string(plan.Unread) + " осталось, 0 прочитал, " + std::to_string(all) +
                           " всего");
        total += plan.Unread;
    }
    expected.push_back("TOTAL\t" + std::to_string(total));
    WriteFileBytes(dir / "areas.bbs", areasFile);

    ToolResult r = RunTool({"scan", dir / "areas.bbs", dir / "hudson/", "--progress"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.OutLines(), expected);
    EXPECT_NE(r.Err.find("Начинаем сканировать..."), std::string::npos);
    EXPECT_NE(r.Err.find("100%"), std::string::npos);
}

TEST(ToolScan, FlagFileEmptyFileAndMissingFile)
{
    TempDir dir;
    WriteFileBytes(dir / "areas.bbs", "!" + dir.Path() + "/jam/one ONE\n" + dir.Path() + "/msg TWO\n");
    WriteFileBytes(dir / "toss.flag", "");
    ToolResult r = RunTool({"scan", dir / "areas.bbs", "--flag", dir / "toss.flag"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.OutLines(), (std::vector<std::string>{"ONE\t0\t0\tONE: Не отсканирована",
                                                       "TWO\t0\t0\tTWO: Не отсканирована", "TOTAL\t0"}));
    EXPECT_FALSE(PathExists(dir / "jam")) << "no base is touched while the tosser works";

    WriteFileBytes(dir / "empty.bbs", "");
    r = RunTool({"scan", dir / "empty.bbs"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"TOTAL\t0"});

    r = RunTool({"scan", dir / "missing.bbs"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("(Ошибка 2)"), std::string::npos);

    EXPECT_EQ(RunTool({"scan"}).ExitCode, 2);
    EXPECT_EQ(RunTool({"tree", "Jx", "--view", "sideways"}).ExitCode, 2);
}

TEST(ToolTree, PrintsTheThreeViews)
{
    TempDir dir;
    std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        std::vector<Num> n = WriteLetters(spec, {{.From = "Anna", .Subject = "Hello", .Date = 45000.1, .Read = true},
                                                 {.From = "Boris", .Subject = "Weather", .Date = 45000.2, .Read = true}});
        ASSERT_EQ(n.size(), 2u);
        std::vector<Num> r = WriteLetters(spec, {{.From = "Vera", .Subject = "Hello", .Date = 45000.3, .ReplyTo = n[0]}});
        ASSERT_EQ(r.size(), 1u);
        auto num = [](Num x) { return std::to_string(x); };
        std::string caption = "Описание(" + spec + ")";

        ToolResult t = RunTool({"tree", spec, "--view", "tree"});
        ASSERT_EQ(t.ExitCode, 0) << t.Err;
        EXPECT_EQ(t.OutLines(), (std::vector<std::string>{caption, "  Hello", "    Anna [" + num(n[0]) + "]",
                                                           "      *Vera [" + num(r[0]) + "]", "  Weather",
                                                           "    Boris [" + num(n[1]) + "]"}));
        // The program's own choice: some letters new, so the unreads tree.
        t = RunTool({"tree", spec});
        ASSERT_EQ(t.ExitCode, 0) << t.Err;
        EXPECT_EQ(t.OutLines(), (std::vector<std::string>{caption, "  Hello", "    Anna [" + num(n[0]) + "]",
                                                           "      *Vera [" + num(r[0]) + "]"}));
        t = RunTool({"tree", spec, "--view", "list"});
        ASSERT_EQ(t.ExitCode, 0) << t.Err;
        EXPECT_EQ(t.OutLines(), (std::vector<std::string>{"Anna [" + num(n[0]) + "]", "Boris [" + num(n[1]) + "]",
                                                           "*Vera [" + num(r[0]) + "]"}));
    }
    ToolResult bad = RunTool({"tree", "Q/nowhere"});
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_NE(bad.Err.find("Не смог открыть/создать область"), std::string::npos);
}

TEST(ToolMarkAllRead, MarksEveryUnreadLetterAndCreatesNoBase)
{
    TempDir dir;
    std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        std::vector<LetterSpec> letters;
        for (int i = 0; i < 5; ++i)
            letters.push_back({.Subject = "s" + std::to_string(i), .Date = 45000.0 + i, .Read = i == 1});
        ASSERT_EQ(WriteLetters(spec, letters).size(), letters.size());

        ToolResult r = RunTool({"mark-all-read", spec});
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.OutLines(), std::vector<std::string>{"4"});
        ToolResult list = RunTool({"list", spec});
        ASSERT_EQ(list.ExitCode, 0) << list.Err;
        ASSERT_EQ(list.OutLines().size(), letters.size());
        for (const std::string& line : list.OutLines())
            EXPECT_NE(line.find("\tR\t"), std::string::npos) << line;

        r = RunTool({"mark-all-read", spec, "--timing"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.OutLines(), std::vector<std::string>{"0"});
        EXPECT_NE(r.Err.find("mark\t"), std::string::npos) << r.Err;
    }
    ToolResult missing = RunTool({"mark-all-read", "J" + dir / "none/area"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_FALSE(PathExists(dir / "none"));
}
