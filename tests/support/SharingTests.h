// Helpers for tests of bases shared with other programs and outliving their
// writers: a change broken off at every file change it makes, other
// processes on the same files, several writers and a reader at once.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <sys/types.h>

#include "msgbase/FileFaults.h"
#include "msgbase/MsgBase.h"

// Letters as a test sees them: number -> a text that tells them apart.
using LetterTexts = std::map<Num, std::string>;

struct BrokenChange {
    FileFault Kind = FileFault::Fail;
    Status Result = 0;
    bool Struck = false;  // the change reached the file change the fault was set on
    std::string Where;    // for messages: the change, and how and where it broke
};

// Runs change with its Nth file change refused (with 112, a full disk) or
// "killed" (it and every later change dropped).
BrokenChange BreakOff(const std::string& name, FileFault kind, uint64_t nth, const std::function<Status()>& change);

// Calls test for both kinds of fault and N = 1, 2, ... until the change it
// breaks off makes fewer than N file changes.
void ForEveryFileChange(const std::function<BrokenChange(FileFault kind, uint64_t nth)>& test);

// What a broken change may leave: a refused one reports failure (112) and
// leaves the letters of before, or reports success and leaves those of
// after; a killed one leaves either; one the fault never reached, after.
void ExpectBeforeOrAfter(const BrokenChange& change, const LetterTexts& letters, const LetterTexts& before,
                         const LetterTexts& after);

// Another program sharing the files: body runs in a child process and its
// result, 0..255, is the child's exit code (3 when it throws). WaitChild
// gives that code, -1 when the child did not exit.
pid_t StartChild(const std::function<int()>& body);
int WaitChild(pid_t child);

// Several writers and a reader at once: forks `writers` processes, each
// running write(w, log): it stores letters, logs "number text" for each one
// it stored and kept, and returns its exit code. They start together once
// read has run here, and read runs here again and again until they are done.
// Every process must exit with 0; the result is every letter logged (a
// number logged twice fails).
LetterTexts WritersAndAReader(int writers, const std::function<int(int writer, std::ostream& log)>& write,
                              const std::function<void()>& read);
