#include <gtest/gtest.h>

#include "core/Startup.h"
#include "support/TestSupport.h"

TEST(CheckParameters, TooFewShowsTheUsageAndStops)
{
    std::string shown;
    StartParameters start;
    EXPECT_FALSE(CheckParameters({"only-one"}, start, [&](const std::string& m) { shown = m; }));
    EXPECT_EQ(shown, UsageMessage());
    EXPECT_EQ(shown, "Ты забыл параметры:\r"
                          "  <Полное имя флажка \"идёт tossing\">\r"
                          "  <там\\далеко\\areas.bbs>   - области в формате, выдаваемом FESetup/XA\r"
                          "  <если нужно путь к Hudson>");
}

TEST(CheckParameters, FlagAreasAndOptionalHudsonKeptAsGiven)
{
    auto never = [](const std::string&) { FAIL() << "no message expected"; };
    StartParameters start;
    EXPECT_TRUE(CheckParameters({"/f/flag", "/f/areas.bbs"}, start, never));
    EXPECT_EQ(start.TossingFlagFile, "/f/flag");
    EXPECT_EQ(start.AreasFileName, "/f/areas.bbs");
    EXPECT_EQ(start.HudsonPath, "");
    EXPECT_TRUE(CheckParameters({" a", "b ", "/hudson/", "ignored"}, start, never));
    EXPECT_EQ(start.TossingFlagFile, " a") << "paths are kept as given";
    EXPECT_EQ(start.HudsonPath, "/hudson/");
}

TEST(TosserFlag, ExistenceChangesAndDirectories)
{
    TempDir dir;
    TosserFlag flag(dir / "toss.flag");
    EXPECT_FALSE(flag.Running());
    EXPECT_FALSE(flag.RunningLately());
    EXPECT_FALSE(flag.StateChanged());

    WriteFileBytes(flag.Path(), "");
    EXPECT_TRUE(flag.Running());
    EXPECT_TRUE(flag.RunningLately());
    EXPECT_TRUE(flag.StateChanged());
    EXPECT_FALSE(flag.StateChanged()) << "reported once";

    std::remove(flag.Path().c_str());
    EXPECT_TRUE(flag.StateChanged());
    EXPECT_FALSE(flag.Running());

    flag.SetPath(dir.Path());  // a directory is not the flag
    EXPECT_FALSE(flag.Running());
    flag.SetPath(dir / "missing/dir/flag");
    EXPECT_FALSE(flag.Running());
    flag.SetPath("");
    EXPECT_FALSE(flag.Running()) << "no flag named: the tosser never runs";
}

TEST(TosserFlag, RunningLatelyLooksAtTheFlagAtABoundedRate)
{
    TempDir dir;
    TosserFlag flag(dir / "toss.flag");
    ManualTosserClock clock(flag);
    EXPECT_FALSE(flag.RunningLately());
    WriteFileBytes(flag.Path(), "");
    clock.Advance(TosserCheckInterval - std::chrono::milliseconds(1));
    EXPECT_FALSE(flag.RunningLately()) << "within the interval the last look stands";
    EXPECT_TRUE(flag.Running()) << "a look afresh sees it at once";
    std::remove(flag.Path().c_str());
    EXPECT_TRUE(flag.RunningLately());
    clock.Advance(TosserCheckInterval);
    EXPECT_FALSE(flag.RunningLately());
    flag.SetPath(dir / "other.flag");
    WriteFileBytes(flag.Path(), "");
    EXPECT_TRUE(flag.RunningLately()) << "another flag is looked at afresh";
}

TEST(SettingsKey, UsesTheFirstFourCharactersOfTheVersion)
{
    EXPECT_EQ(SettingsKey(), "Software\\Tressik\\Quorvel\\2.00");
}
