// A full header walk over a JAM base of 100,000 letters, as an area scan
// makes it: every letter's header loaded and its getters read.
#include <cstdio>

#include "msgbase/jam/JamMsgBase.h"
#include "support/BenchSupport.h"
#include "support/JamBaseGenerator.h"

int main()
{
    const long letters = 100000;
    ScratchDir dir;
    GenerateJamBase(dir / "area", letters);

    long walked = 0, unread = 0;
    std::size_t chars = 0;
    double seconds = BestSeconds(5, [&] {
        JamMsgBase base;
        base.SetBasePath(dir / "area");
        if (base.OpenBase() != 0) {
            std::printf("cannot open the base\n");
            return;
        }
        walked = unread = 0;
        chars = 0;
        for (base.SeekFirst(1); base.SeekFound(); base.SeekNext()) {
            base.LoadHeader();
            chars += base.GetSubject().size() + base.GetFrom().size() + base.GetTo().size();
            walked += base.GetNumber() != 0 && base.GetReplyTo() <= base.GetNumber() && base.GetDateTime() > 0;
            unread += !base.IsRead();
        }
        base.CloseBase();
    });
    if (walked != letters)
        std::printf("walked %ld letters of %ld\n", walked, letters);
    std::printf("(%ld unread, %zu characters of names and subjects)\n", unread, chars);
    Report("JAM header walk", walked, seconds, CatSeconds(FilesIn(dir.Path())));
    return walked == letters ? 0 : 1;
}
