// Leaving an area and marking the rest read: `quorvel-tool mark-all-read`
// (the model's MarkAllRead over the loaded area, as the area window does on
// "mark the rest read") in a fresh process on an area of 200,000 letters with
// a tenth unread (Hudson and *.MSG: full at 65,534 and 65,535 letters). The
// figure is the marking as the tool times it (the load before it is what
// opening an area costs); the whole run of the tool is given beside it. Each
// run starts from the generated base: the letters marked before are put back
// unread.
//   MarkAllReadBench [--quick] [--runs N] [JSHF]
#include <cmath>
#include <string>

#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/ChildProcess.h"
#include "support/Targets.h"

namespace {

constexpr long FullLetters = 200000;
constexpr double GoalSeconds = 0.5;

void Measure(char format, const BenchOptions& options)
{
    const AreaBase area = CachedAreaBase(format, options.Size(FullLetters));
    const std::string work = BenchDataDir() + "/work/mark-" + format;
    const std::string name = FormatName(format) + " mark-all-read, " + std::to_string(area.Letters) + " letters, " +
                             std::to_string(area.Unread) + " unread";
    const double goal = options.Limit(GoalSeconds);
    Samples marking, whole;
    for (int run = 0; run < options.Runs && whole.Sum() < options.Budget(); ++run) {
        MirrorDirectory(area.Dir, work);
        const ChildResult tool = RunProgram({QUORVEL_TOOL_PATH, "mark-all-read", AreaSpec(format, work), "--timing"});
        const double mark = FieldOf(tool.Err, "mark");
        if (tool.ExitCode != 0 || std::isnan(mark) || tool.Out != std::to_string(area.Unread) + "\n") {
            ReportError(name, "exit " + std::to_string(tool.ExitCode) + ", marked " + tool.Out.substr(0, 20) +
                                  ": " + tool.Err.substr(0, 200));
            return;
        }
        marking.Add(mark);
        whole.Add(tool.Seconds);
    }
    Report({name, "s", Goal::AtMost, goal}, marking,
           "whole tool run " + FormatValue(whole.Median()) + " s" +
               CutShortNote(marking, options.Runs));
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "JSHF");
    MeasureEachFormat(options.Formats, "mark-all-read", [&](char format) { Measure(format, options); });
    return BenchExitCode();
}
