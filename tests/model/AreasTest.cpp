#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "ModelTestSupport.h"
#include "core/MessagePump.h"
#include "core/Startup.h"
#include "model/Session.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"

namespace {

// The areas file can only name the four disk formats; this list reads a line
// "Mname TAG" (which the file turns into "FMname") as the memory base "Mname".
class MemoryAreas : public TAreas {
public:
    explicit MemoryAreas(Session& owner) : TAreas(owner) {}

protected:
    std::unique_ptr<TAreasFromCFG> ReadAreasFile() override
    {
        std::unique_ptr<TAreasFromCFG> list = TAreas::ReadAreasFile();
        for (TAreaBase* area : *list)
            if (area->BaseSpec.compare(0, 2, "FM") == 0)
                area->BaseSpec.erase(0, 1);
        return list;
    }
};

// An areas file of memory bases: each line "Mname TAG". The bases are the
// shared memory stores named after the test and the tag.
class ScanFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        MemoryMsgBase::RegisterFormat();
        Owner.SetStart({FlagFile, AreasFile, ""});
        Prefix = FreshMemorySpec().substr(1) + "-";
    }
    void TearDown() override
    {
        SetProcessMessagesHook(nullptr);
    }
    std::string BaseOf(const std::string& tag) const { return "M" + Prefix + tag; }
    // Writes the areas file; tags map to their bases with `unread` unread letters and `read` read ones.
    void Areas(const std::vector<std::string>& tags)
    {
        std::string text = "; test areas\r\n";
        for (const std::string& tag : tags)
            text += BaseOf(tag) + " " + tag + "\r\n";
        WriteFileBytes(AreasFile, text);
    }
    void Fill(const std::string& tag, int unread, int read = 0)
    {
        std::vector<LetterSpec> letters;
        for (int i = 0; i < unread; ++i)
            letters.push_back({.Subject = "u" + std::to_string(i), .Date = 100.0 + i});
        for (int i = 0; i < read; ++i)
            letters.push_back({.Subject = "r" + std::to_string(i), .Date = 200.0 + i, .Read = true});
        WriteLetters(BaseOf(tag), letters);
    }
    static std::string Tags(const TAreas& areas)
    {
        std::string tags;
        for (TArea* area : areas)
            tags += (tags.empty() ? "" : " ") + area->Tag;
        return tags;
    }
    TempDir Dir;
    const std::string AreasFile = Dir / "areas.bbs";
    const std::string FlagFile = Dir / "toss.flag";
    Session Owner;
    std::string Prefix;
};

}  // namespace

TEST_F(ScanFixture, DisplayOrderFewestUnreadFirstNothingUnreadLastUnscannedAtTheEnd)
{
    Areas({"C3", "A1", "Z0", "B7", "D3", "NOTLOADED"});
    Fill("C3", 3, 1);
    Fill("D3", 3);
    Fill("A1", 1);
    Fill("Z0", 0, 2);
    Fill("B7", 7);
    MemoryAreas areas(Owner);
    areas.Scan();
    ASSERT_EQ(areas.Count(), 6u);
    areas.AllByTag().At(4)->Loaded = false;  // NOTLOADED, as if the scan had stopped before it
    areas.Resort();
    EXPECT_EQ(Tags(areas), "A1 C3 D3 B7 Z0 NOTLOADED");
    EXPECT_EQ(areas.TotalUnread(), 14);
    EXPECT_EQ(areas.CountText(), "Областей: 6");
}

TEST_F(ScanFixture, ScanMessagesInOrder)
{
    Areas({"ONE", "TWO"});
    Fill("ONE", 1);
    MemoryAreas areas(Owner);
    EventRecorder form;
    areas.Scan();
    TArea* one = areas.AllByTag()[0];
    TArea* two = areas.AllByTag()[1];
    std::vector<std::string> expected = {
        "AreasChanged", "CurrentAreaChanged", "ScanStarted",
        "LettersLoading", "AreaOpened", "AreaClosed", "LettersChanged", "AreaScanned",
        "LettersLoading", "AreaOpened", "AreaClosed", "LettersChanged", "AreaScanned",
        "CurrentAreaChanged", "AreasChanged", "ScanFinished"};
    EXPECT_EQ(form.Names(), expected);
    EXPECT_EQ(form.Events[7].Area, one);
    EXPECT_EQ(form.Events[12].Area, two);
    EXPECT_TRUE(areas.Scanned);
    EXPECT_FALSE(areas.Scanning);
    EXPECT_EQ(areas.Current, one) << "the first area of the display order";

    form.Events.clear();
    areas.Scan();
    EXPECT_TRUE(form.Events.empty()) << "scanned until invalidated";
    areas.Invalidate();
    areas.Scan();
    // A reload always moves the current area away and back.
    EXPECT_EQ(form.Names()[0], "AreasChanged");
    EXPECT_EQ(form.Names()[1], "CurrentAreaChanged");
    EXPECT_EQ(form.Names()[2], "CurrentAreaChanged");
    EXPECT_EQ(areas.Current, one);
}

