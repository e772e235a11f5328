// The header walk an area scan makes (SeekFirst(1), then LoadHeader, the
// getters and SeekNext for every letter) over 1,000,000 letters: one JAM
// base, one Squish base, and Hudson bases filled to the format's limit of
// 65,534 letters, each walked board by board over its 200 boards as a scan
// opens them. Every run first reads the same base files whole as cat does,
// then walks them: the walk is judged by its rate and by its time over cat's
// time in that run.
//   HeaderWalkBench [--quick] [--runs N] [JSH]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "msgbase/MsgBaseFactory.h"
#include "support/AreaBases.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/CatFiles.h"
#include "support/HudsonBaseGenerator.h"
#include "support/JamBaseGenerator.h"
#include "support/SquishBaseGenerator.h"
#include "support/Targets.h"

namespace {

constexpr long FullLetters = 1000000;
constexpr int HudsonBoards = 200;
constexpr int UnreadEvery = 10;
constexpr double LettersPerSecondGoal = 2e6;
// Hudson boards each open the base's five files: four times cat for them.
constexpr double CatTimesGoal = 3;
constexpr double HudsonCatTimesGoal = 4;

// Where the walks' checksum goes, so that no getter is optimised away.
volatile std::size_t Sink;

struct WalkSet {
    std::vector<std::string> Specs;  // walked one after the other
    std::vector<std::string> Files;  // what cat reads
    long Letters = 0;
};

// Loads every header of one base as a scan does; returns the letters walked.
long WalkBase(const std::string& spec, std::size_t& checksum)
{
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    if (!base || !base->BaseExists() || base->OpenBase() != 0)
        throw std::runtime_error("cannot open " + spec);
    long walked = 0;
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        const LetterHeader header = base->Header();
        checksum += header.ReplyTo + header.Number + header.Subject.size() + header.From.size() + header.To.size() +
            (header.Written > 0) + header.Flags.Has(LetterFlag::Read);
        ++walked;
    }
    base->CloseBase();
    return walked;
}

long WalkAll(const WalkSet& set, std::size_t& checksum)
{
    long walked = 0;
    for (const std::string& spec : set.Specs)
        walked += WalkBase(spec, checksum);
    return walked;
}

WalkSet SingleBase(char format, long letters)
{
    const std::string dir = CachedData(std::string("walk-") + format + "-" + std::to_string(letters),
                                       [&](const std::string& d) {
                                           if (format == 'J')
                                               GenerateJamBase(d + "/area", letters, UnreadEvery);
                                           else
                                               GenerateSquishBase(d + "/area", letters, UnreadEvery);
                                       });
    return {{AreaSpec(format, dir)}, FilesUnder(dir), letters};
}

// Full Hudson bases and one with the rest, every base on 200 boards.
WalkSet HudsonBases(long letters)
{
    const std::string dir =
        CachedData("walk-H-" + std::to_string(letters), [&](const std::string& d) {
            for (long done = 0, base = 1; done < letters; ++base) {
                const long here = std::min(HudsonLetterLimit, letters - done);
                const std::string baseDir = d + "/base" + std::to_string(base);
                std::filesystem::create_directories(baseDir);
                GenerateHudsonBase(baseDir, HudsonBoards, here, UnreadEvery);
                done += here;
            }
        });
    WalkSet set{{}, FilesUnder(dir), letters};
    for (long done = 0, base = 1; done < letters; ++base) {
        done += std::min(HudsonLetterLimit, letters - done);
        for (int board = 1; board <= HudsonBoards; ++board) {
            char number[8];
            std::snprintf(number, sizeof number, "H%03d", board);
            set.Specs.push_back(number + dir + "/base" + std::to_string(base) + "/");
        }
    }
    return set;
}

void Measure(char format, const WalkSet& set, int runs)
{
    const std::string name = FormatName(format) + " header walk, " + std::to_string(set.Letters) + " letters";
    std::size_t checksum = 0;
    // The first walk warms the cache for both and checks the count.
    if (long walked = WalkAll(set, checksum); walked != set.Letters)
        throw std::runtime_error("walked " + std::to_string(walked) + " letters of " + std::to_string(set.Letters));
    std::size_t bytes = CatFiles(set.Files);
    Samples rate, timesCat, walkSeconds, catSeconds;
    for (int run = 0; run < runs; ++run) {
        const double cat = Seconds([&] { bytes = CatFiles(set.Files); });
        const double walk = Seconds([&] { WalkAll(set, checksum); });
        catSeconds.Add(cat);
        walkSeconds.Add(walk);
        rate.Add(double(set.Letters) / walk);
        timesCat.Add(walk / cat);
    }
    const std::string note = "walk " + FormatValue(walkSeconds.Median()) + " s, cat " +
                             FormatValue(catSeconds.Median()) + " s of " + FormatValue(double(bytes) / 1e6) +
                             " MB";
    Sink = checksum;
    Report({name, "letters/s", Goal::AtLeast, LettersPerSecondGoal}, rate, note);
    Report({name + ": time over cat", "x cat", Goal::AtMost, format == 'H' ? HudsonCatTimesGoal : CatTimesGoal},
           timesCat);
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "JSH");
    const long letters = options.Size(FullLetters);
    MeasureEachFormat(options.Formats, "header walk", [&](char format) {
        Measure(format, format == 'H' ? HudsonBases(letters) : SingleBase(format, letters), options.Runs);
    });
    return BenchExitCode();
}
