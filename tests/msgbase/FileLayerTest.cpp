#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "msgbase/FileFaults.h"
#include "msgbase/FileLayer.h"
#include "support/TestSupport.h"

TEST(FileLayer, RecordsReadWriteSeekAndSizes)
{
    TempDir dir;
    FileRecord f;
    BindFile(f, dir / "data.bin");
    ASSERT_TRUE(CreateFile(f, 3));
    ASSERT_TRUE(WriteRecords(f, "abcdefghi", 3));
    EXPECT_EQ(FileSizeRecords(f), 3);
    ASSERT_TRUE(SeekRecord(f, 1));
    char buffer[9] = {};
    uint32_t got = 0;
    ASSERT_TRUE(ReadRecords(f, buffer, 3, got));
    EXPECT_EQ(got, 2u) << "short at the end, not an error";
    EXPECT_EQ(std::string(buffer, 6), "defghi");
    EXPECT_EQ(FilePosRecords(f), 3);
    ASSERT_TRUE(CloseFile(f));
    EXPECT_FALSE(CloseFile(f));
    EXPECT_EQ(FileSizeByName(dir / "data.bin"), 9);
    EXPECT_EQ(FileSizeByName(dir / "none"), -1);
    EXPECT_EQ(FileSizeByName(dir.Path()), -1) << "directories are not files";
}

TEST(FileLayer, ErrorsAreDosCodes)
{
    TempDir dir;
    FileRecord f;
    BindFile(f, dir / "missing.bbs");
    EXPECT_FALSE(OpenExisting(f, 1));
    EXPECT_EQ(LastIoError, 2);
    BindFile(f, dir / "nodir/missing.bbs");
    EXPECT_FALSE(OpenExisting(f, 1));
    EXPECT_EQ(LastIoError, 3);
    BindFile(f, dir.Path());
    EXPECT_FALSE(OpenExisting(f, 1));
    EXPECT_EQ(LastIoError, 5);
}

TEST(FileLayer, NamesFoundWhateverTheirCase)
{
    TempDir dir;
    mkdir((dir / "Spool").c_str(), 0755);
    WriteFileBytes(dir / "Spool/msghdr.bbs", "hdr");
    EXPECT_TRUE(FileExists(dir / "spool/MSGHDR.BBS"));
    EXPECT_EQ(FileSizeByName(dir / "SPOOL/MsgHdr.Bbs"), 3);
    char buffer[3];
    EXPECT_EQ(LoadFile(dir / "Spool/MSGHDR.BBS", buffer, 3), 0);
    EXPECT_EQ(std::string(buffer, 3), "hdr");
    // A name that matches nothing is created as written.
    EXPECT_EQ(SaveFile(dir / "spool/NEW.BBS", "n", 1), 0);
    EXPECT_TRUE(PathExists(dir / "Spool/NEW.BBS"));
}

// Files opened by name in a directory kept open behave as files opened by
// their whole path: found whatever their case, directories refused, the
// directory itself found whatever its case, and a directory not open falls
// back to the path.
TEST(FileLayer, FilesOpenedInAnOpenDirectory)
{
    TempDir dir;
    mkdir((dir / "Net").c_str(), 0755);
    mkdir((dir / "Net/9.msg").c_str(), 0755);
    WriteFileBytes(dir / "Net/12.MSG", "twelve");
    DirectoryRecord net;
    ASSERT_TRUE(OpenDirectory(net, dir / "net"));
    struct Case {
        const char* Name;
        uint16_t Code;
        int64_t Size;
    };
    for (const Case& c : {Case{"12.MSG", 0, 6}, Case{"12.msg", 0, 6}, Case{"13.msg", 2, -1}, Case{"9.msg", 5, -1}}) {
        FileRecord f;
        EXPECT_EQ(OpenExistingIn(f, net, c.Name, 1, OpenMode::ReadOnly), c.Code == 0) << c.Name;
        EXPECT_EQ(LastIoError, c.Code) << c.Name;
        EXPECT_EQ(FileSizeAtOpen(f), c.Size) << c.Name;
    }
    DirectoryRecord closed;
    FileRecord f;
    EXPECT_FALSE(closed.IsOpen());
    ASSERT_TRUE(OpenExistingIn(f, closed, dir / "NET/12.msg", 1, OpenMode::ReadOnly));
    char buffer[6];
    uint32_t got = 0;
    ASSERT_TRUE(ReadRecords(f, buffer, 6, got));
    EXPECT_EQ(std::string(buffer, got), "twelve");
}

