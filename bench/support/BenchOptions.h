// The command line every benchmark takes:
//   NAME [--quick] [--runs N] [FORMATS]
// --quick makes the bases a tenth of their size (and the time limits that
// grow with them a tenth), for trying things out; --runs N sets the runs per
// figure (5, quick 3); FORMATS picks base formats by their letters (J, S, H,
// F). A benchmark started as "NAME --child ARGS..." is its own fresh process
// measuring one run (see ChildProcess.h).
#pragma once

#include <string>
#include <vector>

struct BenchOptions {
    bool Quick = false;
    int Runs = 5;
    std::string Formats;            // the letters asked for, in order
    bool IsChild = false;
    std::vector<std::string> Child; // the arguments after --child

    // A size of the full benchmark as this run uses it.
    long Size(long full) const { return Quick ? full / 10 : full; }
    // A time limit for work that grows with the size.
    double Limit(double full) const { return Quick ? full / 10 : full; }
    bool Wants(char format) const;
    // Seconds after which a figure is run no more (after its first run):
    // one far past its goal need not be measured five times over.
    double Budget() const { return Quick ? 6 : 60; }
};

// Parses the command line; FORMATS defaults to allFormats and may only hold
// its letters. Prints the usage and exits with 2 on a bad argument.
BenchOptions ParseBenchOptions(int argc, char** argv, const std::string& allFormats);

// Where generated bases are kept between runs: $QUORVEL_BENCH_DATA, else
// bench-data in the build tree.
std::string BenchDataDir();

// "JAM", "Squish", "Hudson" or "*.MSG" for a format letter.
std::string FormatName(char format);
