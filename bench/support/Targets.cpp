#include "support/Targets.h"

#include <cstdio>
#include <exception>

#include "support/BenchOptions.h"

namespace {

bool AnyFailed = false;

std::string GoalText(const Target& target)
{
    switch (target.Kind) {
    case Goal::AtMost: return "<= " + FormatValue(target.Limit);
    case Goal::AtLeast: return ">= " + FormatValue(target.Limit);
    case Goal::None: break;
    }
    return "-";
}

void PrintResult(const std::string& name, const std::string& median, const std::string& best, std::size_t runs,
                 const std::string& unit, const std::string& goal, const char* verdict, const std::string& note)
{
    std::printf("RESULT\t%s\t%s\t%s\t%zu\t%s\t%s\t%s\t%s\n", name.c_str(), median.c_str(), best.c_str(), runs,
                unit.c_str(), goal.c_str(), verdict, note.c_str());
    std::fflush(stdout);
}

}  // namespace

std::string FormatValue(double value)
{
    char text[64];
    const double size = value < 0 ? -value : value;
    std::snprintf(text, sizeof text, size >= 1000 ? "%.0f" : "%.3g", value);
    return text;
}

void Report(const Target& target, const Samples& runs, const std::string& note)
{
    if (runs.Empty()) {
        ReportError(target.Name, "no run finished");
        return;
    }
    const double median = runs.Median();
    const bool higher = target.Kind == Goal::AtLeast;
    const char* verdict = "INFO";
    if (target.Kind != Goal::None) {
        const bool pass = higher ? median >= target.Limit : median <= target.Limit;
        verdict = pass ? "PASS" : "FAIL";
        AnyFailed = AnyFailed || !pass;
    }
    PrintResult(target.Name, FormatValue(median), FormatValue(runs.Best(higher)), runs.Count(), target.Unit,
                GoalText(target), verdict, note);
}

void ReportError(const std::string& name, const std::string& message)
{
    AnyFailed = true;
    PrintResult(name, "-", "-", 0, "-", "-", "ERROR", message);
}

int BenchExitCode()
{
    return AnyFailed ? 1 : 0;
}

void MeasureEachFormat(const std::string& formats, const std::string& what, const std::function<void(char)>& measure)
{
    for (char format : formats) {
        try {
            measure(format);
        } catch (const std::exception& e) {
            ReportError(FormatName(format) + " " + what, e.what());
        }
    }
}

std::string CutShortNote(const Samples& runs, int wanted)
{
    return runs.Count() < std::size_t(wanted) ? "; runs cut short by the time budget" : "";
}
