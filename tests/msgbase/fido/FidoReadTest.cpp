#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FidoTestLetters.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"

namespace {

void Put(const TempDir& dir, const std::string& name, const FidoLetter& letter = {})
{
    WriteFileBytes(dir / name, letter.Bytes());
}

}  // namespace

TEST(FidoNumbers, SeekCountAndHighestOverAGap)
{
    TempDir dir;
    for (const char* name : {"1.msg", "2.msg", "5.msg"})
        Put(dir, name);
    auto base = CreateBaseFor("F" + dir.Path());
    ASSERT_TRUE(base);
    ASSERT_EQ(base->OpenBase(), 0);
    base->SeekFirst(3);
    ASSERT_TRUE(base->SeekFound());
    EXPECT_EQ(base->GetNumber(), 5u);
    base->SeekPrior();
    EXPECT_EQ(base->GetNumber(), 2u);
    EXPECT_EQ(base->GetHighNumber(), 5u);
    EXPECT_EQ(base->CountLetters(), 3u);
    base->SeekFirst(6);
    EXPECT_FALSE(base->SeekFound());
    base->SeekFirst(0);
    EXPECT_EQ(base->GetNumber(), 1u) << "0 means from the start";
    base->SeekPrior();
    EXPECT_FALSE(base->SeekFound());

    base->StartNewLetter({});
    base->WriteLine("x");
    ASSERT_EQ(base->WriteLetter(), 0);
    EXPECT_EQ(base->GetNumber(), 6u);
    EXPECT_TRUE(PathExists(dir / "6.msg"));
}

TEST(FidoNumbers, NamesAnyCaseAndIgnoresWhatIsNoLetter)
{
    TempDir dir;
    FidoLetter upper, mixed;
    upper.From = "Upper";
    mixed.From = "Mixed";
    Put(dir, "3.MSG", upper);
    Put(dir, "4.Msg", mixed);
    FidoLetter padded;
    padded.From = "Padded";
    Put(dir, "007.msg", padded);
    for (const char* name : {"0.msg", "000.msg", "abc.msg", "12.msg.bak", "+8.msg", "70000.msg", "x9.msg"})
        Put(dir, name);
    ASSERT_EQ(mkdir((dir / "9.msg").c_str(), 0755), 0);
    ASSERT_EQ(symlink("3.MSG", (dir / "10.msg").c_str()), 0);
    ASSERT_EQ(symlink("9.msg", (dir / "11.msg").c_str()), 0);
    ASSERT_EQ(symlink("gone.msg", (dir / "12.msg").c_str()), 0);
    WriteFileBytes(dir / "LastRead", std::string(4, '\0'));

    auto base = OpenFido(dir.Path());
    EXPECT_EQ(base->CountLetters(), 4u);
    EXPECT_EQ(base->GetHighNumber(), 10u);
    std::string froms;
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        froms += std::to_string(base->GetNumber()) + " " + base->Header().From + "; ";
    }
    EXPECT_EQ(froms, "3 Upper; 4 Mixed; 7 Padded; 10 Upper; ")
        << "007.msg is letter 7; the directory 9.msg, a link to it and a link to nothing are no letters";
    base->SeekFirst(7);
    ASSERT_EQ(base->DeleteLetter(), 0);
    EXPECT_FALSE(PathExists(dir / "007.msg"));

    // Two names for one number: the one a Linux tosser writes is read.
    TempDir both;
    Put(both, "007.msg", padded);
    Put(both, "7.MSG", upper);
    Put(both, "7.msg");
    auto seven = OpenFido(both.Path());
    seven->SeekFirst(7);
    seven->LoadHeader();
    EXPECT_EQ(seven->Header().From, "Sender");
    EXPECT_EQ(seven->CountLetters(), 1u);
}

