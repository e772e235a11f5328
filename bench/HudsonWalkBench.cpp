// The header walk a scan makes over a Hudson base: one base object per board,
// SeekFirst(1), then LoadHeader, the getters and SeekNext for every letter.
//
// A Hudson base holds at most 65534 numbered letters in 65536 text blocks, so
// 100,000 letters over 200 boards do not fit one base. The walk is timed over
// two bases of 50,000 letters on 200 boards each (100,000 letters, 400 board
// walks), and over one base filled to the format's limit.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "msgbase/MsgBaseFactory.h"
#include "support/BenchSupport.h"
#include "support/HudsonBaseGenerator.h"

namespace {

constexpr int Boards = 200;

struct WalkResult {
    long Letters = 0;
    long Unread = 0;
    std::size_t TextBytes = 0;  // of the header strings, so nothing is optimised away
};

// Walks one board the way a scan does; adds what it saw to result.
void WalkBoard(const std::string& dir, int board, WalkResult& result)
{
    char spec[8];
    std::snprintf(spec, sizeof spec, "H%03d", board);
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec + dir);
    if (!base || !base->BaseExists() || base->OpenBase() != 0)
        throw std::runtime_error("cannot open board " + std::to_string(board));
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        result.Letters += base->GetNumber() != 0;
        result.TextBytes += base->GetReplyTo() + base->GetSubject().size() + base->GetFrom().size() +
                            base->GetTo().size() + (base->GetDateTime() > 0);
        result.Unread += !base->IsRead();
    }
    base->CloseBase();
}

WalkResult WalkAll(const std::vector<std::string>& dirs)
{
    WalkResult result;
    for (const std::string& dir : dirs)
        for (int board = 1; board <= Boards; ++board)
            WalkBoard(dir, board, result);
    return result;
}

void Measure(const std::string& name, const std::vector<std::string>& dirs, long expected)
{
    WalkResult result = WalkAll(dirs);
    if (result.Letters != expected)
        throw std::runtime_error(name + ": walked " + std::to_string(result.Letters) + " letters, expected " +
                                 std::to_string(expected));
    double seconds = BestSeconds(5, [&] { WalkAll(dirs); });
    std::vector<std::string> files;
    for (const std::string& dir : dirs)
        for (const std::string& f : FilesIn(dir))
            files.push_back(f);
    Report(name, result.Letters, seconds, CatSeconds(files));
    long walks = static_cast<long>(dirs.size()) * Boards;
    double slowest = 0;
    for (int board : {1, 100, 200})
        slowest = std::max(slowest, BestSeconds(5, [&] {
                               WalkResult one;
                               WalkBoard(dirs.front(), board, one);
                           }));
    std::printf("  %ld board walks, %.3f ms a board on average; boards 1, 100, 200 alone: at most %.3f ms\n", walks,
                seconds * 1000 / double(walks), slowest * 1000);
}

}  // namespace

int main()
{
    try {
        ScratchDir scratch;
        std::string first = scratch / "first/", second = scratch / "second/", full = scratch / "full/";
        for (const std::string& d : {first, second, full})
            std::filesystem::create_directories(d);
        GenerateHudsonBase(first, Boards, 50000);
        GenerateHudsonBase(second, Boards, 50000);
        GenerateHudsonBase(full, Boards, 65534);
        Measure("Hudson walk, 100,000 letters (2 bases x 200 boards)", {first, second}, 100000);
        Measure("Hudson walk, 65,534 letters (one full base, 200 boards)", {full}, 65534);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "HudsonWalkBench: %s\n", e.what());
        return 1;
    }
    return 0;
}
