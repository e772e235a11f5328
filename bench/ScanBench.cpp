// A scan of a point of 1,000,000 letters in 50 areas of all four formats, as
// the program makes it when it starts or when the tosser has finished:
// TAreas::Scan in a fresh process (each run its own process). Areas go
// Hudson, JAM, Squish, *.MSG in turn: 13 Hudson boards of 5,000 letters (one
// base, near its limit of 65,534), 13 JAM and 12 Squish areas of 35,000,
// 12 *.MSG directories of 5,000; a tenth of the letters unread.
// Every round scans four ways, one after the other:
//   - without a tosser flag (the yardstick);
//   - with the flag's name in a directory that has not changed for a while
//     (the usual case; the goal: under 2 s);
//   - with the flag's directory missing (no tosser set up);
//   - right after the flag was created and removed in its directory, as a
//     tosser leaves it when it finishes and the program rescans at once.
// The last two are judged against the first of the same round: within 10 %.
// One scan before the rounds warms the cache and is not counted.
//   ScanBench [--quick] [--runs N]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "core/Startup.h"
#include "model/Session.h"
#include "model/TAreas.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/ChildProcess.h"
#include "support/FidoBaseGenerator.h"
#include "support/HudsonBaseGenerator.h"
#include "support/JamBaseGenerator.h"
#include "support/SquishBaseGenerator.h"
#include "support/Targets.h"