TEST(FidoHeader, FieldsFlagsAndTheReadMark)
{
    TempDir dir;
    FidoLetter l;
    l.From = "\x88\xa2\xa0\xad";  // Иван in CP866
    l.To = "Sysop";
    l.Subject = "Re: re:  Hello";
    l.Attr = 0x0181;
    l.ReplyTo = 7;
    l.FirstReply = 9;
    l.Cost = 42;
    l.TimesRead = 256;
    Put(dir, "1.msg", l);
    auto base = OpenFido(dir.Path());
    base->SeekFirst(1);
    base->LoadHeader();
    EXPECT_EQ(base->Header().From, "Иван");
    EXPECT_EQ(base->Header().Subject, "Hello");
    EXPECT_EQ(base->Header().ReplyTo, 7u);
    EXPECT_EQ(base->Header().FirstReply, 9u);
    EXPECT_EQ(base->Header().Cost, 42);
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Private) && base->Header().Flags.Has(LetterFlag::KillSent) &&
                base->Header().Flags.Has(LetterFlag::Local));
    EXPECT_FALSE(base->Header().Flags.Has(LetterFlag::Sent) || base->Header().Flags.Has(LetterFlag::Received) ||
                 base->Header().Flags.Has(LetterFlag::Crash));
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Read)) << "read 256 times is read";
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Echo));
    EXPECT_EQ(base->Header().Written, EncodeDate(2009, 5, 5) + EncodeTime(9, 7, 0));
    EXPECT_FALSE(base->Header().Flags.Has(LetterFlag::Deleted));
}

TEST(FidoHeader, ZonesFromIntlPointsFromFmptAndTopt)
{
    TempDir dir;
    FidoLetter l;
    l.OrigNet = 50;
    l.OrigNode = 60;
    l.DestNet = 20;
    l.DestNode = 30;
    l.Text = "\x01TOPT 8\r\x01" "FMPT 7\r\x01INTL 1:2/3 4:5/6\rIntl 9:9/9 9:9/9\rtopt 99\rbody\r";
    Put(dir, "1.msg", l);
    FidoLetter plain;
    plain.Text = "\r\n\x01TOPT 3\r";
    Put(dir, "2.msg", plain);

    auto base = OpenFido(dir.Path());
    FidoAddress orig, dest;
    base->SeekFirst(1);
    base->LoadHeader();
    orig = base->Header().Orig;
    dest = base->Header().Dest;
    EXPECT_EQ(dest, (FidoAddress{1, 20, 30, 8})) << "nets and nodes stay those of the header";
    EXPECT_EQ(orig, (FidoAddress{4, 50, 60, 7}));

    base->SeekNext();
    base->LoadHeader();
    orig = base->Header().Orig;
    dest = base->Header().Dest;
    EXPECT_EQ(orig.Zone, 1);
    EXPECT_EQ(dest.Zone, 1);
    EXPECT_EQ(dest.Point, 3) << "a line feed before ^A is dropped";
}

TEST(FidoText, LinesEndsAndPositions)
{
    TempDir dir;
    FidoLetter l;
    std::string longLine(300, 'x');
    l.Text = "one\r\ntwo\r" + longLine + "\rlast\r";
    l.Terminated = false;
    Put(dir, "1.msg", l);
    FidoLetter withNul;
    withNul.Text = std::string("shown\r\0hidden\r", 14);
    Put(dir, "2.msg", withNul);

    auto base = OpenFido(dir.Path());
    base->SeekFirst(1);
    base->LoadHeader();
    EXPECT_EQ(AllLines(*base), (std::vector<std::string>{"one", "two", longLine, "last"}))
        << "no line feeds, no cut at 255, no phantom line after the last CR";
    base->StartText();
    base->ReadLine(65535);
    int64_t second = base->GetTextPos();
    while (!base->TextEnded())
        base->ReadLine(65535);
    base->SetTextPos(second);
    EXPECT_FALSE(base->TextEnded());
    EXPECT_EQ(base->ReadLine(65535), "two");

    base->SeekNext();
    base->LoadHeader();
    EXPECT_EQ(AllLines(*base), (std::vector<std::string>{"shown"}));
}

