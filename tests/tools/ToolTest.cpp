#include <gtest/gtest.h>

#include <filesystem>

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

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
    // A path is the host's bytes: a directory name outside Windows-1251, and
    // one that is not UTF-8 at all.
    TempDir top;
    for (const std::string& name : {std::string("jürgen"), std::string("j\xFCrgen")}) {
        std::filesystem::create_directories(top / name);
        const std::string areas = top / (name + "/areas.bbs");
        WriteFileBytes(areas,
                       "; areas of the point\r\n"
                       "!/var/spool/fido/jam/ru.test ru.test\r\n"
                       "5 hudson.board\r\n"
                       "/var/spool/fido/netmail NETMAIL\r\n"
                       "$/fido/\xAF\xAE\xE7\xE2\xA0 su.general\r\n");
        ToolResult r = RunTool({"areas", areas, "/hmb/"});
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.OutLines(), (std::vector<std::string>{"HUDSON.BOARD\tH005/hmb/", "NETMAIL\tF/var/spool/fido/netmail",
                                                           "RU.TEST\tJ/var/spool/fido/jam/ru.test",
                                                           "SU.GENERAL\tS/fido/почта"}));
    }
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

TEST(Tool, WritesWaitWhileTheTosserFlagExists)
{
    TempDir dir;
    ToolSettings settings(PlainToolSettings);
    const std::string spec = "F" + dir / "net/";
    const std::string flag = dir / "toss.flag";
    const std::vector<std::string> post = {"post", spec, "--from", "A", "--to", "B", "--subject", "S",
                                           "--addr", "2:5020/1"};
    ToolResult first = RunTool(post, "one\n");
    ASSERT_EQ(first.ExitCode, 0) << first.Err;
    const std::string number = first.OutLines().at(0);
    const std::vector<std::string> files = DirectoryNames(dir / "net");
    const std::string letter = ReadFileBytes(dir / ("net/" + number + ".msg"));

    // The flag stays: every write gives up after its time, and writes nothing.
    WriteFileBytes(flag, "");
    std::vector<std::string> postWaiting = post;
    postWaiting.insert(postWaiting.end(), {"--flag", flag, "--wait", "0"});
    for (const std::vector<std::string>& args :
         {postWaiting, {"mark-read", spec, number, "--flag", flag, "--wait", "0"},
          {"delete", spec, number, "--flag", flag, "--wait", "0"},
          {"mark-all-read", spec, "--flag", flag, "--wait", "0"}}) {
        ToolResult r = RunTool(args, "two\n");
        EXPECT_EQ(r.ExitCode, 1) << args[0];
        EXPECT_NE(r.Err.find("Работает эхопроцессор"), std::string::npos) << r.Err;
    }
    EXPECT_EQ(DirectoryNames(dir / "net"), files);
    EXPECT_EQ(ReadFileBytes(dir / ("net/" + number + ".msg")), letter);

    // The tosser finishes while the post waits: then it is written.
    std::thread tosser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::remove(flag.c_str());
    });
    std::vector<std::string> postPatient = post;
    postPatient.insert(postPatient.end(), {"--flag", flag, "--wait", "30"});
    ToolResult r = RunTool(postPatient, "two\n");
    tosser.join();
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{std::to_string(std::stoul(number) + 1)});
}
