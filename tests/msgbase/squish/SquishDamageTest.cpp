// Damaged bases built byte by byte: reading never crashes, never reads
// outside a buffer and never loops; writing never lands on a letter.
#include <gtest/gtest.h>

#include <filesystem>

#include "SquishBytes.h"
#include "support/LetterWriter.h"

namespace {

const std::string HelloText = std::string("Hello\r") + '\0';
// A letter frame at 256 holding "Hello" from the given sender.
std::string LetterAt256(uint32_t next = 0, uint32_t prev = 0)
{
    return FrameBytes(next, prev, 245, 245, 0) + MessageBytes("John") + HelloText;
}

struct Damaged {
    TempDir dir;
    std::string path = dir / "b";
    Damaged(const std::string& sqd, const std::string& sqi)
    {
        WriteFileBytes(path + ".sqd", sqd);
        WriteFileBytes(path + ".sqi", sqi);
    }
    std::string Sqd() const { return ReadFileBytes(path + ".sqd"); }
};

std::vector<std::string> Lines(MsgBase& base)
{
    std::vector<std::string> lines;
    base.LoadHeader();
    base.StartText();
    while (!base.TextEnded())
        lines.push_back(base.ReadLine(65535));
    return lines;
}

}  // namespace

TEST(SquishDamage, ImpossibleBaseHeadersAreRefused)
{
    for (auto [len, frameHeader, expected] : {std::tuple<uint16_t, uint16_t, Status>{400, 28, SquishBadHeader},
                                              {100, 28, SquishBadHeader}, {256, 10, SquishBadHeader}, {0, 0, 0}}) {
        SqdHeader h{.len = len, .frameHeader = frameHeader};
        Damaged d(HeaderBytes(h) + std::string(100, '\0'), "");
        EXPECT_EQ(OpenSquish(d.path).open, expected) << len << " " << frameHeader;
    }
    Damaged shortFile(HeaderBytes({}).substr(0, 100), "");
    EXPECT_EQ(OpenSquish(shortFile.path).open, SquishShortRead);
    Damaged noIndex(HeaderBytes({}), "");
    std::filesystem::remove(noIndex.path + ".sqi");
    EXPECT_EQ(OpenSquish(noIndex.path).open, SquishNoIndexFile);
}

TEST(SquishDamage, IndexRecordsNamingFramesOutsideTheFileOrNoFrame)
{
    // 2 lies past the end, 3 inside the base header, 4 inside letter 1.
    SqdHeader h{.num = 4, .uid = 5, .begin = 256, .last = 256, .end = 529};
    Damaged d(HeaderBytes(h) + LetterAt256(),
              IndexBytes(256, 1) + IndexBytes(99999, 2) + IndexBytes(10, 3) + IndexBytes(260, 4));
    OpenSquish s(d.path);
    ASSERT_EQ(s.open, 0);
    EXPECT_EQ(Walk(s.base), "1 2 3 4 ");
    EXPECT_EQ(Lines(s.base).size(), 0u) << "walked past the end";
    s.base.SeekFirst(1);
    EXPECT_EQ(Lines(s.base), std::vector<std::string>{"Hello"});
    for (Num broken : {2u, 3u}) {
        s.base.SeekFirst(broken);
        EXPECT_TRUE(Lines(s.base).empty());
        EXPECT_NE(s.base.HeaderStatus(), 0) << broken;
        EXPECT_EQ(s.base.Header().From, "") << "nothing of the letter read before";
    }
    const std::string frames = d.Sqd().substr(256);
    for (Num broken : {2u, 3u, 4u}) {
        s.base.SeekFirst(broken);
        s.base.LoadHeader();
        EXPECT_EQ(RewriteChanged(s.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }),
                  SquishNoSuchLetter)
            << broken;
        ASSERT_EQ(s.base.DeleteLetter(), 0) << "a letter without a frame can still be removed";
    }
    EXPECT_EQ(Walk(s.base), "1 ");
    EXPECT_EQ(d.Sqd().substr(256), frames) << "no frame was touched";
}

