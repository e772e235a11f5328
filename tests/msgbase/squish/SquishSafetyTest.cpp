// A Squish base that outlives its writers: every write broken off at any
// file change (killed, or the change refused), other programs changing the
// base meanwhile, damaged chains and indexes, and several processes at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "SquishBytes.h"
#include "core/StringHelpers.h"
#include "support/LetterWriter.h"
#include "support/SharingTests.h"

namespace {

// Every letter of the base as a fresh object reads it: number -> first text
// line, with "*" added when it is marked read. An unreadable header fails.
LetterTexts Letters(const std::string& path)
{
    OpenSquish s(path);
    EXPECT_EQ(s.open, 0);
    LetterTexts letters;
    for (s.base.SeekFirst(1); s.base.SeekFound(); s.base.SeekNext()) {
        s.base.LoadHeader();
        EXPECT_EQ(s.base.HeaderStatus(), 0) << s.base.GetNumber();
        s.base.StartText();
        std::string line = s.base.ReadLine(65535);
        EXPECT_EQ(letters.count(s.base.GetNumber()), 0u) << "listed twice: " << s.base.GetNumber();
        letters[s.base.GetNumber()] = line + (s.base.Header().Flags.Has(LetterFlag::Read) ? "*" : "");
    }
    return letters;
}

// No frame may be in the free chain and named by the index at once: the
// next letter stored would go over a letter.
bool SomeFrameFreeAndIndexed(const std::string& path)
{
    const std::string sqd = ReadFileBytes(path + ".sqd"), sqi = ReadFileBytes(path + ".sqi");
    std::set<uint32_t> indexed;
    for (std::size_t i = 0; i < std::min<std::size_t>(GetLe32(sqd, 4), sqi.size() / 12); ++i)
        indexed.insert(GetLe32(sqi, i * 12));
    std::set<uint32_t> seen;
    for (uint32_t at = GetLe32(sqd, 112); at != 0 && at + 28 <= sqd.size() && seen.insert(at).second;
         at = GetLe32(sqd, at + 4)) {
        if (GetLe16(sqd, at + 24) != 1)
            break;
        if (indexed.count(at))
            return true;
    }
    return false;
}

Status Delete(SquishMsgBase& base, Num number)
{
    base.SeekFirst(number);
    base.LoadHeader();
    return base.DeleteLetter();
}

Status MarkRead(SquishMsgBase& base, Num number)
{
    base.SeekFirst(number);
    base.LoadHeader();
    return RewriteChanged(base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); });
}

const std::string LongText(300, 'L');

// Letters 1 and 3, and a free frame where the long letter 2 was.
void MakeBase(const std::string& path)
{
    OpenSquish s(path, true);
    ASSERT_EQ(Post(s.base, "A", "one\r"), 0);
    ASSERT_EQ(Post(s.base, "A", LongText + "\r"), 0);
    ASSERT_EQ(Post(s.base, "A", "three\r"), 0);
    ASSERT_EQ(Delete(s.base, 2), 0);
}

struct Change {
    const char* name;
    std::function<Status(SquishMsgBase&)> run;
    LetterTexts after;
};

const LetterTexts Before = {{1, "one"}, {3, "three"}};

const std::vector<Change> Changes = {
    {"post into the free frame", [](SquishMsgBase& b) { return Post(b, "B", "short\r"); },
     {{1, "one"}, {3, "three"}, {4, "short"}}},
    {"post appended", [](SquishMsgBase& b) { return Post(b, "B", LongText + "LL\r"); },
     {{1, "one"}, {3, "three"}, {4, LongText + "LL"}}},
    {"delete the first", [](SquishMsgBase& b) { return Delete(b, 1); }, {{3, "three"}}},
    {"delete the last", [](SquishMsgBase& b) { return Delete(b, 3); }, {{1, "one"}}},
    {"mark read", [](SquishMsgBase& b) { return MarkRead(b, 3); }, {{1, "one"}, {3, "three*"}}},
};

}  // namespace

