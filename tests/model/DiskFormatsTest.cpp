// The model over every message base format on disk: what the memory base
// tests show must hold for the real files too.
#include <gtest/gtest.h>

#include <cstdio>

#include "ModelTestSupport.h"
#include "core/MessagePump.h"
#include "core/Startup.h"
#include "core/TosserFlag.h"
#include "model/Session.h"
#include "model/TConversationTree.h"
#include "support/TestSupport.h"

namespace {

class DiskFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        Specs = DiskFormatSpecs(Dir.Path());
        ASSERT_FALSE(Specs.empty()) << "the list of message base formats is empty";
    }
    TempDir Dir;
    std::vector<std::string> Specs;
};

// Runs action the first time the model lets window messages run.
void PumpOnce(std::function<void()> action)
{
    SetProcessMessagesHook([action = std::move(action)]() mutable {
        if (action) {
            auto run = std::move(action);
            action = nullptr;
            run();
        }
    });
}

}  // namespace

TEST_F(DiskFormats, LoadCountsLinksAndReadsText)
{
    for (const std::string& spec : Specs) {
        SCOPED_TRACE(spec);
        std::vector<Num> n = WriteLetters(spec, {{.From = "Anna", .Subject = "Hello", .Date = 45000.25, .Lines = {"a\tb", "", ""}},
                                                 {.From = "Boris", .Subject = "Other", .Date = 45000.5, .Read = true}});
        ASSERT_EQ(n.size(), 2u);
        WriteLetters(spec, {{.From = "Vera", .Subject = "Hello", .Date = 45000.75, .ReplyTo = n[0]}});
        Session session;
        TArea area(session, "TAG", "D", spec);
        area.Load();
        ASSERT_EQ(area.Letters.Count(), 3u);
        EXPECT_EQ(area.UnreadCount, 2);
        EXPECT_EQ(area.Letters.At(0)->From, "Anna");
        EXPECT_EQ(area.Letters.At(2)->From, "Vera");
        ASSERT_EQ(area.Letters.At(0)->Replies.size(), 1u);
        EXPECT_EQ(area.Letters.At(0)->Replies[0], area.Letters.At(2));
        EXPECT_EQ(area.OpenCount, 0);

        area.Open();
        TLetter* anna = area.Letters.At(0);
        ASSERT_TRUE(anna->StillValid());
        std::vector<std::string> lines;
        anna->ReadText(lines);
        EXPECT_EQ(lines, std::vector<std::string>{"a        b"});

        anna->MarkRead(true);
        area.Close();
        area.Loaded = false;
        area.Load();
        EXPECT_EQ(area.UnreadCount, 1) << "the read mark is in the base";
        EXPECT_FALSE(area.Letters.LetterByNumber(n[0])->Unread);

        area.Open();
        area.Letters.LetterByNumber(n[1])->DeleteFromBase();
        area.Close();
        area.Loaded = false;
        area.Load();
        EXPECT_EQ(area.Letters.Count(), 2u);
    }
}

TEST_F(DiskFormats, MissingBaseIsCreatedEmptyAndUnopenableOneLoadsEmpty)
{
    for (const std::string& spec : Specs) {
        SCOPED_TRACE(spec);
        Session session;
        TArea area(session, "NEW", "D", spec);
        area.Load();
        EXPECT_TRUE(area.Loaded);
        EXPECT_EQ(area.Letters.Count(), 0u);
        area.Open();  // it exists now
        area.Close();
    }
    // A base under a plain file cannot be created.
    WriteFileBytes(Dir / "file", "x");
    for (const std::string& spec : DiskFormatSpecs(Dir / "file")) {
        SCOPED_TRACE(spec);
        Session session;
        TArea area(session, "BAD", "D", spec);
        EXPECT_THROW(area.Open(), ECantOpenArea);
        area.Load();
        EXPECT_TRUE(area.Loaded);
        EXPECT_EQ(area.Letters.Count(), 0u);
    }
}

TEST_F(DiskFormats, RescansOfAnAreaKeptOpenHoldOneSetOfFiles)
{
    auto openFiles = [] { return DirectoryNames("/proc/self/fd").size(); };
    for (const std::string& spec : Specs) {
        SCOPED_TRACE(spec);
        WriteLetters(spec, {{.Subject = "one"}, {.Subject = "two"}});
        Session session;
        TArea area(session, "TAG", "D", spec);
        area.Open();  // as the area's window does
        area.Load();
        const std::size_t before = openFiles();
        for (int rescan = 0; rescan < 30; ++rescan) {
            area.Loaded = false;
            if (rescan == 0) {
                // A window opens the area while the read is under way: the
                // read finishes on its own object, which then goes too.
                PumpOnce([&] { area.Open(); });
                area.Load();
                SetProcessMessagesHook(nullptr);
                area.Close();
            } else {
                area.Load();
            }
            ASSERT_EQ(area.Letters.Count(), 2u);
        }
        EXPECT_EQ(openFiles(), before);
        area.Close();
        EXPECT_EQ(area.Base, nullptr);
    }
}

