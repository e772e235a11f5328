#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FidoTestLetters.h"
#include "support/LetterWriter.h"

namespace {

// Builds a letter the way the editor saves one.
Status WriteEchoLetter(MsgBase& base, const std::string& text)
{
    {
        LetterHeader header;
        header.From = "Point User";
        header.To = "All";
        header.Subject = "Test";
        header.Written = EncodeDate(2009, 5, 5) + EncodeTime(9, 7, 0);
        header.Orig = FidoAddress{2, 5020, 1234, 5};
        header.Flags.Set(LetterFlag::Local, true);
        base.SetMailType(MailEcho);
        header.ReplyTo = 3;
        base.StartNewLetter(header);
    }
    base.WriteKludge("\x01MSGID: 2:5020/1234.5 0badcafe");
    base.WriteLine(text);
    return base.WriteLetter();
}
}  // namespace

TEST(FidoWrite, TheStoredBytesOfANewLetter)
{
    TempDir dir;
    auto base = OpenFido(dir.Path());
    ASSERT_EQ(WriteEchoLetter(*base, "Привет"), 0);
    EXPECT_EQ(base->GetNumber(), 2u) << "1.msg is the tossers' high-water mark";
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"2.msg"})) << "no temporary file left";

    std::string bytes = ReadFileBytes(dir / "2.msg");
    ASSERT_EQ(bytes.size(), 190u + 31 + 7 + 1);
    std::string expected = ZeroField("Point User", 36) + ZeroField("All", 36) + ZeroField("Test", 72) +
                           ZeroField("05 May 09  09:07:00", 20) + Le16(0) /* times read */ + Le16(0) + Le16(1234) +
                           Le16(0) + Le16(5020) + Le16(0);
    EXPECT_EQ(bytes.substr(0, 176), expected);
    // 2009-05-05 09:07:00, date word first: (29 << 9 | 5 << 5 | 5), then (9 << 11 | 7 << 5).
    EXPECT_EQ(bytes.substr(176, 4), std::string("\xA5\x3A\xE0\x48", 4));
    uint32_t arrived = uint32_t(GetLe16(bytes, 180)) << 16 | GetLe16(bytes, 182);
    EXPECT_NEAR(DosToDateTime(arrived), NowDateTime(), 2.0 / 1440) << "arrival time, date word first";
    EXPECT_EQ(bytes.substr(184), Le16(3) + Le16(0x0100) + Le16(0) +
                                     "\x01MSGID: 2:5020/1234.5 0badcafe\r\x8F\xE0\xA8\xA2\xA5\xE2\r" + std::string(1, '\0'));
    struct stat st {};
    ASSERT_EQ(stat((dir / "2.msg").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IROTH, 0u) << "the tosser may run as another user";
}

TEST(FidoWrite, FieldsAreCutAndNetmailGetsItsControlLines)
{
    TempDir dir;
    auto base = OpenFido(dir.Path());
    {
        LetterHeader header;
        base->SetMailType(MailNet);
        header.From = std::string(40, 'f');
        header.Subject = std::string(80, 's');
        header.Dest = FidoAddress{1, 2, 3, 8};
        header.Orig = FidoAddress{4, 5, 6, 7};
        base->StartNewLetter(header);
    }
    base->WriteText("text");
    ASSERT_EQ(base->WriteLetter(), 0);
    std::string bytes = ReadFileBytes(dir / "2.msg");
    EXPECT_EQ(bytes.substr(0, 36), std::string(35, 'f') + '\0');
    EXPECT_EQ(bytes.substr(72, 72), std::string(71, 's') + '\0');
    EXPECT_EQ(bytes.substr(166, 10), Le16(3) + Le16(6) + Le16(0) + Le16(5) + Le16(2));
    EXPECT_EQ(bytes.substr(190), std::string("\x01TOPT 8\r\x01" "FMPT 7\r\x01INTL 1:2/3 4:5/6\rtext\0", 39));
}

TEST(FidoWrite, NewNamesFollowTheDirectorysCase)
{
    TempDir upper, mixed;
    WriteFileBytes(upper / "7.MSG", FidoLetter{}.Bytes());
    WriteFileBytes(mixed / "7.Msg", FidoLetter{}.Bytes());
    for (const TempDir* dir : {&upper, &mixed}) {
        auto base = OpenFido(dir->Path());
        ASSERT_EQ(WriteEchoLetter(*base, "x"), 0);
        base->SetLastRead(0, 8);
    }
    EXPECT_EQ(DirectoryNames(upper.Path()), (std::vector<std::string>{"7.MSG", "8.MSG", "LASTREAD"}));
    EXPECT_EQ(DirectoryNames(mixed.Path()), (std::vector<std::string>{"7.Msg", "8.Msg", "LastRead"}));
}