TEST_F(ScanFixture, ReloadKeepsAreaObjectsAndDestroysVanishedTags)
{
    Areas({"KEEP", "GONE", "ALSO"});
    Fill("KEEP", 2);
    MemoryAreas areas(Owner);
    areas.Scan();
    TArea* keep = areas.AllByTag()[2];  // tag order: ALSO GONE KEEP
    TArea* gone = areas.AllByTag()[1];
    ASSERT_EQ(keep->Tag, "KEEP");
    ASSERT_EQ(gone->Tag, "GONE");
    areas.SetCurrent(gone);

    Areas({"KEEP", "ALSO", "NEW"});
    EventRecorder form;
    areas.Invalidate();
    areas.Scan();
    EXPECT_EQ(areas.AllByTag()[1], keep) << "windows keep their area objects";
    EXPECT_EQ(areas.Count(), 3u);
    EXPECT_EQ(form.NamesFor(gone), std::vector<std::string>{"AreaDestroyed"});
    EXPECT_EQ(keep->Letters.Count(), 2u);
    EXPECT_EQ(form.Names()[0], "AreaDestroyed");
    EXPECT_EQ(form.Names()[1], "AreasChanged");
    EXPECT_EQ(form.Names()[2], "CurrentAreaChanged") << "the destroyed current area is let go";
    EXPECT_EQ(form.Names()[3], "CurrentAreaChanged");
    EXPECT_NE(areas.Current, nullptr);

    // A changed base string reaches the kept area, and the area is read again.
    WriteFileBytes(AreasFile, BaseOf("OTHER") + " KEEP\r\n");
    Fill("OTHER", 5);
    areas.Invalidate();
    areas.Scan();
    ASSERT_EQ(areas.Count(), 1u);
    EXPECT_EQ(areas.At(0), keep);
    EXPECT_EQ(keep->BaseSpec, BaseOf("OTHER"));
    EXPECT_EQ(keep->UnreadCount, 5);
}

TEST_F(ScanFixture, VanishingAreasFileEmptiesTheDisplayUntilItReturns)
{
    Areas({"ONE", "TWO"});
    MemoryAreas areas(Owner);
    areas.Scan();
    TArea* one = areas.AllByTag()[0];
    std::remove(AreasFile.c_str());
    EventRecorder form;
    areas.Invalidate();
    EXPECT_THROW(areas.Scan(), ECantFindAreasBBS);
    EXPECT_FALSE(areas.Scanned);
    EXPECT_FALSE(areas.Scanning);
    EXPECT_EQ(areas.Count(), 0u);
    EXPECT_EQ(areas.Current, nullptr);
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CurrentAreaChanged"});
    EXPECT_EQ(areas.TotalUnread(), 0);

    Areas({"ONE", "TWO"});
    areas.Scan();
    EXPECT_EQ(areas.Count(), 2u);
    EXPECT_EQ(areas.AllByTag()[0], one) << "the areas were kept meanwhile";
}

TEST_F(ScanFixture, EmptyFileDuplicateTagsAndBadBases)
{
    WriteFileBytes(AreasFile, "");
    MemoryAreas areas(Owner);
    areas.Scan();
    EXPECT_EQ(areas.Count(), 0u);
    EXPECT_EQ(areas.Current, nullptr);
    EXPECT_EQ(areas.CountText(), "Областей: 0");

    WriteFileBytes(AreasFile, BaseOf("A") + " TWICE\r\n" + BaseOf("B") + " TWICE\r\n" + Dir / "Q/nowhere" + " BROKEN\r\n");
    Fill("A", 1);
    Fill("B", 2);
    areas.Invalidate();
    areas.Scan();
    ASSERT_EQ(areas.Count(), 3u);
    EXPECT_EQ(areas.TotalUnread(), 3);
    EXPECT_EQ(areas.At(2)->Tag, "BROKEN");
    EXPECT_TRUE(areas.At(2)->Loaded) << "an area that cannot be opened counts as scanned, empty";
    TArea* first = areas.AllByTag()[1];
    TArea* second = areas.AllByTag()[2];
    EXPECT_EQ(first->BaseSpec, BaseOf("A")) << "areas of one tag in the file's order";
    areas.Invalidate();
    areas.Scan();
    EXPECT_EQ(areas.AllByTag()[1], first);
    EXPECT_EQ(areas.AllByTag()[2], second) << "both areas of a doubled tag survive a reload";
}

