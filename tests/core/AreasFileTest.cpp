#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/AreasFile.h"
#include "support/TestSupport.h"

namespace {

struct Parsed {
    std::string BaseSpec, Tag;
};

Parsed Parse(const std::string& line, const std::string& hudsonPath)
{
    std::unique_ptr<TAreaBase> area(TAreasFromCFG::ParseLine(line, hudsonPath));
    if (!area)
        return {"<skipped>", ""};
    EXPECT_EQ(area->Description, "Описание");
    return {area->BaseSpec, area->Tag};
}

}  // namespace

TEST(AreasFile, EachBaseKindHudsonBoardsCommentsAndCapitalTags)
{
    struct Case {
        const char* line;
        const char* hudson;
        const char* spec;
        const char* tag;
    } cases[] = {
        {"!D:\\JAM\\RU.TEST ru.test", "X", "JD:\\JAM\\RU.TEST", "RU.TEST"},
        {"$D:\\SQ\\NET NETMAIL", "X", "SD:\\SQ\\NET", "NETMAIL"},
        {"5 RU.TEST", "C:\\HMB\\", "H005C:\\HMB\\", "RU.TEST"},
        {"12 LOCAL", "", "H012", "LOCAL"},
        {"1234 BIG", "", "H123", "BIG"},
        {"D:\\MSG\\NET NETMAIL ;comment", "X", "FD:\\MSG\\NET", "NETMAIL"},
        {"D:\\MSG\\X;Y TAG", "X", "FD:\\MSG\\X", ";Y"},
        {"!/var/spool/fido/jam/ru.test ru.test -a 2:5020/1", "", "J/var/spool/fido/jam/ru.test", "RU.TEST"},
        {"7\tlinux.hudson", "/var/spool/fido/hudson/", "H007/var/spool/fido/hudson/", "LINUX.HUDSON"},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.line, c.hudson);
        EXPECT_EQ(p.BaseSpec, c.spec) << c.line;
        EXPECT_EQ(p.Tag, c.tag) << c.line;
    }
}

TEST(AreasFile, SkippedLines)
{
    EXPECT_EQ(Parse("; comment", "").BaseSpec, "<skipped>");
    EXPECT_EQ(Parse("P 2:5020/1234", "").BaseSpec, "<skipped>");
    EXPECT_EQ(Parse("x", "").BaseSpec, "<skipped>");
    EXPECT_EQ(Parse("", "").BaseSpec, "<skipped>");
    EXPECT_EQ(Parse("p lowercase", "").BaseSpec, "Fp") << "a small p is an area";
    EXPECT_EQ(Parse("onlyoneword", "").Tag, "");
}

TEST(AreasFile, PathsAreTheHostsBytesOrTheirCp866Reading)
{
    TempDir dir;
    const std::string cp866Mail = "\xAF\xAE\xE7\xE2\xA0";  // "почта" in CP866
    std::filesystem::create_directories(dir / "почта");
    WriteFileBytes(dir / "почта/ru.test.jhr", "");                  // a JAM base known by its .jhr alone
    std::filesystem::create_directories(dir / ("old" + cp866Mail));  // a directory whose name is CP866 bytes
    struct Case {
        std::string Word, Spec;
    } cases[] = {
        {"!" + (dir / "почта/ru.test"), "J" + (dir / "почта/ru.test")},        // UTF-8 that exists
        {"!" + (dir / (cp866Mail + "/ru.test")), "J" + (dir / "почта/ru.test")},  // its CP866 reading exists
        {dir / ("old" + cp866Mail), "F" + (dir / ("old" + cp866Mail))},      // bytes that exist stay bytes
        {"$" + (dir / "новая/base"), "S" + (dir / "новая/base")},              // a new base: UTF-8 kept
        {"$" + (dir / (cp866Mail + "2/base")), "S" + (dir / "почта2/base")},   // a new base: CP866 read
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.Word + " x", "").BaseSpec, c.Spec) << c.Word;
}

TEST(AreasFile, LongWords)
{
    std::string longPath(400, 'a');
    EXPECT_EQ(Parse("$" + longPath + " T", "").BaseSpec, "S" + longPath) << "a path is never cut short";
}

TEST(AreasFile, ReadsSortsAndHandlesLineEnds)
{
    TempDir dir;
    WriteFileBytes(dir / "areas.bbs",
                   "Origin line of the point ! 2:5020/1234.5\r\n"
                   "; comment\r\n"
                   "!/j/zeta zeta\n"
                   "$/s/alpha alpha\r"
                   "3 mid\r\n"
                   "\r\n"
                   "/m/net NETMAIL");
    TAreasFromCFG areas(dir / "areas.bbs", "/h/");
    std::vector<std::string> tags;
    for (const TAreaBase* a : areas)
        tags.push_back(a->Tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"ALPHA", "LINE", "MID", "NETMAIL", "ZETA"}));
    EXPECT_EQ(areas[2]->BaseSpec, "H003/h/");
    EXPECT_EQ(areas[3]->BaseSpec, "F/m/net");
}

// A line far longer than any area line (a wrong or damaged file) is skipped
// with a note; it is never held whole in memory.
TEST(AreasFile, AnOverlongLineIsSkippedWithANote)
{
    TempDir dir;
    const std::string overlong(3 * TAreasFromCFG::MaxLineBytes, 'x');
    WriteFileBytes(dir / "areas.bbs", "/a FIRST\r\n" + overlong + "\r\n/b LAST\n");
    TAreasFromCFG areas(dir / "areas.bbs", "");
    ASSERT_EQ(areas.Count(), 2u);
    EXPECT_EQ(areas[1]->Tag, "LAST");
    EXPECT_EQ(areas.Notes.size(), 1u);
}

TEST(AreasFile, EmptyFileAndDuplicateTags)
{
    TempDir dir;
    WriteFileBytes(dir / "empty", "");
    EXPECT_EQ(TAreasFromCFG(dir / "empty", "").Count(), 0u);
    WriteFileBytes(dir / "dups", "/a X\n/b X\n/c A\n");
    TAreasFromCFG dups(dir / "dups", "");
    ASSERT_EQ(dups.Count(), 3u);
    EXPECT_EQ(dups[1]->Tag, "X");
    EXPECT_EQ(dups[2]->Tag, "X");
}

TEST(AreasFile, MissingFileMessageAndCodes)
{
    TempDir dir;
    try {
        TAreasFromCFG areas(dir / "nothere.bbs", "");
        FAIL() << "no exception";
    } catch (const ECantFindAreasBBS& e) {
        EXPECT_EQ(e.Code, 2);
        EXPECT_EQ(std::string(e.what()), "Где \"" + (dir / "nothere.bbs") + "\"?  (Ошибка 2)");
    }
    try {
        TAreasFromCFG areas(dir / "nodir/areas.bbs", "");
        FAIL() << "no exception";
    } catch (const ECantFindAreasBBS& e) {
        EXPECT_EQ(e.Code, 3);
    }
    try {
        TAreasFromCFG areas(dir.Path(), "");  // a directory
        FAIL() << "no exception";
    } catch (const ECantFindAreasBBS& e) {
        EXPECT_EQ(e.Code, 5);
    }
}

TEST(AreasFile, FoundWhateverTheCaseOfItsName)
{
    TempDir dir;
    WriteFileBytes(dir / "areas.bbs", "/m/x X\n");
    EXPECT_EQ(TAreasFromCFG(dir / "AREAS.BBS", "").Count(), 1u);
}