// Loop N = 1, 2, ... over every file change a post, a delete or a mark-read
// makes: the Nth is refused, or the process "dies" there. Afterwards the
// base holds the letters of before or of after, no frame is free and
// indexed, a refused change left the index and the size of .SQD as they
// were (a partial frame is cut off), and a new letter is stored and read
// with all the others.
TEST(SquishSafety, AChangeBrokenOffAtAnyWriteLosesNoLetter)
{
    for (const Change& change : Changes) {
        ForEveryFileChange([&](FileFault kind, uint64_t n) {
            TempDir dir;
            const std::string path = dir / "echo";
            MakeBase(path);
            const auto sqdSize = std::filesystem::file_size(path + ".sqd");
            const std::string sqi = ReadFileBytes(path + ".sqi");
            BrokenChange broken;
            {
                OpenSquish s(path);
                broken = BreakOff(change.name, kind, n, [&] { return change.run(s.base); });
            }
            const LetterTexts letters = Letters(path);
            ExpectBeforeOrAfter(broken, letters, Before, change.after);
            if (broken.Result != 0) {
                EXPECT_EQ(ReadFileBytes(path + ".sqi"), sqi) << broken.Where;
                EXPECT_EQ(std::filesystem::file_size(path + ".sqd"), sqdSize) << broken.Where << ": a partial frame is cut";
            }
            EXPECT_FALSE(SomeFrameFreeAndIndexed(path)) << broken.Where;

            OpenSquish next(path);
            EXPECT_EQ(Post(next.base, "C", "next\r"), 0) << broken.Where;
            LetterTexts expected = letters;
            expected[next.base.GetNumber()] = "next";
            EXPECT_EQ(Letters(path), expected) << broken.Where;
            EXPECT_FALSE(SomeFrameFreeAndIndexed(path)) << broken.Where;
            return broken;
        });
    }
}

TEST(SquishSafety, ACreationBrokenOffIsFinishedByTheNextOpen)
{
    for (uint64_t n = 1;; ++n) {
        TempDir dir;
        const std::string path = dir / "new/echo";
        bool struck = false;
        {
            SquishMsgBase s;
            s.SetBasePath(path);
            ArmFileFault(n, FileFault::Crash);
            if (!s.BaseExists())
                s.CreateBase(0, 0);
            struck = FileFaultCrashed();
            DisarmFileFault();
        }
        SquishMsgBase s;
        s.SetBasePath(path);
        if (!s.BaseExists()) {
            ASSERT_EQ(s.CreateBase(0, 0), 0) << n;
        }
        ASSERT_EQ(s.OpenBase(), 0) << n;
        ASSERT_EQ(Post(s, "A", "x\r"), 0) << n;
        EXPECT_EQ(Walk(s), "1 ") << n;
        if (!struck)
            break;
    }
}

TEST(SquishSafety, AnIndexWhoseBaseFileIsGoneIsNeverRebuilt)
{
    TempDir dir;
    const std::string path = dir / "echo";
    MakeBase(path);
    std::filesystem::remove(path + ".sqd");
    const std::string sqi = ReadFileBytes(path + ".sqi");
    SquishMsgBase s;
    s.SetBasePath(path);
    EXPECT_TRUE(s.BaseExists()) << "what is left of the base is a base: nobody creates one over it";
    EXPECT_EQ(s.CreateBase(0, 0), SquishPartlyMissing);
    EXPECT_EQ(s.OpenBase(), SquishPartlyMissing);
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"echo.sqi", "echo.sql"}));
    EXPECT_EQ(ReadFileBytes(path + ".sqi"), sqi);
}

