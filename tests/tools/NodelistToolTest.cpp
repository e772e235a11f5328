// quorvel-tool nodelist and lookup: a list checked with its bad lines, and
// stations found from lists on the command line or named by the settings.
#include <gtest/gtest.h>

#include "support/ToolRunner.h"

namespace {

const char* const Nodelist = "Zone,2,Europe,Amsterdam,Zone_Coord,-Unpublished-,300,CM\r\n"
                             "Host,5020,Moscow_Net,Moscow,Host_Sysop,7-495-2,9600,CM\r\n"
                             ",275,Station,Moscow,Sergey_Volkov,7-495-4,33600,CM,XA\r\n"
                             "Down,9,Broken\tTab,Moscow,Yuri_Orlov,7-495-5,300\r\n"
                             ",x,Bad,Moscow,Nobody,-,300\r\n";
const char* const Pointlist = "Boss,2:5020/275\r\n,1,Home,Moscow,Maria_Volkova,-,300\r\n";

}  // namespace

TEST(NodelistTool, ChecksListsAndFindsStations)
{
    TempDir dir;
    WriteFileBytes(dir / "NODELIST.338", Nodelist);
    WriteFileBytes(dir / "points", Pointlist);

    ToolResult check = RunTool({"nodelist", dir / "NODELIST", dir / "none"});
    EXPECT_EQ(check.ExitCode, 1);
    EXPECT_NE(check.Err.find(dir / "none: нет такого файла"), std::string::npos) << check.Err;
    const std::string name = dir / "NODELIST";
    EXPECT_EQ(check.OutLines(),
              (std::vector<std::string>{
                  name + "\t" + dir / "NODELIST.338",
                  name + "\tzone\t1",
                  name + "\thost\t1",
                  name + "\tnode\t1",
                  name + "\tdown\t1",
                  name + "\tbad\t1",
                  name + "\tbad line\t5\tnot a number",
              }));

    const struct {
        std::vector<std::string> Args;
        std::vector<std::string> Lines;
    } cases[] = {
        {{"Сергей Вол", "--nodelist", dir / "NODELIST.338"}, {"2:5020/275\tSergey Volkov\tStation\tMoscow\t\tCM,XA"}},
        {{"2:5020/9", "--nodelist", dir / "NODELIST.338"}, {"2:5020/9\tYuri Orlov\tBroken\\tTab\tMoscow\tDown\t"}},
        {{"volk", "--nodelist", dir / "NODELIST.338", "--pointlist", dir / "points"},
         {"2:5020/275\tSergey Volkov\tStation\tMoscow\t\tCM,XA", "2:5020/275.1\tMaria Volkova\tHome\tMoscow\t\t"}},
    };
    for (const auto& c : cases) {
        ToolResult found = RunTool([&] {
            std::vector<std::string> args{"lookup"};
            args.insert(args.end(), c.Args.begin(), c.Args.end());
            return args;
        }());
        EXPECT_EQ(found.ExitCode, 0) << found.Err;
        EXPECT_EQ(found.OutLines(), c.Lines) << c.Args[0];
    }

    ToolSettings settings("[quorvel.INI]\nNodelists\\Line0=" + dir / "NODELIST" +
                          "\nPointlists\\Line0=" + dir / "points" + "\n");
    ToolResult fromSettings = RunTool({"lookup", "Maria"});
    EXPECT_EQ(fromSettings.OutLines(), (std::vector<std::string>{"2:5020/275.1\tMaria Volkova\tHome\tMoscow\t\t"}));
}
