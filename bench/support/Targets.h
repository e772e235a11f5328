// How a benchmark reports a figure: one tab-separated line
//   RESULT  name  median  best  runs  unit  goal  verdict  note
// that scripts/bench.sh gathers into its table. The verdict is PASS or FAIL
// by the median, INFO for a figure without a goal, ERROR for a benchmark that
// could not measure. Anything else a benchmark prints is detail for people.
#pragma once

#include <functional>
#include <string>

#include "support/Timing.h"

enum class Goal { AtMost, AtLeast, None };

struct Target {
    std::string Name;  // what is measured, with its size
    std::string Unit;  // "s", "x cat", "letters/s", "bytes/letter", ...
    Goal Kind = Goal::None;
    double Limit = 0;
};

// The figure's median and best of the runs, judged against the target.
void Report(const Target& target, const Samples& runs, const std::string& note = "");
// A figure that could not be measured (the base would not open, a run failed).
void ReportError(const std::string& name, const std::string& message);
// 0 when every figure reported so far passed or is INFO, else 1.
int BenchExitCode();

// Calls measure for each format letter; one that throws is reported as an
// ERROR named "FORMAT what", and the next format is measured all the same.
void MeasureEachFormat(const std::string& formats, const std::string& what, const std::function<void(char)>& measure);

// A value as the reports print it: three significant places or whole units.
std::string FormatValue(double value);
// "; runs cut short by the time budget" when fewer runs were made than
// wanted, else nothing: the end of a figure's note.
std::string CutShortNote(const Samples& runs, int wanted);
