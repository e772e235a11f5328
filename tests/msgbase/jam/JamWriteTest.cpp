// What JamMsgBase writes, byte for byte, against records written out by hand.
#include <gtest/gtest.h>

#include <ctime>
#include <unistd.h>

#include "msgbase/jam/JamMsgBase.h"
#include "msgbase/jam/JamBytes.h"
#include "support/LetterWriter.h"

using namespace jam_bytes;

namespace {

constexpr uint32_t Dec1At9 = 1733043600;  // 2024-12-01 09:00:00
const DateTime Dec1At9Date = EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0);

struct NewBase {
    TempDir dir;
    JamMsgBase base;
    NewBase()
    {
        base.SetBasePath(dir / "sub/echo");
        EXPECT_FALSE(base.BaseExists());
        EXPECT_EQ(base.CreateBase(0, 0), 0);
        EXPECT_EQ(base.OpenBase(), 0);
    }
    std::string Jhr() const { return ReadFileBytes(dir / "sub/echo.jhr"); }
    std::string Jdt() const { return ReadFileBytes(dir / "sub/echo.jdt"); }
    std::string Jdx() const { return ReadFileBytes(dir / "sub/echo.jdx"); }
};

// The first letter of the examples: an echo letter from a point.
void BuildFirstLetter(JamMsgBase& base)
{
    {
        LetterHeader header;
        header.From = "John Smith";
        header.To = "All";
        header.Subject = "Hi";
        header.Written = Dec1At9Date;
        header.Orig = {2, 5020, 100, 5};
        header.Flags.Set(LetterFlag::Local, true);
        base.SetMailType(MailEcho);
        base.StartNewLetter(header);
    }
    base.WriteKludge("\x01MSGID: 2:5020/100.5 1234abcd");
    base.WriteLine("Hello");
    base.WriteText("Bye");
}

}  // namespace

TEST(JamWrite, NewBaseIsOneBaseHeaderAndThreeEmptyFiles)
{
    NewBase b;
    EXPECT_EQ(DirectoryNames(b.dir / "sub"), (std::vector<std::string>{"echo.jdt", "echo.jdx", "echo.jhr", "echo.jlr"}));
    std::string jhr = b.Jhr();
    ASSERT_EQ(jhr.size(), 1024u);
    uint32_t created = GetLe32(jhr, 4);
    EXPECT_EQ(jhr.substr(0, 4), std::string("JAM\0", 4));
    EXPECT_EQ(jhr.substr(8), BaseHeader(created, 0, 0, 1).substr(8));
    EXPECT_NEAR(double(created), double(DateTimeToUnix(NowDateTime())), 5.0);
    EXPECT_EQ(b.Jdt() + b.Jdx(), "");
    EXPECT_EQ(b.base.GetHighNumber(), 0u);
    EXPECT_EQ(b.base.CountLetters(), 0u);
    b.base.SeekFirst(1);
    EXPECT_FALSE(b.base.SeekFound());
}

TEST(JamWrite, FirstLetterLiesAtOffset1024WithItsSubfieldsAndIndexRecord)
{
    NewBase b;
    BuildFirstLetter(b.base);
    ASSERT_EQ(b.base.WriteLetter(), 0);
    EXPECT_EQ(b.base.GetNumber(), 1u);

    Letter expected;
    expected.MsgIdCrc = 0x02547F36;  // of "2:5020/100.5 1234abcd"
    expected.DateWritten = Dec1At9;
    expected.Number = 1;
    expected.Attribute = 0x01000001;  // echomail, local
    expected.TxtLen = 11;
    expected.Subfields = Subfield(4, "2:5020/100.5 1234abcd") + Subfield(3, "All") + Subfield(2, "John Smith") +
                         Subfield(6, "Hi") + Subfield(0, "2:5020/100.5");
    std::string jhr = b.Jhr();
    EXPECT_EQ(jhr.substr(1024), LetterHeaderBytes(expected));
    EXPECT_EQ(jhr.substr(8, 8), Le32(1) + Le32(1)) << "ModCounter and ActiveMsgs";
    EXPECT_EQ(b.Jdt(), "Hello\rBye\r\n") << "CR LF after a text that does not end with CR";
    EXPECT_EQ(b.Jdx(), IndexRecord(0xC4E78E22, 1024));  // CRC of "all"

    // The second letter follows: its text after the first, its header at the end.
    {
        LetterHeader header;
        header.To = "Иван Петров";
        b.base.StartNewLetter(header);
    }
    b.base.WriteLine("x");
    ASSERT_EQ(b.base.WriteLetter(), 0);
    EXPECT_EQ(b.base.GetNumber(), 2u);
    EXPECT_EQ(b.Jdt(), "Hello\rBye\r\nx\r") << "a text ending with CR gets nothing";
    EXPECT_EQ(b.Jdx().substr(8), IndexRecord(0x644FB553, static_cast<uint32_t>(jhr.size())));
    EXPECT_EQ(GetLe32(b.Jhr(), jhr.size() + 60), 11u) << "TxtOffset";
    EXPECT_EQ(GetLe32(b.Jhr(), 12), 2u) << "ActiveMsgs";
}

