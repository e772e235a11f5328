#include "support/BenchOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void Usage(const char* name, const std::string& allFormats)
{
    std::fprintf(stderr, "usage: %s [--quick] [--runs N] [FORMATS]\n  FORMATS: letters of %s\n", name,
                 allFormats.c_str());
    std::exit(2);
}

}  // namespace

bool BenchOptions::Wants(char format) const
{
    return Formats.find(format) != std::string::npos;
}

BenchOptions ParseBenchOptions(int argc, char** argv, const std::string& allFormats)
{
    BenchOptions options;
    bool runsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child") {
            options.IsChild = true;
            options.Child.assign(argv + i + 1, argv + argc);
            return options;
        }
        if (arg == "--quick") {
            options.Quick = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            options.Runs = std::atoi(argv[++i]);
            runsGiven = true;
            if (options.Runs < 1)
                Usage(argv[0], allFormats);
        } else if (!arg.empty() && arg[0] != '-' && arg.find_first_not_of(allFormats) == std::string::npos) {
            options.Formats += arg;
        } else {
            Usage(argv[0], allFormats);
        }
    }
    if (options.Formats.empty())
        options.Formats = allFormats;
    if (options.Quick && !runsGiven)
        options.Runs = 3;
    return options;
}

std::string BenchDataDir()
{
    const char* dir = std::getenv("QUORVEL_BENCH_DATA");
    return dir && *dir ? dir : QUORVEL_BENCH_DATA_DEFAULT;
}

std::string FormatName(char format)
{
    switch (format) {
    case 'J': return "JAM";
    case 'S': return "Squish";
    case 'H': return "Hudson";
    case 'F': return "*.MSG";
    }
    return std::string(1, format);
}
