// What the benchmarks share: a scratch directory, a stopwatch, and the time a
// plain `cat` of the same files takes, as the yardstick for disk-bound walks.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class ScratchDir {
public:
    ScratchDir();  // under $TMPDIR, removed at the end
    ~ScratchDir();
    const std::string& Path() const { return Dir; }
    std::string operator/(const std::string& name) const { return Dir + "/" + name; }

private:
    std::string Dir;
};

// Seconds taken by fn, best of `rounds` runs (after one warm-up run).
double BestSeconds(int rounds, const std::function<void()>& fn);

// Seconds to read the files whole, as cat would (best of three, warm cache).
double CatSeconds(const std::vector<std::string>& files);

// Every regular file of a directory.
std::vector<std::string> FilesIn(const std::string& dir);

// One line of the report: "name: N letters in S s = R letters/s (x.x times cat)".
void Report(const std::string& name, long letters, double seconds, double catSeconds);
