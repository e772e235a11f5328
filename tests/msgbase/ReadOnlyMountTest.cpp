// Bases on a read-only mount (EROFS, not a permission): they are read as
// read-only files are, and writing to them fails with a status. The mount is
// made in a child process with a mount namespace of its own, so nothing
// outlives the test; where mounting is not allowed the test is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <sched.h>
#include <sys/mount.h>

#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/SharingTests.h"
#include "support/TestSupport.h"

namespace {

constexpr int CannotMount = 77;

// Writes one letter through a fresh base object; its status.
Status PostOne(const std::string& spec, const std::string& text)
{
    auto base = CreateBaseFor(spec);
    if (!base->BaseExists() && base->CreateBase(0, 0) != 0)
        return 1;
    if (Status status = base->OpenBase(); status != 0)
        return status;
    {
        LetterHeader header;
        header.To = "All";
        base->StartNewLetter(header);
    }
    base->WriteLine(text);
    Status status = base->WriteLetter();
    base->CloseBase();
    return status;
}

// 0 when the base opens, lists its one letter with its text, and refuses a new one.
int ReadsButDoesNotWrite(const std::string& spec, const std::string& text)
{
    auto base = CreateBaseFor(spec);
    if (base->OpenBase() != 0)
        return 10;
    base->SeekFirst(1);
    if (!base->SeekFound())
        return 11;
    base->LoadHeader();
    base->StartText();
    if (base->HeaderStatus() != 0 || base->ReadLine(65535) != text)
        return 12;
    if (RewriteChanged(*base, [&](LetterHeader& h) { h.Flags.Set(LetterFlag::Read, true); }) == 0)
        return 13;
    base->StartNewLetter({});
    base->WriteLine("refused");
    if (base->WriteLetter() == 0)
        return 14;
    base->CloseBase();
    return 0;
}

}  // namespace

TEST(ReadOnlyMount, BasesAreListedAndReadButNotWritten)
{
    TempDir dir;
    const std::string mountPoint = dir / "ro";
    std::filesystem::create_directory(mountPoint);
    const std::string jam = "J" + mountPoint + "/echo", hudson = "H001" + mountPoint + "/hudson/";
    pid_t child = StartChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0)
            return CannotMount;
        if (PostOne(jam, "jam letter") != 0 || PostOne(hudson, "hudson letter") != 0)
            return 1;
        if (mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return 2;
        if (int jamResult = ReadsButDoesNotWrite(jam, "jam letter"); jamResult != 0)
            return jamResult;
        if (int hudsonResult = ReadsButDoesNotWrite(hudson, "hudson letter"); hudsonResult != 0)
            return 20 + hudsonResult;
        return 0;
    });
    int result = WaitChild(child);
    if (result == CannotMount)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(result, 0) << "1x: the JAM base, 3x: the Hudson base (the steps of ReadsButDoesNotWrite)";
}
