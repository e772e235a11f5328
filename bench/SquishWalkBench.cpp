// Walks every header of a Squish base of 100,000 letters the way an area scan
// does: SeekFirst(1), then LoadHeader, the getters and SeekNext per letter.
#include <cstdio>

#include "msgbase/MsgBaseFactory.h"
#include "support/BenchSupport.h"
#include "support/SquishBaseGenerator.h"

int main()
{
    constexpr long Letters = 100000;
    ScratchDir dir;
    const std::string path = dir / "bench";
    GenerateSquishBase(path, Letters);

    long walked = 0;
    std::size_t checksum = 0;
    const double seconds = BestSeconds(5, [&] {
        std::unique_ptr<MsgBase> base = CreateBaseFor("S" + path);
        if (!base || base->OpenBase() != 0) {
            std::fprintf(stderr, "cannot open the base\n");
            std::exit(1);
        }
        walked = 0;
        for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
            base->LoadHeader();
            checksum += base->GetNumber() + base->GetReplyTo() + base->GetSubject().size() + base->GetFrom().size() +
                        base->GetTo().size() + static_cast<std::size_t>(base->GetDateTime()) + base->IsRead();
            ++walked;
        }
        base->CloseBase();
    });
    if (walked != Letters) {
        std::fprintf(stderr, "walked %ld letters, expected %ld\n", walked, Letters);
        return 1;
    }
    Report("Squish header walk", Letters, seconds, CatSeconds(FilesIn(dir.Path())));
    std::printf("(checksum %zu)\n", checksum);
    return 0;
}
