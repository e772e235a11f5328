// A *.MSG directory that outlives its writers: every write broken off at
// any file change, a tosser changing a letter while it is loaded, a
// read-only mount, leftovers of killed posts, and several processes at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FidoTestLetters.h"
#include "core/StringHelpers.h"
#include "support/LetterWriter.h"
#include "support/SharingTests.h"

namespace {

// Every letter as a fresh object reads it: number -> first text line, "*"
// added when it is marked read. An unreadable letter fails.
LetterTexts Letters(const std::string& dir)
{
    auto base = OpenFido(dir);
    LetterTexts letters;
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        EXPECT_EQ(base->HeaderStatus(), 0) << base->GetNumber();
        std::vector<std::string> lines = AllLines(*base);
        letters[base->GetNumber()] =
            (lines.empty() ? "" : lines[0]) + (base->Header().Flags.Has(LetterFlag::Read) ? "*" : "");
    }
    return letters;
}

Status Post(MsgBase& base, const std::string& text)
{
    {
        LetterHeader header;
        header.From = "W";
        header.To = "All";
        header.Subject = "s";
        base.StartNewLetter(header);
    }
    base.WriteLine(text);
    return base.WriteLetter();
}

Status MarkRead(MsgBase& base, Num number)
{
    base.SeekFirst(number);
    base.LoadHeader();
    return RewriteChanged(base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); });
}

Status Delete(MsgBase& base, Num number)
{
    base.SeekFirst(number);
    return base.DeleteLetter();
}

std::vector<std::string> TempFiles(const std::string& dir)
{
    std::vector<std::string> names;
    for (const std::string& name : DirectoryNames(dir))
        if (IsTempName(name))
            names.push_back(name);
    return names;
}

void Age(const std::string& path, int seconds)
{
    struct timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

const std::string LongLine(9000, 'L');  // several windows: several writes

struct Change {
    const char* name;
    std::function<Status(MsgBase&)> run;
    LetterTexts after;
};

const LetterTexts Before = {{2, "one"}, {3, "two"}};

const std::vector<Change> Changes = {
    {"post", [](MsgBase& b) { return Post(b, "three"); }, {{2, "one"}, {3, "two"}, {4, "three"}}},
    {"long post", [](MsgBase& b) { return Post(b, LongLine); }, {{2, "one"}, {3, "two"}, {4, LongLine}}},
    {"delete", [](MsgBase& b) { return Delete(b, 3); }, {{2, "one"}}},
    {"mark read", [](MsgBase& b) { return MarkRead(b, 3); }, {{2, "one"}, {3, "two*"}}},
};

}  // namespace

// Loop N = 1, 2, ... over every file change (writes, the rename into place,
// removals): the Nth is refused as a full disk refuses it, or the process
// "dies" there. A refused change reports 112 and leaves the letters and no
// temporary file; a killed post may leave its temporary file, which a later
// open removes once it is old. The next post works and every letter reads.
TEST(FidoSafety, AChangeBrokenOffAtAnyStepLosesNoLetter)
{
    for (const Change& change : Changes) {
        ForEveryFileChange([&](FileFault kind, uint64_t n) {
            TempDir dir;
            {
                auto base = OpenFido(dir.Path());
                EXPECT_EQ(Post(*base, "one"), 0);
                EXPECT_EQ(Post(*base, "two"), 0);
            }
            auto base = OpenFido(dir.Path());
            const BrokenChange broken = BreakOff(change.name, kind, n, [&] {
                Status status = change.run(*base);
                base.reset();  // a killed process removes nothing on its way out
                return status;
            });
            const LetterTexts letters = Letters(dir.Path());
            ExpectBeforeOrAfter(broken, letters, Before, change.after);
            std::vector<std::string> temps = TempFiles(dir.Path());
            EXPECT_TRUE(temps.empty() || (kind == FileFault::Crash && temps.size() == 1)) << broken.Where;
            for (const std::string& temp : temps)
                Age(dir / temp, 2 * FidoMsgBase::StaleTempAge);

            auto next = OpenFido(dir.Path());
            EXPECT_TRUE(TempFiles(dir.Path()).empty()) << broken.Where << ": the killed post's file is removed";
            EXPECT_EQ(Post(*next, "next"), 0) << broken.Where;
            LetterTexts expected = letters;
            expected[next->GetNumber()] = "next";
            EXPECT_EQ(Letters(dir.Path()), expected) << broken.Where;
            return broken;
        });
    }
}

TEST(FidoSafety, OnlyOldTemporaryFilesOfOurNamingAreRemoved)
{
    TempDir dir;
    for (const char* name : {"qAb3xYz", "qFresh1", "q12345", "qwertyui", "notes.txt"})
        WriteFileBytes(dir / name, "x");
    for (const char* name : {"qAb3xYz", "q12345", "qwertyui", "notes.txt"})
        Age(dir / name, 2 * FidoMsgBase::StaleTempAge);
    OpenFido(dir.Path());
    EXPECT_EQ(DirectoryNames(dir.Path()), (std::vector<std::string>{"notes.txt", "q12345", "qFresh1", "qwertyui"}));
}

