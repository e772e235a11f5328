#include "support/SharingTests.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

BrokenChange BreakOff(const std::string& name, FileFault kind, uint64_t nth, const std::function<Status()>& change)
{
    BrokenChange broken;
    broken.Kind = kind;
    broken.Where = name + (kind == FileFault::Crash ? " killed" : " refused") + " at file change " + std::to_string(nth);
    ArmFileFault(nth, kind, 112);
    broken.Result = change();
    broken.Struck = FileChangeCount() >= nth;
    DisarmFileFault();
    return broken;
}

void ForEveryFileChange(const std::function<BrokenChange(FileFault kind, uint64_t nth)>& test)
{
    for (FileFault kind : {FileFault::Crash, FileFault::Fail}) {
        for (uint64_t nth = 1; nth < 1000; ++nth) {
            if (!test(kind, nth).Struck || ::testing::Test::HasFatalFailure())
                break;
        }
    }
}

void ExpectBeforeOrAfter(const BrokenChange& change, const LetterTexts& letters, const LetterTexts& before,
                         const LetterTexts& after)
{
    if (!change.Struck) {
        EXPECT_EQ(change.Result, 0) << change.Where;
        EXPECT_EQ(letters, after) << change.Where;
    } else if (change.Kind == FileFault::Fail) {
        EXPECT_TRUE(change.Result == 0 || change.Result == 112) << change.Where << ": status " << change.Result;
        EXPECT_EQ(letters, change.Result == 0 ? after : before) << change.Where;
    } else {
        EXPECT_TRUE(letters == before || letters == after) << change.Where;
    }
}

pid_t StartChild(const std::function<int()>& body)
{
    pid_t pid = fork();
    if (pid == 0) {
        int code = 3;
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);  // no test-framework teardown in the child
    }
    return pid;
}

int WaitChild(pid_t child)
{
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

LetterTexts WritersAndAReader(int writers, const std::function<int(int writer, std::ostream& log)>& write,
                              const std::function<void()>& read)
{
    TempDir logs;
    auto logName = [&logs](int w) { return logs / ("writer" + std::to_string(w) + ".log"); };
    // The writers start together, once the reader runs.
    int start[2];
    EXPECT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        pid_t pid = StartChild([&, w] {
            close(start[1]);
            char go = 0;
            if (::read(start[0], &go, 1) != 1)
                return 9;
            std::ofstream log(logName(w));
            return write(w, log);
        });
        EXPECT_GE(pid, 0);
        children.push_back(pid);
    }
    close(start[0]);
    read();
    EXPECT_EQ(::write(start[1], std::string(writers, 'g').data(), writers), writers);
    close(start[1]);
    std::vector<int> statuses(children.size(), -1);
    for (bool running = true; running;) {
        read();
        running = false;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (statuses[i] == -1 && waitpid(children[i], &statuses[i], WNOHANG) != children[i]) {
                statuses[i] = -1;
                running = true;
            }
        }
    }
    for (int status : statuses)
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    LetterTexts logged;
    for (int w = 0; w < writers; ++w) {
        std::ifstream log(logName(w));
        Num number;
        std::string text;
        while (log >> number >> text)
            EXPECT_TRUE(logged.emplace(number, text).second) << "number given twice: " << number;
    }
    return logged;
}
