#include <gtest/gtest.h>

#include "core/Startup.h"
#include "support/TestSupport.h"

TEST(CheckParameters, TooFewShowsTheUsageAndStops)
{
    std::string shown;
    EXPECT_FALSE(CheckParameters({"only-one"}, [&](const std::string& m) { shown = m; }));
    EXPECT_EQ(shown, UsageMessage());
    EXPECT_EQ(shown, "Ты забыл параметры:\r"
                          "  <Полное имя флажка \"идёт tossing\">\r"
                          "  <там\\далеко\\areas.bbs>   - области в формате, выдаваемом FESetup/XA\r"
                          "  <если нужно путь к Hudson>");
}

TEST(CheckParameters, FlagAreasAndOptionalHudsonKeptAsGiven)
{
    auto never = [](const std::string&) { FAIL() << "no message expected"; };
    EXPECT_TRUE(CheckParameters({"/f/flag", "/f/areas.bbs"}, never));
    EXPECT_EQ(TossingFlagFile, "/f/flag");
    EXPECT_EQ(AreasFileName, "/f/areas.bbs");
    EXPECT_EQ(HudsonPath, "");
    EXPECT_TRUE(CheckParameters({" a", "b ", "/hudson/", "ignored"}, never));
    EXPECT_EQ(TossingFlagFile, " a") << "paths are kept as given";
    EXPECT_EQ(HudsonPath, "/hudson/");
}

TEST(TosserFlag, ExistenceChangesAndDirectories)
{
    TempDir dir;
    TossingFlagFile = dir / "toss.flag";
    TosserWasRunning = false;
    SetApplicationTerminating(false);
    EXPECT_FALSE(TosserRunning());
    EXPECT_FALSE(StopRequested());
    EXPECT_FALSE(TosserStateChanged());

    WriteFileBytes(TossingFlagFile, "");
    EXPECT_TRUE(TosserRunning());
    EXPECT_TRUE(StopRequested());
    EXPECT_TRUE(TosserStateChanged());
    EXPECT_FALSE(TosserStateChanged()) << "reported once";

    std::remove(TossingFlagFile.c_str());
    EXPECT_TRUE(TosserStateChanged());
    EXPECT_FALSE(TosserRunning());

    TossingFlagFile = dir.Path();  // a directory is not the flag
    EXPECT_FALSE(TosserRunning());
    TossingFlagFile = dir / "missing/dir/flag";
    EXPECT_FALSE(TosserRunning());

    SetApplicationTerminating(true);
    EXPECT_TRUE(StopRequested());
    SetApplicationTerminating(false);
    TossingFlagFile.clear();
}

TEST(TosserFlag, StopRequestedLooksAtTheFlagAtABoundedRate)
{
    TempDir dir;
    ManualTosserClock clock;
    TossingFlagFile = dir / "toss.flag";
    EXPECT_FALSE(StopRequested());
    WriteFileBytes(TossingFlagFile, "");
    clock.Advance(TosserCheckInterval - std::chrono::milliseconds(1));
    EXPECT_FALSE(StopRequested()) << "within the interval the last look stands";
    EXPECT_TRUE(StopRequestedNow()) << "a look afresh sees it at once";
    std::remove(TossingFlagFile.c_str());
    EXPECT_TRUE(StopRequested());
    clock.Advance(TosserCheckInterval);
    EXPECT_FALSE(StopRequested());
    TossingFlagFile = dir / "other.flag";
    WriteFileBytes(TossingFlagFile, "");
    EXPECT_TRUE(StopRequested()) << "another flag is looked at afresh";
    TossingFlagFile.clear();
}

TEST(SettingsKey, UsesTheFirstFourCharactersOfTheVersion)
{
    EXPECT_EQ(SettingsKey(), "Software\\Tressik\\Quorvel\\2.00");
}