TEST_F(ScanFixture, TosserFlagMidScanStopsBetweenLetters)
{
    Areas({"A", "B", "C"});
    Fill("A", 4);
    Fill("B", 4);
    Fill("C", 4);
    MemoryAreas areas(Owner);
    ManualTosserClock clock(Owner.Tosser);
    int pumped = 0;
    SetProcessMessagesHook([&] {
        clock.Advance(std::chrono::milliseconds(30));  // a letter every 30 ms
        if (++pumped == 6)
            WriteFileBytes(FlagFile, "");  // the tosser starts during the second area
    });
    EventRecorder form;
    areas.Scan();
    EXPECT_EQ(pumped, 7);
    TArea* a = areas.AllByTag()[0];
    TArea* b = areas.AllByTag()[1];
    TArea* c = areas.AllByTag()[2];
    EXPECT_EQ(a->Letters.Count(), 4u);
    EXPECT_EQ(b->Letters.Count(), 2u) << "stopped between two letters, within one check interval";
    EXPECT_TRUE(b->Loaded);
    EXPECT_FALSE(c->Loaded) << "no area is started once the tosser runs";
    EXPECT_EQ(c->StatusText(), "C: Не отсканирована");
    EXPECT_EQ(form.NamesFor(c), std::vector<std::string>{});
    EXPECT_EQ(Tags(areas), "B A C");
    EXPECT_TRUE(areas.Scanned);

    // While the flag stays, a new scan lists the areas but reads none.
    areas.Invalidate();
    areas.Scan();
    EXPECT_EQ(areas.Count(), 3u);
    for (TArea* area : areas)
        EXPECT_FALSE(area->Loaded);
}

TEST_F(ScanFixture, ScanIsNotReentered)
{
    Areas({"A"});
    Fill("A", 2);
    MemoryAreas areas(Owner);
    int scansStarted = 0;
    EventRecorder form;
    form.OnEvent = [&](const std::string& name, TArea*) {
        if (name == "ScanStarted")
            ++scansStarted;
    };
    SetProcessMessagesHook([&] {
        areas.Invalidate();
        areas.Scan();  // the tick timer during a scan
    });
    areas.Scan();
    EXPECT_EQ(scansStarted, 1);
    EXPECT_EQ(areas.AllByTag()[0]->Letters.Count(), 2u);
}

TEST_F(ScanFixture, CurrentAreaMessagesAndFreeing)
{
    Areas({"A", "B"});
    MemoryAreas areas(Owner);
    areas.Scan();
    EventRecorder form;
    areas.SetCurrent(areas.At(1));
    areas.SetCurrent(areas.At(1));
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CurrentAreaChanged"});
    form.Events.clear();
    areas.FreeAreas();
    EXPECT_EQ(form.Names(), (std::vector<std::string>{"AreaDestroyed", "AreaDestroyed"}));
    EXPECT_EQ(areas.Count(), 0u);
    EXPECT_EQ(areas.Current, nullptr);
}

TEST_F(ScanFixture, BasesThatCannotBeOpenedSayWhyAndTheOthersLoad)
{
    // Nothing may be created in the directory the program runs in.
    TempDir cwd;
    const std::string before = std::filesystem::current_path();
    std::filesystem::current_path(cwd.Path());
    WriteFileBytes(Dir / "plain", "x");
    std::filesystem::create_directory(Dir / "jam");
    WriteFileBytes(AreasFile, "5 HUDSON\r\n"
                                  "!" + Dir / "jam/good GOOD\r\n"
                                  "!" + Dir / "cut" + std::string(1, '\0') + "tail NUL\r\n"
                                  "!" + Dir / "plain/sub BROKEN\r\n"
                                  "! NOPATH\r\n");
    TAreas areas(Owner);
    areas.Scan();
    std::filesystem::current_path(before);

    const struct {
        const char* Tag;
        const char* Status;  // the start of what the status bar shows
    } cases[] = {
        {"GOOD", "GOOD: 0 осталось, 0 прочитал, 0 всего"},
        {"HUDSON", "HUDSON: не открыта: не задан каталог Hudson"},
        {"NUL", "NUL: не открыта: в пути базы есть символ NUL"},
        {"BROKEN", "BROKEN: не открыта: база не "},
        {"NOPATH", "NOPATH: не открыта: не задан путь базы"},
    };
    ASSERT_EQ(areas.Count(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Tag);
        TArea* area = nullptr;
        for (TArea* a : areas)
            if (a->Tag == c.Tag)
                area = a;
        ASSERT_NE(area, nullptr);
        EXPECT_TRUE(area->Loaded);
        EXPECT_EQ(area->OpenFailed(), c.Tag != std::string("GOOD"));
        EXPECT_EQ(area->StatusText().rfind(c.Status, 0), 0u) << area->StatusText();
    }
    EXPECT_EQ(DirectoryNames(cwd.Path()), std::vector<std::string>{});
    EXPECT_EQ(DirectoryNames(Dir.Path()), (std::vector<std::string>{"areas.bbs", "jam", "plain"}));
}

TEST(SessionStop, TheProgramEndingStopsLoopsAsTheTosserDoes)
{
    TempDir dir;
    Session session(UserSettings{}, {dir / "toss.flag", "", ""});
    EXPECT_FALSE(session.StopRequested());
    WriteFileBytes(dir / "toss.flag", "");
    EXPECT_TRUE(session.StopRequestedNow());
    EXPECT_TRUE(session.StopRequested());
    std::remove((dir / "toss.flag").c_str());
    EXPECT_FALSE(session.StopRequestedNow());
    session.SetTerminating(true);
    EXPECT_TRUE(session.StopRequested());
    EXPECT_TRUE(session.StopRequestedNow());
}
