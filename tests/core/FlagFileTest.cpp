#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/FlagFile.h"
#include "core/OsFiles.h"
#include "support/TestSupport.h"

namespace {

// Sets a directory's modification time to long ago, as for a spool
// directory nobody touched for a while (the check then trusts its listing).
void Age(const std::string& dir)
{
    timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), times, 0), 0);
}

}  // namespace

TEST(FlagFile, SameAnswersAsTheGeneralLookup)
{
    TempDir dir;
    const std::string flag = dir / "toss.flag";
    auto agree = [&](const std::string& path) {
        bool fast = FlagFileExists(path);
        EXPECT_EQ(fast, RegularFileExists(path)) << path;
        return fast;
    };
    Age(dir.Path());
    EXPECT_FALSE(agree(flag));
    EXPECT_FALSE(agree(flag)) << "asked again from the kept listing";

    // Created right after a "no": seen at once, though the directory's
    // time may not have moved within the clock's tick.
    WriteFileBytes(flag, "");
    EXPECT_TRUE(agree(flag));
    std::remove(flag.c_str());
    EXPECT_FALSE(agree(flag));
    // Again within one tick of the directory's clock: the listing just made
    // cannot be trusted to cover a change made right after it.
    WriteFileBytes(flag, "");
    EXPECT_TRUE(agree(flag));
    std::remove(flag.c_str());
    EXPECT_FALSE(agree(flag));

    Age(dir.Path());
    EXPECT_FALSE(agree(flag));
    WriteFileBytes(dir / "TOSS.FLAG", "");  // another case of the same name
    EXPECT_TRUE(agree(flag));
    std::remove((dir / "TOSS.FLAG").c_str());

    EXPECT_FALSE(agree(dir / "missing/toss.flag"));
    ASSERT_EQ(mkdir((dir / "Spool").c_str(), 0755), 0);
    WriteFileBytes(dir / "Spool/toss.flag", "");
    EXPECT_TRUE(agree(dir / "spool/toss.flag")) << "directories matched without regard to case";
    EXPECT_FALSE(FlagFileExists(""));
}

TEST(FlagFile, ReplacedDirectoryIsNotMistakenForTheOldOne)
{
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "spool").c_str(), 0755), 0);
    const std::string flag = dir / "spool/toss.flag";
    Age(dir / "spool");
    EXPECT_FALSE(FlagFileExists(flag));
    ASSERT_EQ(rename((dir / "spool").c_str(), (dir / "old").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "spool").c_str(), 0755), 0);
    WriteFileBytes(flag, "");
    Age(dir / "spool");
    EXPECT_TRUE(FlagFileExists(flag));
}

TEST(FlagFile, UnchangedDirectoriesAreNotReadAgain)
{
    // Asked over and over during a scan: neither an existing directory
    // without the flag nor a missing one is read again while nothing changes.
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "spool").c_str(), 0755), 0);
    Age(dir.Path());
    Age(dir / "spool");
    for (const std::string& flag : {dir / "spool/toss.flag", dir / "missing/toss.flag", dir / "SPOOL/toss.flag"}) {
        EXPECT_FALSE(FlagFileExists(flag)) << flag;
        const std::size_t reads = FlagFileDirectoryReads();
        for (int i = 0; i < 100; ++i)
            EXPECT_FALSE(FlagFileExists(flag)) << flag;
        EXPECT_EQ(FlagFileDirectoryReads(), reads) << flag;
    }
    WriteFileBytes(dir / "spool/Toss.Flag", "");
    EXPECT_TRUE(FlagFileExists(dir / "SPOOL/toss.flag")) << "a changed directory is read again";
}

// What stands at the flag's path but cannot be examined counts as the
// tosser working: the safe side.
TEST(FlagFile, APathThatCannotBeExaminedCountsAsTheFlag)
{
    TempDir dir;
    const std::string flag = dir / "toss.flag";
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"a directory", [&] { ASSERT_EQ(mkdir(flag.c_str(), 0755), 0); }},
        {"a link to nothing", [&] { ASSERT_EQ(symlink((dir / "gone").c_str(), flag.c_str()), 0); }},
        {"a loop of links", [&] { ASSERT_EQ(symlink(flag.c_str(), flag.c_str()), 0); }},
        {"a loop on the way", [&] { ASSERT_EQ(symlink(flag.c_str(), flag.c_str()), 0); }},
    };
    for (const auto& [what, make] : cases) {
        make();
        const std::string path = std::string(what) == "a loop on the way" ? flag + "/x" : flag;
        EXPECT_EQ(LookAtFlag(path), FlagState::Unexaminable) << what;
        EXPECT_TRUE(FlagFileExists(path)) << what;
        std::filesystem::remove(flag);
    }
    EXPECT_EQ(LookAtFlag(flag), FlagState::Absent);
}