TEST(FileLayer, WholeFileHelpers)
{
    TempDir dir;
    char buffer[4] = {};
    EXPECT_EQ(LoadFilePart(dir / "none", buffer, 4, 0), 8888);
    EXPECT_EQ(SaveFilePart(dir / "f", "abcd", 4, 2), 0);
    EXPECT_EQ(ReadFileBytes(dir / "f"), std::string("\0\0abcd", 6));
    EXPECT_EQ(SaveFilePart(dir / "f", "XY", 2, 0), 0) << "never truncates";
    EXPECT_EQ(ReadFileBytes(dir / "f"), std::string("XY\0\0abcd", 6).substr(0, 2) + std::string("abcd"));
    EXPECT_EQ(LoadFilePart(dir / "f", buffer, 2, 4), 0);
    EXPECT_EQ(std::string(buffer, 2), "cd");
    EXPECT_NE(LoadFilePart(dir / "f", buffer, 4, 4), 0) << "a short file is an error";
}

TEST(FileLayer, ExtendFile)
{
    TempDir dir;
    EXPECT_EQ(ExtendFile(dir / "lr", 16), 0);
    EXPECT_EQ(ReadFileBytes(dir / "lr"), std::string(16, '\0'));
    WriteFileBytes(dir / "lr", "0123456789");
    EXPECT_EQ(ExtendFile(dir / "lr", 4), 0);
    EXPECT_EQ(ReadFileBytes(dir / "lr"), "0123456789") << "a size already reached writes nothing";
    EXPECT_EQ(ExtendFile(dir / "lr", 20000), 0);
    std::string bytes = ReadFileBytes(dir / "lr");
    EXPECT_EQ(bytes.size(), 20000u);
    EXPECT_EQ(bytes.substr(0, 10), "0123456789");
    EXPECT_EQ(bytes.find_first_not_of('\0', 10), std::string::npos);
}

TEST(FileLayer, MakePathAndTempNames)
{
    TempDir dir;
    EXPECT_TRUE(MakePath(dir / "a/b/c/"));
    EXPECT_TRUE(PathExists(dir / "a/b/c"));
    EXPECT_TRUE(MakePath(dir / "a/b/c"));
    std::string one = MakeTempName(dir.Path());
    std::string two = MakeTempName(dir.Path());
    EXPECT_NE(one, two);
    EXPECT_TRUE(FileExists(one)) << "the temporary file is created empty";
    EXPECT_EQ(one.rfind(dir.Path(), 0), 0u);
    EXPECT_EQ(MakeTempName(dir / "no/such/dir"), "");
    EXPECT_EQ(ExpandName("/abs/x"), "/abs/x");
    EXPECT_EQ(ExpandName("rel").back(), 'l');
    EXPECT_EQ(ExpandName("rel").front(), '/');
}

TEST(FileLayer, ByteLocksConflictBetweenOpenFilesAndAreReleased)
{
    TempDir dir;
    WriteFileBytes(dir / "msginfo.bbs", std::string(406, '\0'));
    FileRecord a, b;
    BindFile(a, dir / "msginfo.bbs");
    BindFile(b, dir / "msginfo.bbs");
    ASSERT_TRUE(OpenExisting(a, 406));
    ASSERT_TRUE(OpenExisting(b, 406));
    EXPECT_EQ(LockRegion(a, 406, 1), 0);
    EXPECT_EQ(LockRegion(b, 406, 1), 1) << "a second open file of this process is kept out";
    EXPECT_EQ(LastIoError, 5);
    EXPECT_EQ(LockRegion(b, 405, 1), 0) << "another byte is free";
    EXPECT_EQ(UnlockRegion(a, 406, 1), 0);
    EXPECT_EQ(LockRegion(b, 406, 1), 0);
    // Closing another descriptor of the file keeps b's lock.
    {
        FileRecord c;
        BindFile(c, dir / "msginfo.bbs");
        ASSERT_TRUE(OpenExisting(c, 1));
    }
    EXPECT_EQ(LockRegion(a, 406, 1), 1);
}

TEST(FileLayer, InjectedFaultsFailOrDropTheNthChange)
{
    TempDir dir;
    FileRecord f;
    BindFile(f, dir / "data.bin");
    ASSERT_TRUE(CreateFile(f, 1));

    ArmFileFault(2, FileFault::Fail, 112);
    EXPECT_TRUE(WriteRecords(f, "a", 1));
    EXPECT_FALSE(WriteRecords(f, "b", 1));
    EXPECT_EQ(LastIoError, 112);
    EXPECT_TRUE(WriteRecords(f, "c", 1)) << "a failure strikes once";
    EXPECT_EQ(FileChangeCount(), 3u);

    ArmFileFault(2, FileFault::Crash);
    EXPECT_TRUE(WriteRecords(f, "d", 1));
    EXPECT_TRUE(WriteRecords(f, "e", 1)) << "a killed writer never learns";
    EXPECT_TRUE(TruncateFile(f));
    EXPECT_TRUE(FileFaultCrashed());
    DisarmFileFault();
    EXPECT_EQ(ReadFileBytes(dir / "data.bin"), "acd");
}