TEST(JamWrite, ControlLinesBecomeSubfieldsAndReadBackFirst)
{
    NewBase b;
    {
        LetterHeader header;
        b.base.SetMailType(MailEcho);
        header.Written = Dec1At9Date;
        b.base.StartNewLetter(header);
    }
    for (const char* line : {"\x01PID: X", "\x01MSGID: 1:2/3 1234abcd", "\x01REPLY: 1:2/4 abcd1234",
                             "\x01INTL 1:2/4 1:2/3", "\x01TZUTC: 0300", "\x01PATH: 5020/1", "\x01REPLY:1:2/5 00ff"})
        b.base.WriteKludge(line);
    b.base.WriteLine("text");
    ASSERT_EQ(b.base.WriteLetter(), 0);

    std::string jhr = b.Jhr();
    EXPECT_EQ(GetLe32(jhr, 1024 + 16), 0xA5EA5E31u) << "MSGIDcrc";
    EXPECT_EQ(GetLe32(jhr, 1024 + 20), JamNameCrc("1:2/5 00ff")) << "REPLYcrc of the last REPLY";
    EXPECT_EQ(jhr.substr(1024 + 76), Subfield(7, "X") + Subfield(4, "1:2/3 1234abcd") + Subfield(5, "1:2/4 abcd1234") +
                                         Subfield(2000, "TZUTC: 0300") + Subfield(2002, "5020/1") +
                                         Subfield(5, "1:2/5 00ff"));
    EXPECT_EQ(JamNameCrc("1:2/4 abcd1234"), 0x7339B5B7u);

    b.base.SeekFirst(1);
    b.base.LoadHeader();
    b.base.StartText();
    std::vector<std::string> lines;
    while (!b.base.TextEnded())
        lines.push_back(b.base.ReadLine(65535));
    EXPECT_EQ(lines, (std::vector<std::string>{"\x01PID: X", "\x01MSGID: 1:2/3 1234abcd", "\x01REPLY: 1:2/4 abcd1234",
                                               "\x01TZUTC: 0300", "\x01PATH: 5020/1", "\x01REPLY: 1:2/5 00ff", "text"}));
}

TEST(JamWrite, NothingIsCutAndLongTextsNeedNoTemporaryFile)
{
    NewBase b;
    // Many control lines: more than 2000 bytes of them, the MSGID last.
    std::vector<std::string> kludges;
    for (int i = 0; i < 40; ++i)
        kludges.push_back("\x01SEEN-BY: 5020/" + std::to_string(1000 + i) + std::string(60, ' ') + "1");
    kludges.push_back("\x01MSGID: 2:5020/1 12345678");
    // Names and subjects longer than 256 characters; a subject beyond the
    // first read of a header; a text far over 4000 bytes, written where the
    // current directory is gone, so that no file can be made in it.
    std::string longName(300, 'n'), longSubject = "Тема " + std::string(3000, 's'), text;
    while (text.size() < 50000)
        text += "Line " + std::to_string(text.size()) + " of a long letter\r";
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    {
        TempDir gone;
        ASSERT_EQ(chdir(gone.Path().c_str()), 0);
    }
    {
        LetterHeader header;
        header.From = longName;
        header.Subject = longSubject;
        b.base.StartNewLetter(header);
    }
    for (const std::string& line : kludges)
        b.base.WriteKludge(line);
    b.base.WriteText(text);
    Status status = b.base.WriteLetter();
    ASSERT_EQ(chdir(here), 0);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(b.Jdt(), text);

    {
        LetterHeader header;
        header.Subject = "FILES.ZIP";
        header.Flags.Set(LetterFlag::FileRequest, true);
        b.base.StartNewLetter(header);
    }
    ASSERT_EQ(b.base.WriteLetter(), 0);
    EXPECT_EQ(b.Jhr().substr(b.Jhr().size() - 17), Subfield(11, "FILES.ZIP"));

    b.base.SeekFirst(1);
    b.base.LoadHeader();
    EXPECT_EQ(b.base.Header().From, longName);
    EXPECT_EQ(b.base.Header().Subject, longSubject);
    b.base.StartText();
    for (const std::string& line : kludges)
        EXPECT_EQ(b.base.ReadLine(65535), line);
    std::string back;
    while (!b.base.TextEnded())
        back += b.base.ReadLine(65535) + "\r";
    EXPECT_EQ(back, text);
    b.base.SeekNext();
    b.base.LoadHeader();
    EXPECT_EQ(b.base.Header().Subject, "FILES.ZIP") << "read from subfield 11 of a file request";
}

