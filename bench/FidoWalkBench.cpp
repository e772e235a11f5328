// A full header walk over a *.MSG directory of 10,000 letters, as the area
// scan does it: open the base (listing the directory), then for every letter
// LoadHeader (which opens the file and reads its control lines) and the
// getters. Warm cache; compared with reading the same files with cat.
#include <cstdio>
#include <string>

#include "msgbase/MsgBaseFactory.h"
#include "support/BenchSupport.h"
#include "support/FidoBaseGenerator.h"

int main()
{
    constexpr long Letters = 10000;
    ScratchDir scratch;
    const std::string dir = scratch / "netmail";
    GenerateFidoBase(dir, Letters);

    long walked = 0;
    std::size_t checksum = 0;
    double seconds = BestSeconds(5, [&] {
        auto base = CreateBaseFor("F" + dir);
        if (!base || base->OpenBase() != 0)
            throw std::runtime_error("cannot open the benchmark base");
        walked = 0;
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
            base->LoadHeader();
            FidoAddress orig;
            base->GetOrigAddr(orig);
            checksum += base->GetNumber() + base->GetReplyTo() + base->GetSubject().size() + base->GetFrom().size() +
                        base->GetTo().size() + static_cast<std::size_t>(base->GetDateTime()) + base->IsRead() +
                        orig.Point;
            ++walked;
        }
        base->CloseBase();
    });
    if (walked != Letters) {
        std::fprintf(stderr, "walked %ld letters, expected %ld\n", walked, Letters);
        return 1;
    }
    Report("FidoWalkBench (header walk)", walked, seconds, CatSeconds(FilesIn(dir)));
    std::printf("(checksum %zu)\n", checksum);
    return seconds < 0.5 ? 0 : 1;
}
