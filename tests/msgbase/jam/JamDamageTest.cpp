// Damaged JAM bases, built byte by byte: reading never crashes and never
// reads outside a buffer (the sanitizers watch), every field that cannot be
// had comes back empty, and nothing is written through a broken reference.
#include <gtest/gtest.h>

#include <filesystem>

#include "msgbase/jam/JamBytes.h"
#include "msgbase/jam/JamMsgBase.h"
#include "support/LetterWriter.h"

using namespace jam_bytes;

namespace {

struct Damaged {
    TempDir dir;
    JamMsgBase base;
    Damaged(const std::vector<Letter>& letters, const std::vector<std::string>& texts)
    {
        WriteBase(dir.Path(), letters, texts);
    }
    Status Open()
    {
        base.SetBasePath(dir / "echo");
        return base.OpenBase();
    }
    std::vector<std::string> Read(Num number)
    {
        base.SeekFirst(number);
        base.LoadHeader();
        std::vector<std::string> lines;
        base.StartText();
        while (!base.TextEnded())
            lines.push_back(base.ReadLine(65535));
        return lines;
    }
    void Patch(const std::string& name, std::size_t offset, const std::string& bytes)
    {
        std::string all = ReadFileBytes(dir / name);
        all.replace(offset, bytes.size(), bytes);
        WriteFileBytes(dir / name, all);
    }
    std::string Files() const
    {
        return ReadFileBytes(dir / "echo.jhr") + ReadFileBytes(dir / "echo.jdt") + ReadFileBytes(dir / "echo.jdx");
    }
};

Letter From(const std::string& name, const std::string& extra = "")
{
    Letter l;
    l.Subfields = Subfield(2, name) + extra;
    return l;
}

}  // namespace

TEST(JamDamage, SubfieldsThatClaimMoreThanTheHeaderHolds)
{
    Letter beyondArea = From("Half", Le16(3) + Le16(0) + Le32(1000) + "abc");
    Letter hugeLength = From("Huge", Le16(7) + Le16(0) + Le32(0xFFFFFFFF) + "x");
    Letter cutHead = From("Cut", Le16(4) + Le16(0));
    Letter pastFile = From("Last", Subfield(4, "2:5020/1 1"));
    pastFile.SubfieldLen = 100000;  // the last header: the file ends first
    Damaged d({beyondArea, hugeLength, cutHead, pastFile}, {"a\r", "b\r", "c\r", "d\r"});
    ASSERT_EQ(d.Open(), 0);
    EXPECT_EQ(d.Read(1), std::vector<std::string>{"a"});
    EXPECT_EQ(d.base.Header().From, "Half");
    EXPECT_EQ(d.base.Header().To, "");
    EXPECT_EQ(d.Read(2), std::vector<std::string>{"b"});
    EXPECT_EQ(d.base.Header().From, "Huge");
    EXPECT_EQ(d.Read(3), std::vector<std::string>{"c"});
    EXPECT_EQ(d.base.Header().From, "Cut");
    EXPECT_EQ(d.Read(4), (std::vector<std::string>{"\x01MSGID: 2:5020/1 1", "d"}));
    EXPECT_EQ(d.base.Header().From, "Last");
}

TEST(JamDamage, TextsBeyondTheTextFile)
{
    Damaged d({From("A"), From("B"), From("C")}, {"one\r", "two\r", "three\r"});
    const std::size_t size = 76 + 9;  // each header
    d.Patch("echo.jhr", 1024 + 64, Le32(1000000));                      // letter 1: TxtLen far beyond .jdt
    d.Patch("echo.jhr", 1024 + size + 60, Le32(0xFFFFFFF0));              // letter 2: TxtOffset far beyond
    d.Patch("echo.jhr", 1024 + 2 * size + 60, Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF));  // letter 3: both at the top
    ASSERT_EQ(d.Open(), 0);
    EXPECT_EQ(d.Read(1), (std::vector<std::string>{"one", "two", "three"})) << "up to the end of .jdt";
    EXPECT_EQ(d.Read(2), std::vector<std::string>{});
    EXPECT_EQ(d.Read(3), std::vector<std::string>{});
}

