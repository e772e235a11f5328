// Storing, deleting and rewriting letters, checked against the bytes on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SquishBytes.h"
#include "support/LetterWriter.h"

namespace {

struct NewBase {
    TempDir dir;
    std::string path = dir / "echo";
    std::string Sqd() const { return ReadFileBytes(path + ".sqd"); }
    std::string Sqi() const { return ReadFileBytes(path + ".sqi"); }
};

}  // namespace

TEST(SquishStore, NewBaseFirstLetterDeletionAndReuseByteForByte)
{
    NewBase b;
    OpenSquish s(b.path, true);
    ASSERT_EQ(s.open, 0);
    SqdHeader h;
    h.base = b.path;
    EXPECT_EQ(b.Sqd(), HeaderBytes(h));
    EXPECT_EQ(b.Sqi(), "");
    EXPECT_EQ(ReadFileBytes(b.path + ".sql"), "");
    EXPECT_EQ(s.base.GetHighNumber(), 0u);
    s.base.SeekFirst(1);
    EXPECT_FALSE(s.base.SeekFound());

    ASSERT_EQ(Post(s.base, "John", "Hello\r"), 0);  // 238 + 7 bytes with the final zero
    EXPECT_EQ(s.base.GetNumber(), 1u);
    EXPECT_EQ(s.base.GetDisplayNumber(), 1u);
    h.num = 1, h.uid = 2, h.begin = 256, h.last = 256, h.end = 256 + 28 + 245;
    const std::string letter = MessageBytes("John") + "Hello\r" + '\0';
    EXPECT_EQ(b.Sqd(), HeaderBytes(h) + FrameBytes(0, 0, 245, 245, 0) + letter);
    EXPECT_EQ(b.Sqi(), IndexBytes(256, 1));

    ASSERT_EQ(s.base.DeleteLetter(), 0);
    h.num = 0, h.begin = 0, h.last = 0, h.free = 256, h.lastFree = 256;
    EXPECT_EQ(b.Sqd(), HeaderBytes(h) + FrameBytes(0, 0, 245, 245, 1) + letter);
    EXPECT_EQ(b.Sqi(), "");
    EXPECT_EQ(s.base.GetHighNumber(), 1u) << "numbers are never given again";

    ASSERT_EQ(Post(s.base, "Ann", "Hi\r"), 0);  // shorter: takes the free frame, keeps its length
    h.num = 1, h.uid = 3, h.begin = 256, h.last = 256, h.free = 0, h.lastFree = 0;
    EXPECT_EQ(b.Sqd(), HeaderBytes(h) + FrameBytes(0, 0, 245, 242, 0) + MessageBytes("Ann") + "Hi\r" + '\0' + "o\r" + '\0');
    EXPECT_EQ(b.Sqi(), IndexBytes(256, 2));
    EXPECT_EQ(s.base.GetNumber(), 2u);
}

TEST(SquishStore, AFreeFrameOfExactlyTheLetterSizeIsNotTaken)
{
    NewBase b;
    OpenSquish s(b.path, true);
    ASSERT_EQ(Post(s.base, "John", "Hello\r"), 0);
    ASSERT_EQ(s.base.DeleteLetter(), 0);
    ASSERT_EQ(Post(s.base, "John", "World\r"), 0);
    SqdHeader h{.num = 1, .uid = 3, .begin = 529, .last = 529, .free = 256, .lastFree = 256, .end = 529 + 273, .base = b.path};
    EXPECT_EQ(b.Sqd(), HeaderBytes(h) + FrameBytes(0, 0, 245, 245, 1) + MessageBytes("John") + "Hello\r" + '\0' +
                           FrameBytes(0, 0, 245, 245, 0) + MessageBytes("John") + "World\r" + '\0');
}

TEST(SquishStore, TwoObjectsWritingTheSameFilesInTurn)
{
    NewBase b;
    OpenSquish a(b.path, true), c(b.path);
    ASSERT_EQ(c.open, 0);
    ASSERT_EQ(Post(a.base, "A", "One\r"), 0);
    ASSERT_EQ(Post(c.base, "C", "Two\r"), 0) << "the second object reads the header again under the lock";
    ASSERT_EQ(Post(a.base, "A", "Six\r"), 0);
    c.base.SeekFirst(1);
    c.base.LoadHeader();
    ASSERT_EQ(c.base.DeleteLetter(), 0);
    ASSERT_EQ(Post(a.base, "A", "4\r"), 0) << "the frame freed by the other object is reused";

    SqdHeader h{.num = 3, .uid = 5, .begin = 527, .last = 256, .end = 1069, .base = b.path};
    EXPECT_EQ(b.Sqd(), HeaderBytes(h) + FrameBytes(0, 798, 243, 241, 0) + MessageBytes("A") + "4\r" + '\0' + "\r" + '\0' +
                           FrameBytes(798, 0, 243, 243, 0) + MessageBytes("C") + "Two\r" + '\0' +
                           FrameBytes(256, 527, 243, 243, 0) + MessageBytes("A") + "Six\r" + '\0');
    EXPECT_EQ(b.Sqi(), IndexBytes(527, 2) + IndexBytes(798, 3) + IndexBytes(256, 4));
    EXPECT_EQ(Walk(c.base), "2 3 4 ");
}

