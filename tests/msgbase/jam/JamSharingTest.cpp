// A JAM base shared with other programs: the lock on byte 0 of .jhr, two
// objects on one base, and writes that fail half-way. (The tossers' classic
// fcntl locks conflict with the base's locks as these do; the interoperability
// tests run the tossers themselves.)
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "msgbase/BlockReader.h"
#include "msgbase/FileFaults.h"
#include "msgbase/jam/JamMsgBase.h"
#include "support/LetterWriter.h"
#include "support/SharingTests.h"
#include "support/TestSupport.h"

namespace {

// A lock on byte 0 of a file through a file description of its own, as
// another program holds it while it writes; -1 when the byte is locked.
int LockByteZero(const std::string& path)
{
    int fd = open(path.c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_len = 1;
    if (fcntl(fd, F_OFD_SETLK, &fl) == 0)
        return fd;
    close(fd);
    return -1;
}

bool LockByteFree(const std::string& path)
{
    int fd = LockByteZero(path);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

struct Base {
    JamMsgBase base;
    explicit Base(const std::string& path)
    {
        base.SetBasePath(path);
        if (!base.BaseExists()) {
            EXPECT_EQ(base.CreateBase(0, 0), 0);
        }
        EXPECT_EQ(base.OpenBase(), 0);
    }
    Status Write(const std::string& text)
    {
        {
            LetterHeader header;
            header.To = "All";
            base.StartNewLetter(header);
        }
        base.WriteText(text);
        return base.WriteLetter();
    }
    void Load(Num number)
    {
        base.SeekFirst(number);
        base.LoadHeader();
    }
};

std::string Files(const TempDir& dir)
{
    return ReadFileBytes(dir / "echo.jhr") + "|" + ReadFileBytes(dir / "echo.jdt") + "|" +
           ReadFileBytes(dir / "echo.jdx");
}

}  // namespace

TEST(JamSharing, NothingIsWrittenWhileAnotherProgramHoldsTheLock)
{
    TempDir dir;
    Base b(dir / "echo");
    ASSERT_EQ(b.Write("first\r"), 0);
    const std::string before = Files(dir);
    int tosser = LockByteZero(dir / "echo.jhr");
    ASSERT_GE(tosser, 0);
    EXPECT_EQ(b.Write("second\r"), JamLockFailed);
    b.Load(1);
    EXPECT_EQ(RewriteChanged(b.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), JamLockFailed);
    EXPECT_EQ(b.base.DeleteLetter(), JamLockFailed);
    EXPECT_FALSE(b.base.LockBase());
    EXPECT_TRUE(Files(dir) == before);
    close(tosser);
    EXPECT_EQ(b.Write("second\r"), 0);
    EXPECT_EQ(b.base.GetNumber(), 2u);
}

TEST(JamSharing, TheLockNestsAndTheCountersAreReadUnderIt)
{
    TempDir dir;
    Base a(dir / "echo"), b(dir / "echo");
    ASSERT_EQ(b.Write("by the other\r"), 0);
    EXPECT_EQ(a.base.CountLetters(), 0u) << "as read when the base was opened";

    ASSERT_TRUE(a.base.LockBase());
    EXPECT_EQ(a.base.CountLetters(), 1u) << "read afresh under the lock";
    ASSERT_TRUE(a.base.LockBase());
    ASSERT_EQ(a.Write("mine\r"), 0);
    EXPECT_TRUE(a.base.UnlockBase());
    EXPECT_FALSE(LockByteFree(dir / "echo.jhr"));
    EXPECT_EQ(GetLe32(ReadFileBytes(dir / "echo.jhr"), 12), 1u) << "written back only when the outermost lock goes";
    EXPECT_TRUE(a.base.UnlockBase());
    EXPECT_TRUE(LockByteFree(dir / "echo.jhr"));
    EXPECT_EQ(GetLe32(ReadFileBytes(dir / "echo.jhr"), 12), 2u);
    EXPECT_FALSE(a.base.UnlockBase()) << "not locked";
}

TEST(JamSharing, RewritingKeepsTheOtherObjectsChanges)
{
    TempDir dir;
    Base a(dir / "echo"), b(dir / "echo");
    ASSERT_EQ(a.Write("one\r"), 0);
    ASSERT_EQ(b.Write("two\r"), 0);
    EXPECT_EQ(b.base.GetNumber(), 2u);

    a.Load(1);
    b.Load(1);
    ASSERT_EQ(RewriteChanged(b.base,
                             [&](LetterHeader& h) {
                                 h.Flags.Set(LetterFlag::Sent, true);
                                 h.FirstReply = 2;
                             }),
              0);
    ASSERT_EQ(RewriteChanged(a.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    Base c(dir / "echo");
    c.Load(1);
    EXPECT_TRUE(c.base.Header().Flags.Has(LetterFlag::Read));
    EXPECT_TRUE(c.base.Header().Flags.Has(LetterFlag::Sent));
    EXPECT_EQ(c.base.Header().FirstReply, 2u);

    a.Load(2);
    b.Load(2);
    ASSERT_EQ(b.base.DeleteLetter(), 0);
    const std::string before = Files(dir);
    EXPECT_EQ(RewriteChanged(a.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), JamBadReference)
        << "the letter is gone";
    EXPECT_EQ(a.base.DeleteLetter(), 0) << "deleted already: nothing left to do";
    EXPECT_TRUE(Files(dir) == before);
    EXPECT_EQ(c.base.CountLetters(), 2u);
    c.base.LockBase();
    EXPECT_EQ(c.base.CountLetters(), 1u);
    c.base.UnlockBase();
}

TEST(JamSharing, AWriteThatFailsHalfWayLeavesNoTrace)
{
    TempDir dir;
    Base b(dir / "echo");
    ASSERT_EQ(b.Write("first\r"), 0);
    const std::string before = Files(dir);
    const rlim_t jhrSize = ReadFileBytes(dir / "echo.jhr").size();

    // Files may not grow past a limit: first the text cannot be written,
    // then (with a short text) the header cannot.
    auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = jhrSize + 40;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Status longText = b.Write(std::string(5000, 'x'));
    Status shortText = b.Write("y\r");
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_NE(longText, 0);
    EXPECT_NE(shortText, 0);
    EXPECT_TRUE(Files(dir) == before);
    EXPECT_TRUE(LockByteFree(dir / "echo.jhr"));
    ASSERT_EQ(b.Write("second\r"), 0);
    EXPECT_EQ(b.base.GetNumber(), 2u);
}

TEST(JamSharing, ADeleteThatCannotWriteItsIndexOrHeaderChangesNothing)
{
    // The first two changes of a deletion fail in turn (the index record, as
    // when .jdx may not be written, and the header's Deleted bit).
    for (uint64_t step : {1u, 2u}) {
        TempDir dir;
        Base b(dir / "echo");
        ASSERT_EQ(b.Write("first\r"), 0);
        const std::string before = Files(dir);
        b.Load(1);
        ArmFileFault(step, FileFault::Fail, 5);
        Status status = b.base.DeleteLetter();
        DisarmFileFault();
        EXPECT_EQ(status, 5) << step;
        EXPECT_TRUE(Files(dir) == before) << "step " << step << ": not marked deleted, the count not lowered";
        EXPECT_TRUE(LockByteFree(dir / "echo.jhr"));
        Base other(dir / "echo");
        other.Load(1);
        EXPECT_TRUE(other.base.SeekFound());
        EXPECT_FALSE(other.base.Header().Flags.Has(LetterFlag::Deleted)) << step;
    }
}

TEST(JamSharing, SeveralWritersAndAReaderAtOnce)
{
    TempDir dir;
    { Base create(dir / "echo"); }
    constexpr int Writers = 3, LettersEach = 15;
    auto writer = [&](int w, std::ostream&) {
        JamMsgBase base;
        base.SetBasePath(dir / "echo");
        if (base.OpenBase() != 0)
            return 1;
        for (int i = 0; i < LettersEach; ++i) {
            Status status = JamLockFailed;
            for (int attempt = 0; attempt < 200 && status == JamLockFailed; ++attempt) {
                {
                    LetterHeader header;
                    header.To = "All";
                    base.StartNewLetter(header);
                }
                base.WriteText("w" + std::to_string(w) + " " + std::to_string(i) + "\r");
                status = base.WriteLetter();
            }
            if (status != 0)
                return 2;
        }
        return 0;
    };
    // The reader walks the base over and over while the writers write: every
    // letter it meets is whole.
    auto reader = [&] {
        JamMsgBase base;
        base.SetBasePath(dir / "echo");
        ASSERT_EQ(base.OpenBase(), 0);
        for (base.SeekFirst(1); base.SeekFound(); base.SeekNext()) {
            base.LoadHeader();
            base.StartText();
            std::string line = base.ReadLine(65535);
            EXPECT_TRUE(base.HeaderStatus() == 0 && base.Header().To == "All" && line.size() >= 4 && line[0] == 'w')
                << base.GetNumber();
        }
    };
    WritersAndAReader(Writers, writer, reader);

    Base check(dir / "echo");
    std::multiset<std::string> texts;
    Num expected = 1;
    for (check.base.SeekFirst(1); check.base.SeekFound(); check.base.SeekNext(), ++expected) {
        EXPECT_EQ(check.base.GetNumber(), expected) << "numbers follow each other";
        check.base.LoadHeader();
        check.base.StartText();
        texts.insert(check.base.ReadLine(65535));
    }
    for (int w = 0; w < Writers; ++w)
        for (int i = 0; i < LettersEach; ++i)
            EXPECT_EQ(texts.count("w" + std::to_string(w) + " " + std::to_string(i)), 1u) << w << " " << i;
    EXPECT_EQ(texts.size(), std::size_t(Writers * LettersEach));
    check.base.LockBase();
    EXPECT_EQ(check.base.CountLetters(), uint32_t(Writers * LettersEach));
    check.base.UnlockBase();
}

namespace {

// Three letters, and a walk that stands on the first: its blocks hold the
// index records and headers of all three.
struct WalkedBase {
    TempDir dir;
    Base writer{dir / "echo"};
    Base walker{dir / "echo"};
    WalkedBase()
    {
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(writer.Write("letter\r"), 0);
        walker.Load(1);
    }
};

}  // namespace

// What other base objects of this process change meanwhile is never served
// from a walk's blocks.
TEST(JamSharing, AWalkSeesWhatOtherObjectsChangeMeanwhile)
{
    WalkedBase b;
    Base& writer = b.writer;
    Base& walker = b.walker;
    writer.Load(3);
    ASSERT_EQ(RewriteChanged(writer.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    writer.Load(2);
    ASSERT_EQ(writer.base.DeleteLetter(), 0);
    ASSERT_EQ(writer.Write("fourth\r"), 0);

    std::vector<std::string> seen;
    for (walker.base.SeekNext(); walker.base.SeekFound(); walker.base.SeekNext()) {
        walker.base.LoadHeader();
        seen.push_back(std::to_string(walker.base.GetNumber()) +
                       (walker.base.Header().Flags.Has(LetterFlag::Read) ? " read" : ""));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"3 read", "4"}));
}

namespace {

// The header offset of a letter as .jdx names it.
uint32_t HeaderOffset(const TempDir& dir, Num number)
{
    return GetLe32(ReadFileBytes(dir / "echo.jdx"), (number - 1) * 8 + 4);
}

// Another program (a tosser, a second reader) sets the Read bit of a letter.
void MarkReadOnDisk(const TempDir& dir, Num number)
{
    const uint32_t header = HeaderOffset(dir, number);
    const uint32_t attribute = GetLe32(ReadFileBytes(dir / "echo.jhr"), header + 52);
    PatchFileBytes(dir / "echo.jhr", header + 52, Le32(attribute | 0x10000000));
}

}  // namespace

TEST(JamSharing, WhatAnotherProgramRewritesIsReadByTheNextWalkAndOnceTheBlocksAreOld)
{
    WalkedBase b;
    const TempDir& dir = b.dir;
    Base& walker = b.walker;
    MarkReadOnDisk(dir, 2);
    walker.Load(2);
    EXPECT_TRUE(walker.base.Header().Flags.Has(LetterFlag::Read)) << "a new walk reads the files afresh";

    MarkReadOnDisk(dir, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(BlockReader::MaxBlockAge + 10));
    walker.base.SeekNext();
    walker.base.LoadHeader();
    EXPECT_EQ(walker.base.GetNumber(), 3u);
    EXPECT_TRUE(walker.base.Header().Flags.Has(LetterFlag::Read)) << "blocks past their age are read again";
}

// Another program rebuilds the base while a walk reads it (a pack): letter 2
// is gone and letter 3 now lies where letter 2's header was. The walk may
// still show letter 2 as it was, but never letter 2's old header as letter 3.
TEST(JamSharing, AWalkNeverTakesAHeaderFromBytesOlderThanItsIndexRecord)
{
    TempDir dir;
    {
        Base writer(dir / "echo");
        for (const char* subject : {"one", "two"}) {
            {
                LetterHeader header;
                header.To = "All";
                header.Subject = subject;
                writer.base.StartNewLetter(header);
            }
            writer.base.WriteText("text\r");
            ASSERT_EQ(writer.base.WriteLetter(), 0);
        }
    }
    Base walker(dir / "echo");
    walker.Load(1);

    const uint32_t second = HeaderOffset(dir, 2);
    std::string header = ReadFileBytes(dir / "echo.jhr").substr(second);
    const std::size_t subject = header.find("two");
    ASSERT_NE(subject, std::string::npos);
    header.replace(subject, 3, "six");
    header.replace(48, 4, Le32(3));  // MessageNumber
    PatchFileBytes(dir / "echo.jhr", second, header);
    const std::string index = ReadFileBytes(dir / "echo.jdx");
    PatchFileBytes(dir / "echo.jdx", 8, Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + index.substr(8, 8));

    walker.base.SeekNext();
    walker.base.LoadHeader();
    if (walker.base.GetNumber() == 2) {  // the index as it was: letter 2 as it was
        EXPECT_EQ(walker.base.Header().Subject, "two");
        walker.base.SeekNext();
        walker.base.LoadHeader();
    }
    EXPECT_EQ(walker.base.GetNumber(), 3u);
    EXPECT_EQ(walker.base.Header().Subject, "six");
}