TEST(JamDamage, IndexRecordsThatPointNowhere)
{
    Letter read = From("Reader");
    read.Attribute = 0x10000000;
    Damaged d({read, From("Lost"), From("Inside"), From("After")}, {"r\r", "l\r", "i\r", "a\r"});
    d.Patch("echo.jdx", 8, IndexRecord(0x1234, 999999));  // past the end of .jhr
    d.Patch("echo.jdx", 16, IndexRecord(0x1234, 16));     // into the base header
    ASSERT_EQ(d.Open(), 0);
    std::vector<Num> walked;
    for (d.base.SeekFirst(1); d.base.SeekFound(); d.base.SeekNext())
        walked.push_back(d.base.GetNumber());
    EXPECT_EQ(walked, (std::vector<Num>{1, 2, 3, 4}));

    d.Read(1);
    EXPECT_TRUE(d.base.Header().Flags.Has(LetterFlag::Read));
    EXPECT_EQ(d.base.HeaderStatus(), 0);
    for (Num broken : {2u, 3u}) {
        EXPECT_EQ(d.Read(broken), std::vector<std::string>{});
        EXPECT_EQ(d.base.HeaderStatus(), JamBadReference) << "an error for this letter";
        EXPECT_EQ(d.base.Header().From, "");
        EXPECT_FALSE(d.base.Header().Flags.Has(LetterFlag::Read))
            << "nothing of the letter loaded before shows through";
        const std::string before = d.Files();
        EXPECT_EQ(RewriteChanged(d.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }),
                  JamBadReference);
        EXPECT_EQ(d.base.DeleteLetter(), JamBadReference);
        EXPECT_TRUE(d.Files() == before);
    }
    EXPECT_EQ(d.Read(4), std::vector<std::string>{"a"});
}

TEST(JamDamage, TruncatedFiles)
{
    Damaged d({From("A"), From("B")}, {"a\r", "b\r"});
    std::string jhr = ReadFileBytes(d.dir / "echo.jhr");
    WriteFileBytes(d.dir / "echo.jhr", jhr.substr(0, jhr.size() - 60));  // letter 2 cut inside its fixed part
    WriteFileBytes(d.dir / "echo.jdx", ReadFileBytes(d.dir / "echo.jdx") + "\x01\x02\x03");  // a partial record
    ASSERT_EQ(d.Open(), 0);
    EXPECT_EQ(d.base.GetHighNumber(), 2u);
    EXPECT_EQ(d.Read(2), std::vector<std::string>{});
    EXPECT_NE(d.base.HeaderStatus(), 0) << "a short read";
    EXPECT_EQ(d.base.Header().From, "");

    {
        LetterHeader header;
        header.To = "All";
        d.base.StartNewLetter(header);
    }
    ASSERT_EQ(d.base.WriteLetter(), 0);
    EXPECT_EQ(d.base.GetNumber(), 3u);
    EXPECT_EQ(ReadFileBytes(d.dir / "echo.jdx").size(), 24u) << "the new record replaces the partial one";
    EXPECT_EQ(GetLe32(ReadFileBytes(d.dir / "echo.jdx"), 20), jhr.size() - 60);

    WriteFileBytes(d.dir / "short.jhr", jhr.substr(0, 500));  // a base header of the wrong size
    WriteFileBytes(d.dir / "short.jdt", "");
    WriteFileBytes(d.dir / "short.jdx", "");
    JamMsgBase shortBase;
    shortBase.SetBasePath(d.dir / "short");
    EXPECT_EQ(shortBase.OpenBase(), JamBadReference);
}

TEST(JamDamage, BaseNumberZeroStillNumbersFromOne)
{
    Damaged d({From("A")}, {"a\r"});
    d.Patch("echo.jhr", 20, Le32(0));
    ASSERT_EQ(d.Open(), 0);
    d.base.SeekFirst(0);
    EXPECT_EQ(d.base.GetNumber(), 1u);
    EXPECT_EQ(d.base.GetHighNumber(), 1u);
}

TEST(JamDamage, WhatIsLeftOfABaseIsNeverMadeIntoANewOne)
{
    // The header file is gone; the index and the texts remain.
    Damaged d({From("A"), From("B")}, {"a\r", "b\r"});
    std::filesystem::remove(d.dir / "echo.jhr");
    const std::string before = d.Files();
    d.base.SetBasePath(d.dir / "echo");
    EXPECT_TRUE(d.base.BaseExists());
    EXPECT_EQ(d.base.CreateBase(0, 0), JamBaseExists);
    EXPECT_EQ(d.base.OpenBase(), 2) << "the header file is not found";
    EXPECT_FALSE(PathExists(d.dir / "echo.jhr"));
    EXPECT_TRUE(d.Files() == before);

    // Empty files left by a creation that broke off are no base: it is made.
    JamMsgBase fresh;
    fresh.SetBasePath(d.dir / "new");
    WriteFileBytes(d.dir / "new.jdt", "");
    WriteFileBytes(d.dir / "new.jdx", "");
    EXPECT_FALSE(fresh.BaseExists());
    EXPECT_EQ(fresh.CreateBase(0, 0), 0);
    EXPECT_EQ(fresh.OpenBase(), 0);
    EXPECT_EQ(fresh.CreateBase(0, 0), JamBaseExists) << "a whole base is never started afresh";
}
