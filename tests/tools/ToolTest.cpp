#include <gtest/gtest.h>

#include "support/TestSupport.h"

TEST(Tool, BadArgumentsPrintUsageAndExitTwo)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"frobnicate"}, {"areas"}, {"list"}, {"read", "F/x"}, {"post", "F/x"},
          {"mark-read", "F/x", "notanumber"}, {"delete", "F/x", "0"}}) {
        ToolResult r = RunTool(args);
        EXPECT_EQ(r.ExitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.Err.find("usage: quorvel-tool"), std::string::npos);
    }
}

TEST(Tool, AreasListsTheSortedAreasInUtf8)
{
    TempDir dir;
    WriteFileBytes(dir / "areas.bbs",
                   "; areas of the point\r\n"
                   "!/var/spool/fido/jam/ru.test ru.test\r\n"
                   "5 hudson.board\r\n"
                   "/var/spool/fido/netmail NETMAIL\r\n"
                   "$/fido/\xAF\xAE\xE7\xE2\xA0 su.general\r\n");
    ToolResult r = RunTool({"areas", dir / "areas.bbs", "/hmb/"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.OutLines(), (std::vector<std::string>{"HUDSON.BOARD\tH005/hmb/", "NETMAIL\tF/var/spool/fido/netmail",
                                                       "RU.TEST\tJ/var/spool/fido/jam/ru.test",
                                                       "SU.GENERAL\tS/fido/почта"}));
}

TEST(Tool, MissingAreasFileIsAClearError)
{
    TempDir dir;
    ToolResult r = RunTool({"areas", dir / "none.bbs"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("Где"), std::string::npos);
    EXPECT_NE(r.Err.find("(Ошибка 2)"), std::string::npos);
}

TEST(Tool, UnknownBaseTypeIsAnError)
{
    ToolResult r = RunTool({"list", "Q/whatever"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("unknown message base type"), std::string::npos);
}