// A post takes its number from the directory as it was listed at the open:
// letters another program wrote since, under our spelling or another case
// of it, are neither overwritten nor given a twin; the post takes the next
// free number, and the object knows their letters from then on.
TEST(FidoWrite, ALetterAnotherProgramWroteMeanwhileIsNotOverwritten)
{
    TempDir dir;
    WriteFileBytes(dir / "5.msg", FidoLetter{}.Bytes());
    auto base = OpenFido(dir.Path());
    FidoLetter theirs;
    theirs.From = "Tosser";
    for (const char* name : {"6.MSG", "7.mSg", "8.msg"})
        WriteFileBytes(dir / name, theirs.Bytes());
    ASSERT_EQ(WriteEchoLetter(*base, "mine"), 0);
    EXPECT_EQ(base->GetNumber(), 9u);
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"5.msg", "6.MSG", "7.mSg", "8.msg", "9.msg"}));
    for (const char* name : {"6.MSG", "7.mSg", "8.msg"})
        EXPECT_EQ(ReadFileBytes(dir / name), theirs.Bytes()) << name;
    for (Num number : {6u, 7u, 8u}) {
        base->SeekFirst(number);
        base->LoadHeader();
        EXPECT_EQ(base->GetNumber(), number);
        EXPECT_EQ(base->Header().From, "Tosser") << number;
    }
}

TEST(FidoWrite, EveryNumberStoredCanBeReachedAgain)
{
    TempDir dir;
    WriteFileBytes(dir / "31999.msg", FidoLetter{}.Bytes());
    auto base = OpenFido(dir.Path());
    ASSERT_EQ(WriteEchoLetter(*base, "above 31999"), 0);
    EXPECT_EQ(base->GetNumber(), 32000u);
    auto again = OpenFido(dir.Path());
    again->SeekFirst(31999);
    again->SeekNext();
    ASSERT_TRUE(again->SeekFound());
    EXPECT_EQ(again->GetNumber(), 32000u);

    TempDir full;
    WriteFileBytes(full / "65535.msg", FidoLetter{}.Bytes());
    auto last = OpenFido(full.Path());
    EXPECT_EQ(WriteEchoLetter(*last, "no room"), FidoMsgBase::NoNumberLeft);
    EXPECT_EQ(DirectoryNames(full.Path()), (std::vector<std::string>{"65535.msg"})) << "nothing half-written left";
}

TEST(FidoWrite, FailuresAreReportedNeverSuccess)
{
    FidoMsgBase missing;
    missing.SetBasePath("/nonexistent/quorvel/dir");
    EXPECT_EQ(missing.OpenBase(), FidoMsgBase::DirectoryMissing);
    EXPECT_EQ(WriteEchoLetter(missing, "lost"), FidoMsgBase::NoTempName);

    TempDir dir;
    auto base = OpenFido(dir.Path());
    EXPECT_EQ(base->WriteLetter(), FidoMsgBase::NothingToWrite);
    ASSERT_EQ(WriteEchoLetter(*base, "once"), 0);
    EXPECT_EQ(base->WriteLetter(), FidoMsgBase::NothingToWrite) << "the letter is stored once";
    base->StartNewLetter({});
    base->WriteLine("abandoned");
    base->CloseBase();
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"2.msg"})) << "an unfinished letter is removed";
}

TEST(FidoWrite, MarkReadAndFlagsChangeOnlyTheirBytes)
{
    TempDir dir;
    FidoLetter l;
    l.Attr = 0x0181;
    WriteFileBytes(dir / "3.msg", l.Bytes());
    auto base = OpenFido(dir.Path());
    base->SeekFirst(3);
    base->LoadHeader();
    ASSERT_EQ(RewriteChanged(*base,
                             [&](LetterHeader& h) {
                                 h.Flags.Set(LetterFlag::Read, true);
                                 h.Flags.Set(LetterFlag::Sent, true);
                                 h.Flags.Set(LetterFlag::Private, false);
                             }),
              0);
    std::string expected = l.Bytes();
    expected.replace(164, 2, Le16(1));
    expected.replace(186, 2, Le16(0x0188));
    EXPECT_EQ(ReadFileBytes(dir / "3.msg"), expected) << "on disk once RewriteHeader returns";
    EXPECT_EQ(base->RewriteHeader(base->Header()), 0) << "nothing changed: nothing written";
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Read));

    ASSERT_EQ(base->DeleteLetter(), 0);
    EXPECT_FALSE(PathExists(dir / "3.msg"));
    EXPECT_EQ(base->CountLetters(), 0u);
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Deleted));
    EXPECT_EQ(base->DeleteLetter(), FidoMsgBase::LetterMissing);
}
