// Damaged bases, built byte by byte: a status or a refusal, never a crash, a
// read outside a buffer (the sanitizers watch) or a write that adds damage.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "HudsonTestBases.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"

using namespace hudson_test;

namespace {

std::vector<Letter> ThreeLetters()
{
    return {Letter{.Number = 1, .Text = "first\r"}, Letter{.Number = 2, .Board = 2},
            Letter{.Number = 3, .Text = "third letter\r"}};
}

std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : DirectoryNames(dir))
        if (!std::filesystem::is_directory(dir + "/" + name))
            files[name] = ReadFileBytes(dir + "/" + name);
    return files;
}

}  // namespace

TEST(HudsonDamage, InconsistentFilesRefuseToOpenAndStayAsTheyAre)
{
    const std::vector<std::pair<const char*, std::function<void(const TempDir&)>>> cases = {
        {"MSGINFO one byte short", [](const TempDir& d) { WriteFileBytes(d / "msginfo.bbs", std::string(405, '\0')); }},
        {"MSGIDX a record short",
         [](const TempDir& d) { WriteFileBytes(d / "msgidx.bbs", ReadFileBytes(d / "msgidx.bbs").substr(3)); }},
        {"MSGHDR missing", [](const TempDir& d) { std::filesystem::remove(d / "msghdr.bbs"); }},
        {"MSGTXT a directory",
         [](const TempDir& d) {
             std::filesystem::remove(d / "msgtxt.bbs");
             std::filesystem::create_directory(d / "msgtxt.bbs");
         }},
        {"every file empty",
         [](const TempDir& d) {
             for (const char* f : {"msginfo.bbs", "msgidx.bbs", "msgtoidx.bbs", "msghdr.bbs", "msgtxt.bbs"})
                 WriteFileBytes(d / f, "");
         }},
        {"only the text file left",
         [](const TempDir& d) {
             for (const char* f : {"msginfo.bbs", "msgidx.bbs", "msgtoidx.bbs", "msghdr.bbs"})
                 std::filesystem::remove(d / f);
         }},
    };
    for (const auto& [what, damage] : cases) {
        TempDir dir;
        WriteBase(dir.Path(), ThreeLetters());
        damage(dir);
        auto before = Snapshot(dir.Path());
        auto base = Board(dir.Path(), 1);
        EXPECT_TRUE(base->BaseExists()) << what << ": no fresh base is made over what is left";
        EXPECT_EQ(base->OpenBase(), HudsonDamaged) << what;
        EXPECT_EQ(base->CreateBase(0, 0), HudsonDamaged) << what;
        EXPECT_EQ(Post(*base, "All", "x\r"), 103) << what;
        base->SeekFirst(1);
        EXPECT_FALSE(base->SeekFound()) << what;
        EXPECT_EQ(Snapshot(dir.Path()), before) << what;
    }
}

TEST(HudsonDamage, BoardsOutsideTheTablesAreRefused)
{
    TempDir dir;
    for (const std::string spec : {"000", "201", "999", "20", "abc"}) {
        HudsonMsgBase base;
        base.SetBasePath(spec + dir.Path() + "/");
        EXPECT_EQ(base.CreateBase(0, 0), HudsonBadBoard) << spec;
        EXPECT_EQ(base.OpenBase(), HudsonBadBoard) << spec;
        EXPECT_EQ(base.CountLetters(), 0u) << spec;
        base.SetLastRead(0, 1);
        EXPECT_EQ(base.GetLastRead(0), 0u) << spec;
    }
    EXPECT_TRUE(DirectoryNames(dir.Path()).empty());
    auto good = Board(dir.Path(), 200);
    EXPECT_EQ(good->OpenBase(), 0);
}

TEST(HudsonDamage, TheBoardIsTheThreeDigitsBeforeTheDirectory)
{
    // A directory whose name starts with digits ("2hud/", "100/") follows
    // the board's three digits at once.
    for (auto [spec, board] : {std::pair{"0052hud/", 5}, {"100100/", 100}, {"0071/x/", 7}, {"5/hud/", 0}}) {
        HudsonMsgBase base;
        base.SetBasePath(spec);
        EXPECT_EQ(base.BoardNumber(), board) << spec;
    }
}