TEST(FidoDamaged, ShortFilesAndFieldsWithoutTerminators)
{
    TempDir dir;
    FidoLetter l;
    l.From = std::string(36, 'F');  // fills the field, no NUL
    l.Subject = std::string(72, 'S');
    l.Date = "garbage date text !!";
    Put(dir, "1.msg", l);
    WriteFileBytes(dir / "2.msg", l.Bytes().substr(0, 100));
    WriteFileBytes(dir / "3.msg", "");
    WriteFileBytes(dir / "4.msg", std::string(190, '\xFF') + std::string(500, '\x01'));

    auto base = OpenFido(dir.Path());
    base->SeekFirst(1);
    base->LoadHeader();
    EXPECT_EQ(base->Header().From, std::string(35, 'F'));
    EXPECT_EQ(base->Header().Subject, std::string(71, 'S'));
    EXPECT_EQ(base->Header().Written, 0);

    for (Num n : {2u, 3u, 4u}) {
        const std::string before = ReadFileBytes(dir / (std::to_string(n) + ".msg"));
        base->SeekFirst(n);
        base->LoadHeader();
        base->Header().From;
        base->Header().Subject;
        base->Header().ReplyTo;
        EXPECT_EQ(base->Header().Written, 0) << n;
        AllLines(*base);
        if (n != 4) {
            EXPECT_TRUE(AllLines(*base).empty()) << n;
            EXPECT_EQ(RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }),
                      FidoMsgBase::HeaderTooShort)
                << n;
            base->CloseBase();
            EXPECT_EQ(ReadFileBytes(dir / (std::to_string(n) + ".msg")), before) << "a damaged letter is left alone";
        }
    }
}

TEST(FidoDamaged, AMissingLetterIsReportedNotRead)
{
    TempDir dir;
    Put(dir, "1.msg");
    Put(dir, "2.msg");
    auto base = OpenFido(dir.Path());
    std::remove((dir / "2.msg").c_str());  // the tosser removed it after the scan
    base->SeekFirst(2);
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Deleted));
    base->LoadHeader();
    EXPECT_EQ(base->Header().From, "");
    EXPECT_TRUE(base->TextEnded());
    EXPECT_EQ(RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }),
              FidoMsgBase::LetterMissing);
    EXPECT_FALSE(PathExists(dir / "2.msg"));
}

TEST(FidoFindMail, ByNameOrAliasAndNotReceived)
{
    TempDir dir;
    FidoLetter toMe, received, toAlias, toOther, toNobody;
    toMe.To = "point user";
    received.To = "Point User";
    received.Attr = 0x0004;
    toAlias.To = "PU";
    toOther.To = "Sysop";
    toNobody.To = "";
    Put(dir, "1.msg", toOther);
    Put(dir, "2.msg", toMe);
    Put(dir, "3.msg", received);
    Put(dir, "4.msg", toNobody);
    Put(dir, "5.msg", toAlias);
    auto base = OpenFido(dir.Path());
    std::vector<Num> found;
    for (base->FindMailFirst("Point User", "pu"); base->MailFound(); base->FindMailNext())
        found.push_back(base->GetNumber());
    EXPECT_EQ(found, (std::vector<Num>{2, 5}));
    base->FindMailFirst("Point User", "");
    EXPECT_EQ(base->GetNumber(), 2u);
    base->FindMailNext();
    EXPECT_FALSE(base->MailFound()) << "an empty alias does not catch the letter to nobody";
}

TEST(FidoLastRead, RecordsPerUserInALowerCaseFile)
{
    TempDir dir;
    Put(dir, "1.msg");
    auto base = OpenFido(dir.Path());
    EXPECT_EQ(base->GetLastRead(0), 0u);
    base->SetLastRead(2, 0x1234);
    EXPECT_EQ(ReadFileBytes(dir / "lastread"), std::string("\0\0\0\0\x34\x12", 6));
    base->SetLastRead(0, 7);
    EXPECT_EQ(base->GetLastRead(0), 7u);
    EXPECT_EQ(base->GetLastRead(2), 0x1234u);
    EXPECT_EQ(base->GetLastRead(3), 0u) << "beyond the end of the file";
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"1.msg", "lastread"}));
}