// Marking read changes the read mark only: a Sent bit and a text the tosser
// wrote after the letter was loaded stay.
TEST(FidoSafety, MarkingReadKeepsWhatTheTosserChangedMeanwhile)
{
    TempDir dir;
    FidoLetter letter;
    letter.Attr = 0x0100;
    WriteFileBytes(dir / "2.msg", letter.Bytes());
    auto base = OpenFido(dir.Path());
    base->SeekFirst(2);
    base->LoadHeader();
    FidoLetter exported = letter;
    exported.Attr = 0x0108;
    exported.Text = "Hello\rSEEN-BY: 5020/1234\r";
    WriteFileBytes(dir / "2.msg", exported.Bytes());
    ASSERT_EQ(RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }), 0);
    exported.TimesRead = 1;
    EXPECT_EQ(ReadFileBytes(dir / "2.msg"), exported.Bytes());
    EXPECT_TRUE(base->Header().Flags.Has(LetterFlag::Sent)) << "the header read again is the one shown";
}

// A letter gone between the listing and the loading is an error for that
// letter: its fields are not those of the letter loaded before.
TEST(FidoSafety, ALetterThatCannotBeOpenedIsReportedNotShownEmpty)
{
    TempDir dir;
    FidoLetter letter;
    WriteFileBytes(dir / "2.msg", letter.Bytes());
    WriteFileBytes(dir / "3.msg", letter.Bytes());
    auto base = OpenFido(dir.Path());
    base->SeekFirst(2);
    base->LoadHeader();
    ASSERT_EQ(base->Header().From, "Sender");
    unlink((dir / "3.msg").c_str());
    base->SeekFirst(3);
    base->LoadHeader();
    EXPECT_EQ(base->HeaderStatus(), FidoMsgBase::LetterMissing);
    EXPECT_EQ(base->Header().From, "");
    EXPECT_EQ(RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }),
              FidoMsgBase::LetterMissing);
    EXPECT_FALSE(PathExists(dir / "3.msg")) << "never made anew";
}

// On a read-only mount every letter is listed and read; changes fail with
// the host's code and change nothing. The mount is made in a child process
// with a mount namespace of its own.
TEST(FidoSafety, ALetterOnAReadOnlyMountIsReadAndRefusesChanges)
{
    TempDir dir, results;
    FidoLetter letter;
    letter.From = "Reader";
    letter.Text = "line one\rline two\r";
    WriteFileBytes(dir / "2.msg", letter.Bytes());
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const char* d = dir.Path().c_str();
        if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            _exit(77);
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || mount(d, d, nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, d, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            _exit(77);
        std::ofstream out(results / "out");
        auto base = std::make_unique<FidoMsgBase>();
        base->SetBasePath(dir.Path());
        out << base->OpenBase() << ';';
        base->SeekFirst(1);
        base->LoadHeader();
        out << base->GetNumber() << ';' << base->HeaderStatus() << ';' << base->Header().From << ';';
        for (const std::string& line : AllLines(*base))
            out << line << '|';
        out << ';' << (MarkRead(*base, 2) != 0 ? "refused" : "marked") << ';' << Delete(*base, 2) << ';'
            << Post(*base, "x") << ';' << DirectoryNames(dir.Path()).size();
        out.close();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace here";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFileBytes(results / "out"), "0;2;0;Reader;line one|line two|;refused;19;1001;1");
}

// Three processes store and delete letters in one directory while this one
// reads it: afterwards every letter a writer reported stored and did not
// delete is there once, with its own text.
TEST(FidoSafety, SeveralWritersAndAReaderAtOnce)
{
    TempDir dir;
    auto write = [&](int w, std::ostream& log) {
        for (int i = 0; i < 24; ++i) {
            FidoMsgBase base;
            base.SetBasePath(dir.Path());
            const std::string text = Format("w%d-%d", w, i);
            if (base.OpenBase() != 0 || Post(base, text) != 0)
                return 2;
            if (i % 4 == 3) {
                if (Delete(base, base.GetNumber()) != 0)
                    return 3;
                continue;
            }
            log << base.GetNumber() << ' ' << text << '\n' << std::flush;
        }
        return 0;
    };
    auto read = [&] {
        auto base = OpenFido(dir.Path());
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
            base->LoadHeader();
            if (base->HeaderStatus() == 0) {
                EXPECT_EQ(base->Header().From, "W");
            }
        }
    };
    const LetterTexts stored = WritersAndAReader(3, write, read);
    EXPECT_EQ(stored.size(), 3u * 18);
    EXPECT_EQ(Letters(dir.Path()), stored);
}