namespace {

constexpr int AreaCount = 50;
constexpr int HudsonAreas = 13;
constexpr long HudsonAreaLetters = 5000;
constexpr long MsgAreaLetters = 5000;
constexpr long BigAreaLetters = 35000;  // JAM and Squish
constexpr int UnreadEvery = 10;
constexpr int SpoolEntries = 50;        // what else lies beside the flag
constexpr double ScanGoalSeconds = 2;
constexpr double FlagCostGoal = 1.10;

struct Point {
    std::string Dir;
    long Letters = 0, Unread = 0;
    std::string AreasFile() const { return Dir + "/areas.bbs"; }
    std::string HudsonDir() const { return Dir + "/hudson/"; }
};

void MakeSpool(const std::string& dir)
{
    std::filesystem::create_directories(dir);
    for (int i = 0; i < SpoolEntries; ++i)
        std::ofstream(dir + "/" + std::to_string(1000 + i) + ".pkt") << "packet";
}

void GeneratePoint(const std::string& dir, const BenchOptions& options)
{
    const long hudson = options.Size(HudsonAreaLetters), msg = options.Size(MsgAreaLetters),
               big = options.Size(BigAreaLetters);
    // The flag's directories first: the settled one must not have changed
    // just before the first scan.
    MakeSpool(dir + "/spool-settled");
    MakeSpool(dir + "/spool-changed");
    std::filesystem::create_directories(dir + "/hudson");
    GenerateHudsonBase(dir + "/hudson", HudsonAreas, hudson * HudsonAreas, UnreadEvery);
    std::string areas = "; a point of four formats\n";
    int board = 0;
    for (int a = 0; a < AreaCount; ++a) {
        const std::string tag = " BENCH.AREA" + std::to_string(a) + "\n";
        const std::string name = "area" + std::to_string(a);
        switch ("HJSF"[a % 4]) {
        case 'H': areas += std::to_string(++board) + tag; break;
        case 'J':
            std::filesystem::create_directories(dir + "/jam");
            GenerateJamBase(dir + "/jam/" + name, big, UnreadEvery);
            areas += "!" + dir + "/jam/" + name + tag;
            break;
        case 'S':
            std::filesystem::create_directories(dir + "/squish");
            GenerateSquishBase(dir + "/squish/" + name, big, UnreadEvery);
            areas += "$" + dir + "/squish/" + name + tag;
            break;
        default:
            GenerateFidoBase(dir + "/msg/" + name, msg, UnreadEvery);
            areas += dir + "/msg/" + name + tag;
            break;
        }
    }
    std::ofstream(dir + "/areas.bbs") << areas;
}

Point CachedPoint(const BenchOptions& options)
{
    Point point;
    const long hudson = options.Size(HudsonAreaLetters) * HudsonAreas;
    const long others = (options.Size(BigAreaLetters) * 25) + options.Size(MsgAreaLetters) * 12;
    point.Letters = hudson + others;
    point.Unread = hudson / UnreadEvery + 25 * (options.Size(BigAreaLetters) / UnreadEvery) +
                   12 * (options.Size(MsgAreaLetters) / UnreadEvery);
    point.Dir = CachedData("scan-" + std::to_string(point.Letters),
                           [&](const std::string& dir) { GeneratePoint(dir, options); });
    return point;
}

// The child: one scan, timed, then out without freeing the letters.
int ScanOnce(const std::vector<std::string>& args)
{
    if (args.size() != 4)
        return 2;
    Session session(UserSettings{}, {args[2], args[0], args[1]});
    if (args[3] == "changed") {
        // What a tosser does when it finishes: its flag goes.
        std::ofstream(args[2]) << "tossing";
        std::remove(args[2].c_str());
    }
    TAreas& areas = session.Areas;
    const double seconds = Seconds([&] { areas.Scan(); });
    long letters = 0;
    for (TArea* area : areas)
        letters += static_cast<long>(area->Letters.Count());
    std::printf("scan\t%.6f\nletters\t%ld\nunread\t%d\n", seconds, letters, areas.TotalUnread());
    std::fflush(stdout);
    _exit(0);
}

struct Variant {
    Variant(std::string name, std::string flag, std::string mode)
        : Name(std::move(name)), Flag(std::move(flag)), Mode(std::move(mode))
    {
    }
    std::string Name, Flag, Mode;
    Samples Seconds, OverNoFlag;
    bool GaveUp = false;
};

// One scan in a fresh process; its seconds, or NaN (and an error reported).
double RunScan(const Point& point, const Variant& variant, bool& failed)
{
    const ChildResult run = RunSelf({point.AreasFile(), point.HudsonDir(), variant.Flag, variant.Mode});
    const double seconds = FieldOf(run.Out, "scan");
    const long letters = std::lround(FieldOf(run.Out, "letters")), unread = std::lround(FieldOf(run.Out, "unread"));
    if (run.ExitCode != 0 || std::isnan(seconds) || letters != point.Letters || unread != point.Unread) {
        ReportError("scan " + variant.Name, "exit " + std::to_string(run.ExitCode) + ", " + std::to_string(letters) +
                                                " letters and " + std::to_string(unread) + " unread of " +
                                                std::to_string(point.Letters) + " and " +
                                                std::to_string(point.Unread) + ": " + run.Err.substr(0, 200));
        failed = true;
        return std::nan("");
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "");
    if (options.IsChild)
        return ScanOnce(options.Child);
    const Point point = CachedPoint(options);
    std::vector<Variant> variants = {
        {"without a flag", "", "none"},
        {"flag in a settled directory", point.Dir + "/spool-settled/toss.flag", "settled"},
        {"flag's directory missing", point.Dir + "/no-spool/toss.flag", "missing"},
        {"flag's directory just changed", point.Dir + "/spool-changed/toss.flag", "changed"},
    };
    bool failed = false;
    // One scan first, not counted: the bases may have left the cache since
    // they were written, and the first scan of a round would pay for that.
    RunScan(point, variants[0], failed);
    for (int run = 0; run < options.Runs && !failed; ++run) {
        double baseline = 0;
        for (Variant& variant : variants) {
            if (variant.GaveUp)
                continue;
            const double seconds = RunScan(point, variant, failed);
            if (failed)
                break;
            if (&variant == &variants[0])
                baseline = seconds;
            variant.Seconds.Add(seconds);
            variant.OverNoFlag.Add(seconds / baseline);
            // The yardstick runs every round; a variant far past its goal stops.
            variant.GaveUp = &variant != &variants[0] && variant.Seconds.Sum() > options.Budget();
        }
    }
    if (failed)
        return 1;
    const std::string size = std::to_string(point.Letters) + " letters in " + std::to_string(AreaCount) + " areas";
    auto note = [&](const Variant& v) {
        return "scan " + FormatValue(v.Seconds.Median()) + " s" +
               CutShortNote(v.Seconds, options.Runs);
    };
    Report({"scan " + size + ", " + variants[0].Name, "s", Goal::None, 0}, variants[0].Seconds);
    Report({"scan " + size + ", " + variants[1].Name, "s", Goal::AtMost, options.Limit(ScanGoalSeconds)},
           variants[1].Seconds);
    Report({"scan, " + variants[1].Name + ": over no flag", "x", Goal::None, 0}, variants[1].OverNoFlag);
    for (std::size_t i = 2; i < variants.size(); ++i)
        Report({"scan, " + variants[i].Name + ": over no flag", "x", Goal::AtMost, FlagCostGoal},
               variants[i].OverNoFlag, note(variants[i]));
    return BenchExitCode();
}
