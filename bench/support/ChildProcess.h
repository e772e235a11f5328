// Running a program, or this benchmark again, as a fresh process: figures
// that a warm process would flatter (opening an area, a scan, memory) are
// measured in a process that has done nothing else.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
    int ExitCode = -1;     // the exit code, or 128 + the signal that ended it
    std::string Out, Err;  // what it printed
    double Seconds = 0;    // from start to exit, wall clock
};

// Runs argv[0] (a path) with the arguments, no shell, output captured.
ChildResult RunProgram(const std::vector<std::string>& argv);

// Runs this benchmark's own program as "--child ARGS...".
ChildResult RunSelf(const std::vector<std::string>& args);

// The value of the line "key<TAB>value" in text; NaN when there is none.
double FieldOf(const std::string& text, const std::string& key);