TEST(SquishDamage, ImpossibleLengthsAndTruncatedFiles)
{
    // Letter 1 claims 4 GB and control information longer than its body; the
    // file ends inside it. Letter 2's length is below a message header.
    std::string body = "\x01MSGID: 1:2/3 4\x01PID: x";
    SqdHeader h{.num = 3, .uid = 4, .begin = 256, .last = 256};
    std::string second = FrameBytes(0, 0, 238, 100, 0) + MessageBytes("Two");
    std::string first = FrameBytes(0, 0, 0xFFFFFFF0, 0xFFFFFFF0, 0, 0xFFFFFF00) + MessageBytes("One") + body;
    Damaged d(HeaderBytes(h) + second + first.substr(0, 28 + 238) + body,
              IndexBytes(256, 1) + IndexBytes(256 + 266, 2) + IndexBytes(256 + 266 + 266 + 10, 3) + "\x01\x02");
    OpenSquish s(d.path);
    ASSERT_EQ(s.open, 0);
    s.base.SeekFirst(2);
    EXPECT_EQ(Lines(s.base), (std::vector<std::string>{"\x01MSGID: 1:2/3 4", "\x01PID: x"}));
    s.base.SeekFirst(1);
    EXPECT_TRUE(Lines(s.base).empty());
    s.base.SeekFirst(3);
    EXPECT_TRUE(Lines(s.base).empty()) << "its headers lie past the end of the file";
    EXPECT_EQ(s.base.HeaderStatus(), SquishShortRead);
    EXPECT_EQ(s.base.Header().From, "");

    // The index is shorter than num_msg says (a torn record at its end):
    // only whole records are letters, and the next letter goes after them.
    Damaged t(HeaderBytes(h) + LetterAt256(), IndexBytes(256, 1) + "\x01\x02\x03");
    OpenSquish u(t.path);
    EXPECT_EQ(Walk(u.base), "1 ");
    ASSERT_EQ(Post(u.base, "Ann", "New\r"), 0);
    EXPECT_EQ(Walk(u.base), "1 4 ");
    EXPECT_EQ(ReadFileBytes(t.path + ".sqi"), IndexBytes(256, 1) + IndexBytes(529, 4));
}

TEST(SquishDamage, LoopingOrWrongFreeChainsNeverReuseAFrameTwice)
{
    // Free frames A (529) and B (829) point at each other in both directions;
    // end_frame claims less than the file holds.
    const uint32_t a = 529, b = 829;
    SqdHeader h{.num = 1, .uid = 2, .begin = 256, .last = 256, .free = a, .lastFree = b, .end = 256};
    std::string freeFrame = std::string(272, 'z');
    Damaged d(HeaderBytes(h) + LetterAt256() + FrameBytes(b, b, 272, 0, 1) + freeFrame + FrameBytes(a, a, 272, 0, 1) + freeFrame,
              IndexBytes(256, 1));
    OpenSquish s(d.path);
    const auto size = d.Sqd().size();
    for (const char* text : {"first\r", "second\r", "third\r"})
        ASSERT_EQ(Post(s.base, "A", text), 0);
    EXPECT_EQ(d.Sqd().size(), size + 28 + 238 + 7) << "two frames reused, the third appended";
    EXPECT_EQ(Walk(s.base), "1 2 3 4 ");
    std::vector<std::string> texts;
    for (Num n : {1u, 2u, 3u, 4u}) {
        s.base.SeekFirst(n);
        texts.push_back(Lines(s.base).at(0));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Hello", "first", "second", "third"}));
    const std::string sqd = d.Sqd();
    EXPECT_EQ(GetLe32(sqd, 112), 0u) << "free chain emptied";
    EXPECT_EQ(GetLe32(sqd, 116), 0u);

    // A free chain that leads into a letter: the letter is not taken.
    SqdHeader w{.num = 1, .uid = 2, .begin = 256, .last = 256, .free = 256, .lastFree = 256, .end = 529};
    Damaged e(HeaderBytes(w) + LetterAt256(), IndexBytes(256, 1));
    OpenSquish t(e.path);
    ASSERT_EQ(Post(t.base, "A", "x\r"), 0);
    t.base.SeekFirst(1);
    EXPECT_EQ(Lines(t.base), std::vector<std::string>{"Hello"});
    EXPECT_EQ(GetLe32(e.Sqd(), 256 + 4), 529u) << "linked to the new frame";
}

TEST(SquishDamage, ABaseThatCannotGrowPastFourGigabytesRefusesTheLetter)
{
    SqdHeader h;
    Damaged d(HeaderBytes(h), "");
    std::filesystem::resize_file(d.path + ".sqd", 0xFFFFFF00u);  // sparse
    OpenSquish s(d.path);
    EXPECT_EQ(Post(s.base, "A", "x\r"), SquishBaseFull);
    EXPECT_EQ(std::filesystem::file_size(d.path + ".sqd"), 0xFFFFFF00u);
    std::string header(256, '\0');
    ASSERT_EQ(LoadFile(d.path + ".sqd", header.data(), 256), 0);
    EXPECT_EQ(header, HeaderBytes(h));
}