// An object keeps its index between its own changes and reads it again
// only when another writer changed the base: a letter deleted and one
// stored in its frame leave the count and the index's size as they were,
// yet the first object's next marks and walks see them (alone, and in a run
// of marks under one lock).
TEST(SquishStore, AnIndexKeptBetweenChangesSeesWhatAnotherObjectChanged)
{
    NewBase b;
    OpenSquish a(b.path, true), c(b.path);
    for (const char* text : {"One\r", "Two\r", "Three\r"})
        ASSERT_EQ(Post(a.base, "A", text), 0);
    auto markRead = [&](Num number) {
        a.base.SeekFirst(number);
        a.base.LoadHeader();
        EXPECT_EQ(a.base.GetNumber(), number);
        return RewriteChanged(a.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); });
    };
    ASSERT_EQ(markRead(1), 0);

    c.base.SeekFirst(2);
    c.base.LoadHeader();
    ASSERT_EQ(c.base.DeleteLetter(), 0);
    ASSERT_EQ(Post(c.base, "C", "4\r"), 0);  // into the frame letter 2 left
    EXPECT_EQ(Walk(a.base), "1 3 4 ");
    ASSERT_EQ(markRead(4), 0);
    a.base.StartText();
    EXPECT_EQ(a.base.ReadLine(65535), "4");

    c.base.SeekFirst(1);
    c.base.LoadHeader();
    ASSERT_EQ(c.base.DeleteLetter(), 0);
    ASSERT_EQ(Post(c.base, "C", "5\r"), 0);
    ASSERT_TRUE(a.base.LockBase());
    EXPECT_EQ(markRead(3), 0);
    EXPECT_EQ(markRead(5), 0);
    EXPECT_TRUE(a.base.UnlockBase());

    OpenSquish check(b.path);
    std::string marks;
    for (check.base.SeekFirst(1); check.base.SeekFound(); check.base.SeekNext()) {
        check.base.LoadHeader();
        marks +=
            std::to_string(check.base.GetNumber()) + (check.base.Header().Flags.Has(LetterFlag::Read) ? "* " : " ");
    }
    EXPECT_EQ(marks, "3* 4* 5* ");
}

// A walk reads the headers of the letters ahead with the current one. What
// it read ahead is not shown once the walk starts again, once this object
// changed the base, nor after a pause in the walk: a header changed by
// another object meanwhile is read again.
TEST(SquishStore, HeadersReadAheadAreNotShownOnceChanged)
{
    NewBase b;
    OpenSquish a(b.path, true), c(b.path);
    for (const char* text : {"One\r", "Two\r", "Three\r", "Four\r"})
        ASSERT_EQ(Post(a.base, "A", text), 0);
    auto markRead = [](SquishMsgBase& base, Num number) {
        base.SeekFirst(number);
        base.LoadHeader();
        return RewriteChanged(base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); });
    };
    auto readMark = [&] {
        a.base.LoadHeader();
        return std::to_string(a.base.GetNumber()) + (a.base.Header().Flags.Has(LetterFlag::Read) ? "*" : "");
    };
    a.base.SeekFirst(1);
    EXPECT_EQ(readMark(), "1");
    ASSERT_EQ(markRead(c.base, 2), 0);
    a.base.SeekFirst(2);
    EXPECT_EQ(readMark(), "2*") << "a walk started again";

    a.base.SeekFirst(1);
    EXPECT_EQ(readMark(), "1");
    ASSERT_EQ(markRead(c.base, 3), 0);
    ASSERT_EQ(RewriteChanged(a.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    a.base.SeekNext();
    EXPECT_EQ(readMark(), "2*");
    a.base.SeekNext();
    EXPECT_EQ(readMark(), "3*") << "after this object's own change";

    ASSERT_EQ(markRead(c.base, 4), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    a.base.SeekNext();
    EXPECT_EQ(readMark(), "4*") << "after a pause";
}

TEST(SquishStore, AWriteWithoutTheLockChangesNothingAndCanBeRepeated)
{
    NewBase b;
    OpenSquish a(b.path, true), c(b.path);
    ASSERT_TRUE(a.base.LockBase());
    const std::string before = b.Sqd();
    EXPECT_EQ(Post(c.base, "C", "Text\r"), SquishNoLock);
    EXPECT_EQ(b.Sqd(), before);
    EXPECT_TRUE(a.base.UnlockBase());
    EXPECT_EQ(c.base.WriteLetter(), 0);
    c.base.SeekFirst(1);
    c.base.LoadHeader();
    c.base.StartText();
    EXPECT_EQ(c.base.ReadLine(65535), "Text");
    EXPECT_TRUE(c.base.TextEnded()) << "no second zero byte was stored";
}

TEST(SquishStore, RewriteHeaderKeepsLinksOthersChangedAndRefusesDeletedLetters)
{
    NewBase b;
    OpenSquish a(b.path, true), c(b.path);
    ASSERT_EQ(Post(a.base, "A", "One\r"), 0);
    a.base.SeekFirst(1);
    a.base.LoadHeader();
    ASSERT_EQ(Post(c.base, "C", "Two\r"), 0);  // links the frame a has loaded to the new one
    ASSERT_EQ(RewriteChanged(a.base,
                             [&](LetterHeader& h) {
                                 h.Flags.Set(LetterFlag::Read, true);
                                 h.Flags.Set(LetterFlag::Received, true);
                             }),
              0);
    std::string sqd = b.Sqd();
    EXPECT_EQ(GetLe32(sqd, 256 + 4), 527u) << "next_frame written by the other object survives";
    EXPECT_EQ(GetLe32(sqd, 256 + 28), 0x80000104u);
    EXPECT_EQ(b.Sqi(), IndexBytes(256, 1, 0) + IndexBytes(527, 2)) << "a received letter's hash is 0";

    c.base.SeekFirst(1);
    c.base.LoadHeader();
    ASSERT_EQ(c.base.DeleteLetter(), 0);
    sqd = b.Sqd();
    EXPECT_EQ(RewriteChanged(a.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, false); }),
              SquishNoSuchLetter);
    EXPECT_EQ(b.Sqd(), sqd);
    EXPECT_EQ(a.base.DeleteLetter(), SquishNoSuchLetter);
    EXPECT_EQ(b.Sqd(), sqd);
}