// Marking read writes only the read bit into the header read again under
// the lock: a Sent bit a tosser set after the letter was loaded stays.
TEST(SquishSafety, MarkingReadKeepsWhatAnotherProgramChangedMeanwhile)
{
    TempDir dir;
    const std::string path = dir / "echo";
    MakeBase(path);
    OpenSquish mine(path);
    mine.base.SeekFirst(3);
    mine.base.LoadHeader();
    const std::string sqd = ReadFileBytes(path + ".sqd");
    const uint32_t frame = GetLe32(ReadFileBytes(path + ".sqi"), 12);
    std::string changed = sqd;
    changed.replace(frame + 28, 4, Le32(GetLe32(sqd, frame + 28) | 0x8));  // the tosser's Sent
    WriteFileBytes(path + ".sqd", changed);

    ASSERT_EQ(RewriteChanged(mine.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    OpenSquish other(path);
    other.base.SeekFirst(3);
    other.base.LoadHeader();
    EXPECT_TRUE(other.base.Header().Flags.Has(LetterFlag::Sent));
    EXPECT_TRUE(other.base.Header().Flags.Has(LetterFlag::Read));
    EXPECT_TRUE(other.base.Header().Flags.Has(LetterFlag::Local));
}

// Free chains that lead onto letters: the letter's own frame marked free and
// named by the chain, or a free frame planted inside a letter's text. The
// new letter goes to the end of the file instead.
TEST(SquishSafety, AFreeFrameOverAnIndexedLetterIsNeverReused)
{
    const std::string text = "Hello" + std::string(400, 'x') + "\r" + std::string(1, '\0');
    const uint32_t length = 238 + uint32_t(text.size());
    const std::string letter = MessageBytes("John") + text;
    const uint32_t inside = 256 + 28 + 238 + 4;
    struct Damage {
        const char* name;
        std::string sqd;
    } damages[] = {
        {"the letter's frame in the free chain",
         HeaderBytes({.num = 1, .uid = 2, .begin = 256, .last = 256, .free = 256, .lastFree = 256, .end = 256 + 28 + length}) +
             FrameBytes(0, 0, length, length, 1) + letter},
        {"a free frame inside the letter's text",
         HeaderBytes({.num = 1, .uid = 2, .begin = 256, .last = 256, .free = inside, .lastFree = inside, .end = 256 + 28 + length}) +
             FrameBytes(0, 0, length, length, 0) + letter.substr(0, 242) + FrameBytes(0, 0, 300, 0, 1) +
             letter.substr(242 + 28)},
    };
    for (const Damage& d : damages) {
        TempDir dir;
        const std::string path = dir / "b";
        WriteFileBytes(path + ".sqd", d.sqd);
        WriteFileBytes(path + ".sqi", IndexBytes(256, 1));
        OpenSquish s(path);
        ASSERT_EQ(Post(s.base, "A", "x\r"), 0) << d.name;
        EXPECT_EQ(ReadFileBytes(path + ".sqd").substr(284, d.sqd.size() - 284), d.sqd.substr(284)) << d.name;
        EXPECT_EQ(ReadFileBytes(path + ".sqi"), IndexBytes(256, 1) + IndexBytes(uint32_t(d.sqd.size()), 2)) << d.name;
        s.base.SeekFirst(1);
        s.base.LoadHeader();
        EXPECT_EQ(s.base.Header().From, "John") << d.name;
    }
}

// An index out of number order (damage, or another program's repair), with
// a number twice: every number listed reads back as its own letter, marks
// read and deletes; the first change under the lock writes the index anew
// in order, without the repeated record.
TEST(SquishSafety, LettersAreFoundByNumberWhateverTheIndexOrder)
{
    TempDir dir;
    const std::string path = dir / "echo";
    {
        OpenSquish s(path, true);
        for (const char* text : {"one\r", "two\r", "three\r"})
            ASSERT_EQ(Post(s.base, "A", text), 0);
    }
    const std::string sqi = ReadFileBytes(path + ".sqi");
    const std::string first = sqi.substr(0, 12), second = sqi.substr(12, 12), third = sqi.substr(24, 12);
    WriteFileBytes(path + ".sqi", third + first + third + second);
    std::string sqd = ReadFileBytes(path + ".sqd");
    WriteFileBytes(path + ".sqd", sqd.replace(4, 4, Le32(4)));

    EXPECT_EQ(Letters(path), (LetterTexts{{1, "one"}, {2, "two"}, {3, "three"}}));
    OpenSquish s(path);
    EXPECT_EQ(Walk(s.base), "1 2 3 ");
    EXPECT_EQ(MarkRead(s.base, 1), 0);
    EXPECT_EQ(Delete(s.base, 2), 0);
    EXPECT_EQ(ReadFileBytes(path + ".sqi"), first + third) << "written anew, in order, without the repeated record";
    EXPECT_EQ(Letters(path), (LetterTexts{{1, "one*"}, {3, "three"}}));
    ASSERT_EQ(Post(s.base, "A", "four\r"), 0);
    EXPECT_EQ(s.base.GetNumber(), 4u);
}

// Three processes store and delete letters in one base while this one reads
// it: afterwards every letter a writer reported stored and did not delete
// is there once, with its own text.
TEST(SquishSafety, SeveralWritersAndAReaderAtOnce)
{
    TempDir dir;
    const std::string path = dir / "echo";
    { OpenSquish create(path, true); }
    auto retried = [](const std::function<Status()>& change) {
        Status status = SquishNoLock;
        for (int attempt = 0; attempt < 50 && status == SquishNoLock; ++attempt)
            status = change();
        return status;
    };
    auto write = [&](int w, std::ostream& log) {
        OpenSquish s(path);
        for (int i = 0; i < 24; ++i) {
            const std::string text = Format("w%d-%d", w, i);
            if (retried([&] { return Post(s.base, "W", text + "\r"); }) != 0)
                return 2;
            const Num number = s.base.GetNumber();
            if (i % 4 == 3) {
                if (retried([&] { return Delete(s.base, number); }) != 0)
                    return 3;
                continue;
            }
            log << number << ' ' << text << '\n' << std::flush;
        }
        return 0;
    };
    auto read = [&] {
        OpenSquish r(path);
        for (r.base.SeekFirst(1); r.base.SeekFound(); r.base.SeekNext()) {
            r.base.LoadHeader();
            if (r.base.HeaderStatus() == 0) {
                EXPECT_EQ(r.base.Header().From, "W");
                r.base.StartText();
                EXPECT_EQ(r.base.ReadLine(65535).substr(0, 1), "w");
            }
        }
    };
    const LetterTexts stored = WritersAndAReader(3, write, read);
    EXPECT_EQ(stored.size(), 3u * 18);
    EXPECT_EQ(Letters(path), stored);
}
