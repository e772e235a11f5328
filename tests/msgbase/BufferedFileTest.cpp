#include <gtest/gtest.h>

#include "msgbase/BufferedFile.h"
#include "support/TestSupport.h"

TEST(BufferedFile, CreatesMissingFileAndReadsBackWrites)
{
    TempDir dir;
    BufferedFile f(16);
    ASSERT_TRUE(f.OpenFile(dir / "1.msg", OpenMode::ReadWrite));
    EXPECT_TRUE(PathExists(dir / "1.msg"));
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += static_cast<char>('A' + i % 26);
    ASSERT_TRUE(f.WriteBytes(data.data(), static_cast<uint32_t>(data.size())));
    EXPECT_EQ(f.GetFileSize(), 100);
    ASSERT_TRUE(f.SeekTo(37));
    char buffer[20];
    uint32_t got = 0;
    ASSERT_TRUE(f.ReadBytes(buffer, 20, got));
    EXPECT_EQ(got, 20u);
    EXPECT_EQ(std::string(buffer, 20), data.substr(37, 20));
    ASSERT_TRUE(f.CloseFile());
    EXPECT_EQ(ReadFileBytes(dir / "1.msg"), data);
}

TEST(BufferedFile, ScatteredFieldWritesKeepOtherBytes)
{
    TempDir dir;
    std::string original(300, '.');
    WriteFileBytes(dir / "2.msg", original);
    BufferedFile f(40);
    ASSERT_TRUE(f.OpenFile(dir / "2.msg", OpenMode::ReadWrite));
    // Read a field, write two far apart (each beyond the other's window), read again.
    char two[2];
    uint32_t got;
    f.SeekTo(164);
    ASSERT_TRUE(f.ReadBytes(two, 2, got));
    EXPECT_EQ(std::string(two, 2), "..");
    f.SeekTo(0);
    ASSERT_TRUE(f.WriteBytes("FROM", 4));
    f.SeekTo(186);
    ASSERT_TRUE(f.WriteBytes("AT", 2));
    f.SeekTo(2);
    char four[4];
    ASSERT_TRUE(f.ReadBytes(four, 4, got));
    EXPECT_EQ(std::string(four, 4), "OM..");
    ASSERT_TRUE(f.CloseFile());
    std::string expected = original;
    expected.replace(0, 4, "FROM");
    expected.replace(186, 2, "AT");
    EXPECT_EQ(ReadFileBytes(dir / "2.msg"), expected);
}

TEST(BufferedFile, ReadsStopAtTheEnd)
{
    TempDir dir;
    WriteFileBytes(dir / "3.msg", "abc");
    BufferedFile f(8);
    ASSERT_TRUE(f.OpenFile(dir / "3.msg", OpenMode::ReadOnly));
    char buffer[10];
    uint32_t got = 99;
    f.SeekTo(1);
    ASSERT_TRUE(f.ReadBytes(buffer, 10, got));
    EXPECT_EQ(got, 2u);
    f.SeekTo(50);
    ASSERT_TRUE(f.ReadBytes(buffer, 10, got));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(f.WriteBytes("x", 1) && f.CloseFile()) << "a read-only open cannot store writes";
}

TEST(BufferedFile, ClosedFileRefusesWork)
{
    BufferedFile f(8);
    char b;
    uint32_t got;
    EXPECT_FALSE(f.ReadBytes(&b, 1, got));
    EXPECT_FALSE(f.WriteBytes("x", 1));
    EXPECT_FALSE(f.CloseFile());
}