TEST_F(DiskFormats, SelfAndCircularRepliesStayOutOfTheTrees)
{
    for (const std::string& spec : Specs) {
        SCOPED_TRACE(spec);
        std::vector<Num> n = WriteLetters(spec, {{.From = "root", .Subject = "s", .Date = 45000.1}});
        ASSERT_EQ(n.size(), 1u);
        // The next letters answer themselves and each other (numbers are 2, 3, 4 after 1).
        std::vector<Num> loop = WriteLetters(spec, {{.From = "self", .Subject = "s", .Date = 45000.2, .ReplyTo = n[0] + 1},
                                                    {.From = "p", .Subject = "s", .Date = 45000.3, .ReplyTo = n[0] + 3},
                                                    {.From = "q", .Subject = "s", .Date = 45000.4, .ReplyTo = n[0] + 2}});
        ASSERT_EQ(loop, (std::vector<Num>{n[0] + 1, n[0] + 2, n[0] + 3})) << "numbers as this test expects";
        Session session;
        TArea area(session, "TAG", "D", spec);
        area.Load();
        ASSERT_EQ(area.Letters.Count(), 4u);
        TConversationTree tree(area);
        tree.ViewMode = TViewMode::SimpleTree;
        tree.BuildTree();
        ASSERT_EQ(tree.FirstNode()->Children.size(), 1u);
        EXPECT_EQ(tree.FirstNode()->Children[0]->Children.size(), 1u) << "only the root";
        tree.ViewMode = TViewMode::List;
        tree.BuildTree();
        EXPECT_EQ(tree.TopLevel().size(), 4u);
    }
}

TEST_F(DiskFormats, ALetterWithoutAReadableHeaderIsLeftOutAndALeftOverBaseIsNotRebuilt)
{
    const std::string spec = "J" + Dir / "jam/area";
    WriteLetters(spec, {{.From = "Anna", .Subject = "One"}, {.From = "Boris", .Subject = "Two"}});
    std::string jdx = ReadFileBytes(Dir / "jam/area.jdx");
    WriteFileBytes(Dir / "jam/area.jdx", jdx.substr(0, 12) + Le32(999999));  // letter 2: past the end of .jhr
    Session session;
    TArea area(session, "TAG", "D", spec);
    area.Load();
    ASSERT_EQ(area.Letters.Count(), 1u) << "no letter with an empty header";
    EXPECT_EQ(area.Letters.At(0)->From, "Anna");

    std::remove((Dir / "jam/area.jhr").c_str());
    std::unique_ptr<MsgBase> base;
    EXPECT_FALSE(OpenArea(session, base, spec));
    EXPECT_FALSE(PathExists(Dir / "jam/area.jhr")) << "what is left of the base is not made into a new one";
}

// Marking the rest read may hold a base's lock over a run of letters: it
// gives the lock back before it waits for a tosser that started meanwhile
// (which may be waiting for that lock) and when it is done.
TEST_F(DiskFormats, MarkingTheRestReadLeavesTheLockToOthersWhileWaitingAndAfter)
{
    const std::string flag = Dir / "toss.flag";
    for (const std::string& spec : Specs) {
        SCOPED_TRACE(spec);
        WriteLetters(spec, {{.Subject = "a"}, {.Subject = "b"}, {.Subject = "c"}});
        auto anotherWriterStores = [&spec] {
            std::vector<Num> numbers = WriteLetters(spec, {{.Subject = "another writer's"}});
            return numbers.size() == 1 && numbers[0] != 0;
        };
        Session session;
        session.SetStart({flag, "", ""});
        TArea area(session, "TAG", "D", spec);
        area.Load();
        area.Open();
        // Every look at the clock is a second later, so the flag is looked at
        // for every letter; it appears at the look before the first mark.
        int looks = 0;
        const auto start = std::chrono::steady_clock::now();
        session.Tosser.SetClock([&] {
            if (++looks == 2)
                WriteFileBytes(flag, "");
            return start + std::chrono::seconds(looks);
        });
        int waits = 0;
        session.Tosser.SetWaiter([&](const std::string&) {
            ++waits;
            EXPECT_TRUE(anotherWriterStores()) << "while waiting";
            std::remove(flag.c_str());
            return true;
        });
        area.MarkAllRead();
        EXPECT_EQ(waits, 1);
        EXPECT_EQ(area.UnreadCount, 0);
        EXPECT_TRUE(anotherWriterStores()) << "after";
        area.Close();
    }
}