TEST(SquishStore, PurgeKeepsTheLimitAndTheSkippedLetters)
{
    NewBase b;
    SquishMsgBase s;
    s.SetBasePath(b.path);
    ASSERT_EQ(s.CreateBase(3, 0), 0);
    ASSERT_EQ(s.OpenBase(), 0);
    for (const char* text : {"1\r", "2\r", "3\r", "4\r", "5\r"})
        ASSERT_EQ(Post(s, "A", text), 0);
    EXPECT_EQ(s.GetNumber(), 5u);
    EXPECT_EQ(s.GetDisplayNumber(), 3u);
    EXPECT_EQ(Walk(s), "3 4 5 ");
    std::string sqd = b.Sqd();
    WriteFileBytes(b.path + ".sqd", sqd.replace(12, 4, Le32(1)));  // skip_msg 1
    ASSERT_EQ(Post(s, "A", "6\r"), 0);
    ASSERT_EQ(Post(s, "A", "7\r"), 0);
    EXPECT_EQ(Walk(s), "3 6 7 ");
    EXPECT_EQ(s.CountLetters(), 3u);
}

TEST(SquishStore, LargeAreasAndLongTextsAreStoredAndReadWhole)
{
    NewBase b;
    {
        OpenSquish s(b.path, true);
        ASSERT_TRUE(s.base.LockBase());
        for (int i = 1; i <= 5300; ++i)
            ASSERT_EQ(Post(s.base, "A", "Letter " + std::to_string(i) + "\r"), 0);
        ASSERT_TRUE(s.base.UnlockBase());
    }
    OpenSquish s(b.path);
    const std::string line(40000, 'x');
    std::string text;
    for (int i = 0; i < 3; ++i)
        text += std::to_string(i) + line + "\r";
    ASSERT_EQ(Post(s.base, "A", text), 0);
    EXPECT_EQ(s.base.GetNumber(), 5301u);
    EXPECT_EQ(s.base.CountLetters(), 5301u);
    OpenSquish r(b.path);
    int count = 0;
    for (r.base.SeekFirst(1); r.base.SeekFound(); r.base.SeekNext())
        ++count;
    EXPECT_EQ(count, 5301);
    r.base.SeekFirst(5250);
    r.base.LoadHeader();
    r.base.StartText();
    EXPECT_EQ(r.base.ReadLine(65535), "Letter 5250");
    r.base.SeekFirst(5301);
    r.base.LoadHeader();
    r.base.StartText();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r.base.ReadLine(65535), std::to_string(i) + line);
    EXPECT_TRUE(r.base.TextEnded());
}

TEST(SquishStore, CreateBaseNeverOverwrites)
{
    NewBase b;
    OpenSquish s(b.path, true);
    ASSERT_EQ(Post(s.base, "A", "x\r"), 0);
    const std::string sqd = b.Sqd();
    EXPECT_EQ(s.base.CreateBase(0, 0), SquishBaseOpen);
    SquishMsgBase other;
    other.SetBasePath(b.path);
    EXPECT_EQ(other.CreateBase(0, 0), SquishBaseExists);
    EXPECT_EQ(b.Sqd(), sqd);
    EXPECT_EQ(b.Sqi(), IndexBytes(256, 1));
}
