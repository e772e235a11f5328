// The large single areas the area benchmarks share (marking the rest read,
// opening an area): one base per format in the cache, a tenth of the letters
// unread. A Hudson base holds at most 65,534 letters and a *.MSG directory
// numbers its letters up to 65,535, so their areas are full at that; the
// Hudson area has every letter on board 1.
#pragma once

#include <string>

struct AreaBase {
    std::string Dir;  // the cached base's directory (never changed)
    long Letters = 0;
    long Unread = 0;
};

constexpr long HudsonLetterLimit = 65534;
constexpr long FidoLetterLimit = 65535;

// The most letters an area of this format holds.
long LetterLimit(char format);

// Writes the area's base of this format into dir: `letters` letters (at most
// the format's limit, which the caller keeps to), a tenth unread.
void GenerateAreaBase(char format, const std::string& dir, long letters);

// The cached area of this format with `letters` letters (at most the
// format's limit), generated the first time.
AreaBase CachedAreaBase(char format, long letters);

// The base string of the area base kept in dir (the cache or a copy of it).
std::string AreaSpec(char format, const std::string& dir);