TEST(HudsonDamage, CreateBaseNeverStartsExistingFilesAfresh)
{
    TempDir dir;
    WriteBase(dir.Path(), ThreeLetters());
    auto before = Snapshot(dir.Path());
    auto base = Board(dir.Path(), 7);
    EXPECT_TRUE(base->BaseExists());
    EXPECT_EQ(base->CreateBase(0, 0), HudsonBaseExists);
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(HudsonDamage, HeadersThatLieAboutTheirTextAndNames)
{
    TempDir dir;
    std::vector<Letter> letters = ThreeLetters();
    letters[2].ClaimedBlocks = 60000;  // the last letter claims far more than MSGTXT holds
    letters[0].To = std::string(35, 'T');
    letters[0].From = std::string(35, 'F');
    letters[0].Subject = std::string(72, 'S');
    WriteBase(dir.Path(), letters);
    std::string hdr = ReadFileBytes(dir / "msghdr.bbs");
    hdr[42] = hdr[78] = hdr[114] = hdr[27] = hdr[33] = '\xFF';  // length bytes beyond the fields
    hdr.replace(187 + 8, 2, Le16(40000));                    // letter 2's text starts past the end
    WriteFileBytes(dir / "msghdr.bbs", hdr);
    auto one = Board(dir.Path(), 1), two = Board(dir.Path(), 2);
    ASSERT_EQ(one->OpenBase(), 0);
    ASSERT_EQ(two->OpenBase(), 0);
    one->SeekFirst(3);
    one->LoadHeader();
    EXPECT_EQ(RawText(*one), "third letter\r");
    one->SeekFirst(1);
    one->LoadHeader();
    EXPECT_EQ(one->Header().To, std::string(35, 'T'));
    EXPECT_EQ(one->Header().From, std::string(35, 'F'));
    EXPECT_EQ(one->Header().Subject, std::string(72, 'S'));
    EXPECT_EQ(one->Header().Written, EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0));
    two->SeekFirst(1);
    two->LoadHeader();
    EXPECT_EQ(RawText(*two), "");
    EXPECT_EQ(two->ReadLine(65535), "");
    EXPECT_TRUE(two->TextEnded());
}

TEST(HudsonDamage, AnIndexLongerThanTheHeadersAfterOpening)
{
    TempDir dir;
    WriteBase(dir.Path(), ThreeLetters());
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    WriteFileBytes(dir / "msgidx.bbs", ReadFileBytes(dir / "msgidx.bbs") + Le16(9) + "\x01");
    auto before = Snapshot(dir.Path());
    base->SeekFirst(9);
    ASSERT_TRUE(base->SeekFound());
    EXPECT_EQ(base->GetPosition(), 3u);
    base->LoadHeader();
    EXPECT_EQ(base->Header().From, "") << "no other letter's header under number 9";
    EXPECT_EQ(RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), HudsonNoLetter);
    EXPECT_EQ(base->DeleteLetter(), HudsonNoLetter);
    EXPECT_EQ(Post(*base, "All", "x\r"), HudsonDamaged) << "the parallel files are out of step";
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(HudsonDamage, AnIndexNumberAboveTheHighestIsNeverGivenAgain)
{
    TempDir dir;
    WriteBase(dir.Path(), {Letter{.Number = 1}, Letter{.Number = 9}, Letter{.Number = 3}});
    std::string info = ReadFileBytes(dir / "msginfo.bbs");
    info.replace(2, 2, Le16(3));
    WriteFileBytes(dir / "msginfo.bbs", info);
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    ASSERT_EQ(Post(*base, "All", "new\r"), 0);
    EXPECT_EQ(base->GetNumber(), 10u);
    EXPECT_EQ(GetLe16(ReadFileBytes(dir / "msginfo.bbs"), 2), 10u);
    std::vector<Num> listed;
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext())
        listed.push_back(base->GetNumber());
    EXPECT_EQ(listed, (std::vector<Num>{1, 9, 10}));
    base->SeekFirst(10);
    base->LoadHeader();
    EXPECT_EQ(RawText(*base), "new\r");
}
