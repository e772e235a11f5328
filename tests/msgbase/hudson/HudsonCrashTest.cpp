// Writers that die part way, and several writers at once: whatever they
// leave, the next object opens every board, posts, and finds every letter
// that was saved, once, under its own number.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "HudsonTestBases.h"
#include "msgbase/FileFaults.h"
#include "support/SharingTests.h"
#include "support/TestSupport.h"

using namespace hudson_test;

namespace {

// Letter number -> raw text, over the given boards; numbers seen twice fail.
std::map<Num, std::string> LettersOf(const std::string& dir, std::initializer_list<int> boards)
{
    std::map<Num, std::string> letters;
    for (int board : boards) {
        auto base = Board(dir, board);
        EXPECT_EQ(base->OpenBase(), 0) << board;
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
            base->LoadHeader();
            EXPECT_EQ(base->HeaderStatus(), 0) << base->GetNumber();
            EXPECT_TRUE(letters.emplace(base->GetNumber(), RawText(*base)).second)
                << "number " << base->GetNumber() << " twice";
        }
    }
    return letters;
}

std::vector<uint16_t> ExportList(const std::string& dir)
{
    std::string bytes = ReadFileBytes(dir + "/echomail.bbs");
    std::vector<uint16_t> positions;
    for (std::size_t i = 0; i + 2 <= bytes.size(); i += 2)
        positions.push_back(GetLe16(bytes, i));
    return positions;
}

}  // namespace

TEST(HudsonCrash, APostKilledAtAnyStepLosesNothingAndTheNextPostSucceeds)
{
    const std::vector<Letter> before = {Letter{.Number = 1, .Text = "one\r"}, Letter{.Number = 2, .Board = 2, .Text = "two\r"},
                                        Letter{.Number = 3, .Text = "three\r", .Deleted = true},
                                        Letter{.Number = 4, .Text = "four\r"}};
    uint64_t step = 1;
    for (;; ++step) {
        TempDir dir;
        WriteBase(dir.Path(), before);
        bool killed = false;
        {
            auto writer = Board(dir.Path(), 1);
            ASSERT_EQ(writer->OpenBase(), 0);
            ArmFileFault(step, FileFault::Crash);
            Post(*writer, "All", "killed\r");
            killed = FileFaultCrashed();
            writer.reset();  // a killed process writes nothing more
            DisarmFileFault();
        }
        if (!killed)
            break;  // the post got through every step

        for (int board = 1; board <= 200; ++board)
            ASSERT_EQ(Board(dir.Path(), board)->OpenBase(), 0) << "step " << step << ", board " << board;
        auto next = Board(dir.Path(), 2);
        ASSERT_EQ(next->OpenBase(), 0);
        ASSERT_EQ(Post(*next, "All", "next\r"), 0) << "step " << step;
        Num nextNumber = next->GetNumber();

        std::map<Num, std::string> letters = LettersOf(dir.Path(), {1, 2});
        std::map<Num, std::string> expected = {{1, "one\r"}, {2, "two\r"}, {4, "four\r"}, {nextNumber, "next\r"}};
        // The killed letter is either not there or there whole, under one number below the next one's.
        for (auto& [number, text] : letters)
            if (text == "killed\r" && number < nextNumber)
                expected[number] = text;
        EXPECT_EQ(letters, expected) << "step " << step;

        std::string info = ReadFileBytes(dir / "msginfo.bbs");
        EXPECT_EQ(GetLe16(info, 2), nextNumber) << "highest number, step " << step;
        EXPECT_EQ(GetLe16(info, 4), letters.size()) << "total, step " << step;
        EXPECT_EQ(GetLe16(info, 6) + GetLe16(info, 8), letters.size()) << "boards 1 and 2, step " << step;
        // Each letter waiting for export is listed once.
        std::vector<uint16_t> exports = ExportList(dir.Path());
        EXPECT_EQ(exports.size(), letters.size() - 3) << "step " << step;
        EXPECT_EQ(std::set<uint16_t>(exports.begin(), exports.end()).size(), exports.size()) << "step " << step;
    }
    EXPECT_GE(step, 7u) << "text, header, recipient, index, export list and counters are each a step";
}

TEST(HudsonCrash, SeveralWritersAndAReaderAtOnce)
{
    TempDir dir;
    WriteBase(dir.Path(), {Letter{.Number = 1, .Text = "w0 0\r"}});
    constexpr int Writers = 3, LettersEach = 15;
    auto writer = [&](int w, std::ostream&) {
        auto base = Board(dir.Path(), w + 1);
        if (base->OpenBase() != 0)
            return 1;
        for (int i = 0; i < LettersEach; ++i) {
            Status status = HudsonLockFailed;
            for (int attempt = 0; attempt < 200 && status == HudsonLockFailed; ++attempt)
                status = Post(*base, "All", "w" + std::to_string(w + 1) + " " + std::to_string(i) + "\r");
            if (status != 0)
                return 2;
        }
        return 0;
    };
    // The reader walks every board over and over while the writers write:
    // every letter it meets is whole.
    auto reader = [&] {
        for (int board = 1; board <= Writers; ++board) {
            auto base = Board(dir.Path(), board);
            ASSERT_EQ(base->OpenBase(), 0);
            for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
                base->LoadHeader();
                std::string text = RawText(*base);
                EXPECT_TRUE(base->HeaderStatus() == 0 && text.size() >= 4 && text[0] == 'w' && text.back() == '\r')
                    << board << " " << base->GetNumber();
            }
        }
    };
    WritersAndAReader(Writers, writer, reader);

    std::map<Num, std::string> letters = LettersOf(dir.Path(), {1, 2, 3});
    std::multiset<std::string> texts;
    for (auto& [number, text] : letters)
        texts.insert(text);
    for (int w = 1; w <= Writers; ++w)
        for (int i = 0; i < LettersEach; ++i)
            EXPECT_EQ(texts.count("w" + std::to_string(w) + " " + std::to_string(i) + "\r"), 1u) << w << " " << i;
    EXPECT_EQ(letters.size(), 1u + Writers * LettersEach);
    std::string info = ReadFileBytes(dir / "msginfo.bbs");
    EXPECT_EQ(GetLe16(info, 2), letters.rbegin()->first);
    EXPECT_EQ(GetLe16(info, 4), letters.size());
}
