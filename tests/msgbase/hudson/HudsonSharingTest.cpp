// Several base objects (and a tosser) on the same five files: the lock, the
// counters re-read under it, and writes that fail part way.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <sys/resource.h>
#include <thread>

#include "HudsonTestBases.h"
#include "core/StringHelpers.h"
#include "msgbase/SharedBlocks.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"

using namespace hudson_test;

namespace {

std::vector<Letter> FiveLetters()
{
    return {Letter{.Number = 1}, Letter{.Number = 2, .Board = 2}, Letter{.Number = 3, .Deleted = true},
            Letter{.Number = 4}, Letter{.Number = 5, .Board = 2}};
}

std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : DirectoryNames(dir))
        files[name] = ReadFileBytes(dir + "/" + name);
    return files;
}

// A base whose writes to one named file fail, as on a full disk.
class FailingBase : public HudsonMsgBase {
public:
    std::string FailOn;

protected:
    bool WriteAt(FileRecord& file, int64_t record, const void* data, uint32_t count) override
    {
        if (!FailOn.empty() && LowerAscii(file.Name()).ends_with("/" + FailOn)) {
            LastIoError = 112;
            return false;
        }
        return HudsonMsgBase::WriteAt(file, record, data, count);
    }
};

}  // namespace

TEST(HudsonSharing, WritersInterleaveAndAReaderSeesThemAfterOpenBase)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto reader = Board(dir.Path(), 1), a = Board(dir.Path(), 1), b = Board(dir.Path(), 2);
    ASSERT_EQ(reader->OpenBase(), 0);
    ASSERT_EQ(a->OpenBase(), 0);
    ASSERT_EQ(b->OpenBase(), 0);
    ASSERT_EQ(Post(*a, "All", "one\r"), 0);
    ASSERT_EQ(Post(*b, "All", "two\r"), 0);
    ASSERT_EQ(Post(*a, "All", "three\r"), 0);
    EXPECT_EQ(a->GetNumber(), 8u) << "counters re-read under the lock, not taken from the open";
    EXPECT_EQ(ReadFileBytes(dir / "msginfo.bbs"), InfoBytes(1, 8, 7, {{1, 4}, {2, 3}}));
    EXPECT_EQ(ReadFileBytes(dir / "echomail.bbs"), Le16(5) + Le16(6) + Le16(7));

    EXPECT_EQ(reader->GetHighNumber(), 5u);
    ASSERT_EQ(reader->OpenBase(), 0);
    EXPECT_EQ(reader->GetHighNumber(), 8u);
    std::vector<Num> seen;
    for (reader->SeekFirst(1); reader->SeekFound(); reader->SeekNext())
        seen.push_back(reader->GetNumber());
    EXPECT_EQ(seen, (std::vector<Num>{1, 4, 6, 8}));
    reader->SeekFirst(8);
    reader->LoadHeader();
    EXPECT_EQ(RawText(*reader), "three\r");
}

TEST(HudsonSharing, AHeldLockKeepsOtherWritersOut)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto holder = Board(dir.Path(), 1), writer = Board(dir.Path(), 2);
    ASSERT_EQ(holder->OpenBase(), 0);
    ASSERT_EQ(writer->OpenBase(), 0);
    ASSERT_TRUE(holder->LockBase());
    auto before = Snapshot(dir.Path());
    EXPECT_EQ(Post(*writer, "All", "waits\r"), HudsonLockFailed);
    writer->SeekFirst(2);
    EXPECT_EQ(writer->DeleteLetter(), HudsonLockFailed);
    EXPECT_EQ(Snapshot(dir.Path()), before);
    ASSERT_EQ(Post(*holder, "All", "mine\r"), 0) << "the holder writes under its own lock";
    EXPECT_TRUE(holder->UnlockBase());
    ASSERT_EQ(Post(*writer, "All", "now\r"), 0);
    EXPECT_EQ(writer->GetNumber(), 7u);
}

TEST(HudsonSharing, AFailedWriteTakesEverythingBackAndReleasesTheLock)
{
    for (const char* file : {"msgtxt.bbs", "msghdr.bbs", "msgtoidx.bbs", "msgidx.bbs", "echomail.bbs", "msginfo.bbs"}) {
        TempDir dir;
        WriteBase(dir.Path(), FiveLetters());
        auto before = Snapshot(dir.Path());
        FailingBase failing;
        failing.SetBasePath("001" + dir.Path() + "/");
        ASSERT_EQ(failing.OpenBase(), 0);
        failing.FailOn = file;
        EXPECT_EQ(Post(failing, "All", std::string(600, 'z')), 112) << file;
        EXPECT_EQ(failing.GetHighNumber(), 5u) << file;
        auto after = Snapshot(dir.Path());
        if (after.count("echomail.bbs") && !before.count("echomail.bbs")) {
            EXPECT_EQ(after["echomail.bbs"], "") << file;
        }
        after.erase("echomail.bbs");
        EXPECT_EQ(after, before) << file;

        auto other = Board(dir.Path(), 2);  // would wait and fail if the lock stayed held
        ASSERT_EQ(other->OpenBase(), 0);
        EXPECT_EQ(Post(*other, "All", "after\r"), 0) << file;
        EXPECT_EQ(other->GetNumber(), 6u) << file;
        EXPECT_EQ(ReadFileBytes(dir / "msgidx.bbs").size(), 6u * 3) << file;
    }
}