TEST(JamWrite, MarkingReadAndDeletingChangeOnlyTheirBytes)
{
    NewBase b;
    BuildFirstLetter(b.base);
    ASSERT_EQ(b.base.WriteLetter(), 0);
    b.base.StartNewLetter({});
    b.base.WriteLine("second");
    ASSERT_EQ(b.base.WriteLetter(), 0);
    std::string jhr = b.Jhr(), jdx = b.Jdx(), jdt = b.Jdt();

    b.base.SeekFirst(1);
    b.base.LoadHeader();
    ASSERT_EQ(RewriteChanged(b.base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    std::string marked = jhr;
    marked.replace(1024 + 52, 4, Le32(0x11000001));
    EXPECT_EQ(b.Jhr(), marked);

    ASSERT_EQ(b.base.DeleteLetter(), 0);
    std::string deleted = marked;
    deleted.replace(1024 + 52, 4, Le32(0x91000001));
    deleted.replace(8, 8, Le32(3) + Le32(1));  // ModCounter up, ActiveMsgs down
    EXPECT_EQ(b.Jhr(), deleted);
    EXPECT_EQ(b.Jdx(), IndexRecord(0xFFFFFFFF, 0xFFFFFFFF) + jdx.substr(8));
    EXPECT_EQ(b.Jdt(), jdt);

    EXPECT_EQ(b.base.DeleteLetter(), 0) << "deleting a deleted letter changes nothing";
    EXPECT_EQ(b.Jhr(), deleted);
    b.base.SeekFirst(1);
    EXPECT_EQ(b.base.GetNumber(), 2u);
    b.base.SeekPrior();
    EXPECT_FALSE(b.base.SeekFound());
    EXPECT_EQ(b.base.CountLetters(), 1u);
    EXPECT_EQ(b.base.GetHighActiveNumber(), 2u);
}

TEST(JamWrite, LastReadRecords)
{
    NewBase b;
    const std::string jlr = b.dir / "sub/echo.jlr";
    EXPECT_EQ(b.base.GetLastRead(7), 0u);
    b.base.SetLastRead(7, 100);
    EXPECT_EQ(ReadFileBytes(jlr), Le32(7) + Le32(7) + Le32(100) + Le32(100));
    b.base.SetLastRead(8, 5);
    b.base.SetLastRead(7, 120);
    EXPECT_EQ(ReadFileBytes(jlr), Le32(7) + Le32(7) + Le32(120) + Le32(120) + Le32(8) + Le32(8) + Le32(5) + Le32(5));
    EXPECT_EQ(b.base.GetLastRead(7), 120u);
    std::remove(jlr.c_str());
    b.base.SetLastRead(7, 1);
    EXPECT_FALSE(PathExists(jlr)) << "a missing .jlr is not created";
}

TEST(JamWrite, NoHeaderIsWrittenWhereItsOffsetWouldReadAsDeleted)
{
    // Sparse header files, so nothing near 2 GiB is written for real.
    for (auto [size, accepted] : {std::pair{0x7FFFFF00ll, true}, {0x80000000ll, false}}) {
        NewBase b;
        ASSERT_EQ(truncate((b.dir / "sub/echo.jhr").c_str(), size), 0);
        BuildFirstLetter(b.base);
        Status status = b.base.WriteLetter();
        if (!accepted) {
            EXPECT_EQ(status, JamBaseFull);
            EXPECT_EQ(b.Jdx(), "") << "nothing is stored";
            EXPECT_EQ(b.Jdt(), "");
            continue;
        }
        ASSERT_EQ(status, 0);
        JamMsgBase reader;
        reader.SetBasePath(b.dir / "sub/echo");
        ASSERT_EQ(reader.OpenBase(), 0);
        reader.SeekFirst(1);
        ASSERT_TRUE(reader.SeekFound()) << "the letter is not taken for deleted";
        reader.LoadHeader();
        EXPECT_EQ(reader.HeaderStatus(), 0);
        EXPECT_EQ(reader.Header().From, "John Smith");
    }
}
