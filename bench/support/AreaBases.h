// The large single areas the area benchmarks share (marking the rest read,
// opening an area): one base per format in the cache, a tenth of the letters
// unread. A Hudson base holds at most 65,534 letters, so its area is a full
// base with every letter on board 1.
#pragma once

#include <string>

struct AreaBase {
    std::string Dir;  // the cached base's directory (never changed)
    long Letters = 0;
    long Unread = 0;
};

constexpr long HudsonLetterLimit = 65534;

// The cached area of this format with `letters` letters (Hudson: at most
// its limit), generated the first time.
AreaBase CachedAreaBase(char format, long letters);

// The base string of the area base kept in dir (the cache or a copy of it).
std::string AreaSpec(char format, const std::string& dir);