TEST(HudsonSharing, AFailedDeleteOrRewriteLeavesTheLetter)
{
    for (const char* file : {"msghdr.bbs", "msgtoidx.bbs", "msgidx.bbs", "msginfo.bbs"}) {
        TempDir dir;
        WriteBase(dir.Path(), FiveLetters());
        auto before = Snapshot(dir.Path());
        FailingBase failing;
        failing.SetBasePath("001" + dir.Path() + "/");
        ASSERT_EQ(failing.OpenBase(), 0);
        failing.FailOn = file;
        failing.SeekFirst(4);
        EXPECT_EQ(failing.DeleteLetter(), 112) << file;
        EXPECT_EQ(Snapshot(dir.Path()), before) << file;
        EXPECT_EQ(failing.CountLetters(), 2u) << file;
        if (std::string(file) != "msghdr.bbs")
            continue;  // marking read writes the header alone
        failing.LoadHeader();
        EXPECT_EQ(RewriteChanged(failing, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 112) << file;
        EXPECT_EQ(Snapshot(dir.Path()), before) << file;
    }
}

TEST(HudsonSharing, ARealWriteErrorIsReportedAndUndone)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto before = Snapshot(dir.Path());
    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    // Files may not grow past the text file's size: appending the text fails.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before["msgtxt.bbs"].size() + 100;
    setrlimit(RLIMIT_FSIZE, &small);
    Status status = Post(*base, "All", std::string(600, 'z'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, 223) << "file too large";
    EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(HudsonSharing, DeletingTwiceCountsOnceAndStaleHeadersDoNotUndelete)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto a = Board(dir.Path(), 1), b = Board(dir.Path(), 1);
    ASSERT_EQ(a->OpenBase(), 0);
    ASSERT_EQ(b->OpenBase(), 0);
    a->SeekFirst(4);
    a->LoadHeader();
    b->SeekFirst(4);
    ASSERT_EQ(b->DeleteLetter(), 0);
    ASSERT_EQ(b->DeleteLetter(), 0);
    EXPECT_EQ(ReadFileBytes(dir / "msginfo.bbs"), InfoBytes(1, 5, 3, {{1, 1}, {2, 2}}));
    EXPECT_EQ(ReadFileBytes(dir / "msgidx.bbs").substr(9, 3), Le16(0xFFFF) + "\x01");
    EXPECT_EQ(ReadFileBytes(dir / "msgtoidx.bbs").substr(3 * 36, 36), PascalField("* Deleted *", 36));
    EXPECT_EQ(RewriteChanged(*a, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), HudsonNoLetter)
        << "a copy loaded before the delete";
    EXPECT_EQ(ReadFileBytes(dir / "msgidx.bbs").substr(9, 3), Le16(0xFFFF) + "\x01");
    a->SeekFirst(1);
    EXPECT_EQ(a->GetNumber(), 1u);
    a->SeekNext();
    EXPECT_FALSE(a->SeekFound());
}

TEST(HudsonSharing, MarkingReadChangesOnlyTheReadBitAndNeverDeletes)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto mine = Board(dir.Path(), 1);
    ASSERT_EQ(mine->OpenBase(), 0);
    mine->SeekFirst(4);
    mine->LoadHeader();
    // Meanwhile the tosser exports letter 4: Sent in its net attribute byte.
    std::string hdr = ReadFileBytes(dir / "msghdr.bbs");
    hdr[3 * 187 + 25] = 0x02;
    WriteFileBytes(dir / "msghdr.bbs", hdr);
    ASSERT_EQ(RewriteChanged(*mine, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    hdr = ReadFileBytes(dir / "msghdr.bbs");
    EXPECT_EQ(uint8_t(hdr[3 * 187 + 24]), 0x80) << "Read";
    EXPECT_EQ(uint8_t(hdr[3 * 187 + 25]), 0x02) << "the tosser's Sent stays: the letter is not exported twice";
    EXPECT_EQ(ReadFileBytes(dir / "msgidx.bbs").substr(9, 3), Le16(4) + "\x01");
}

TEST(HudsonSharing, AHeaderMarkedDeletedIsGoneWhateverItsIndexRecordSays)
{
    TempDir dir;
    WriteBase(dir.Path(), FiveLetters());
    auto early = Board(dir.Path(), 1);
    ASSERT_EQ(early->OpenBase(), 0);
    early->SeekFirst(1);
    early->LoadHeader();
    // A deletion that marked the header and stopped before the index.
    std::string hdr = ReadFileBytes(dir / "msghdr.bbs");
    hdr[24] = 0x01;
    WriteFileBytes(dir / "msghdr.bbs", hdr);
    auto before = Snapshot(dir.Path());

    auto base = Board(dir.Path(), 1);
    ASSERT_EQ(base->OpenBase(), 0);
    std::vector<Num> listed;
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext())
        listed.push_back(base->GetNumber());
    EXPECT_EQ(listed, std::vector<Num>{4});
    base->SeekFirst(4);
    base->SeekPrior();
    EXPECT_FALSE(base->SeekFound());
    base->SetPosition(0);
    EXPECT_FALSE(base->SeekFound());
    EXPECT_EQ(RewriteChanged(*early, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), HudsonNoLetter);
    EXPECT_EQ(Snapshot(dir.Path()), before) << "marking read never deletes";
}

// A board's walk reads index records and headers in blocks; what other base
// objects of this process change meanwhile is never served from them.
TEST(HudsonSharing, AWalkSeesWhatOtherObjectsChangeMeanwhile)
{
    TempDir dir;
    std::vector<Letter> letters;
    for (uint16_t n = 1; n <= 6; ++n)
        letters.push_back(Letter{.Number = n});
    WriteBase(dir.Path(), letters);
    auto walker = Board(dir.Path(), 1), writer = Board(dir.Path(), 1);
    ASSERT_EQ(walker->OpenBase(), 0);
    ASSERT_EQ(writer->OpenBase(), 0);
    for (walker->SeekFirst(1); walker->SeekFound() && walker->GetNumber() < 3; walker->SeekNext())
        walker->LoadHeader();  // the walk has read the headers of letters 3 to 6 in one block

    writer->SeekFirst(5);
    writer->LoadHeader();
    ASSERT_EQ(RewriteChanged(*writer, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    writer->SeekFirst(4);
    ASSERT_EQ(writer->DeleteLetter(), 0);

    std::vector<std::string> seen;
    for (; walker->SeekFound(); walker->SeekNext()) {
        walker->LoadHeader();
        seen.push_back(std::to_string(walker->GetNumber()) +
                       (walker->Header().Flags.Has(LetterFlag::Read) ? " read" : ""));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"3", "5 read", "6"}));
}

// The boards of a settled base share the blocks the first board's walk read.
// Another program's rewrite in place (same sizes, settled again since)
// reaches the next board's walk, and a walk under way once its blocks are
// past their age.
TEST(HudsonSharing, BlocksSharedByTheBoardsNeverOutliveAChangeOnDisk)
{
    TempDir dir;
    std::vector<Letter> letters;
    for (uint16_t n = 1; n <= 6; ++n)
        letters.push_back(Letter{.Number = n, .Board = uint8_t(n % 2 + 1)});
    WriteBase(dir.Path(), letters);
    // Only files that have not changed for a while are shared.
    auto settle = [] {
        std::this_thread::sleep_for(std::chrono::nanoseconds(shared_blocks::SettleNs) + std::chrono::milliseconds(100));
    };
    settle();
    auto walk = [](HudsonMsgBase& base, bool fromStart) {
        std::vector<std::string> seen;
        for (fromStart ? base.SeekFirst(1) : base.SeekNext(); base.SeekFound(); base.SeekNext()) {
            base.LoadHeader();
            const LetterHeader header = base.Header();
            seen.push_back(std::to_string(header.Number) + (header.Flags.Has(LetterFlag::Read) ? " read" : ""));
        }
        return seen;
    };
    auto markRead = [&](int position) { PatchFileBytes(dir / "msghdr.bbs", position * 187 + 24, "\x80"); };
    auto first = Board(dir.Path(), 2);
    ASSERT_EQ(first->OpenBase(), 0);
    EXPECT_EQ(walk(*first, true), (std::vector<std::string>{"1", "3", "5"}));

    markRead(1);
    settle();
    auto second = Board(dir.Path(), 1);
    ASSERT_EQ(second->OpenBase(), 0);
    second->SeekFirst(1);
    second->LoadHeader();
    EXPECT_TRUE(second->Header().Flags.Has(LetterFlag::Read)) << "letter 2, changed after the first board read its block";

    markRead(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(BlockReader::MaxBlockAge + 10));
    EXPECT_EQ(walk(*second, false), (std::vector<std::string>{"4 read", "6"}));
}
