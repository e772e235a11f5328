// What each line of a letter is: plain text, quoted text, tear line, origin
// line or control line. The same classification colours the viewer and the
// editor and decides how a line is quoted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum LineKindValue : int {
    PlainLineKind = 0,
    QuotedLineKind = 1,
    TearLineKind = 2,
    OriginLineKind = 3,
    ControlLineKind = 4,
};

// Tested in this order, the first that applies wins: a ">" among the first 7
// characters; exactly "---" or "--- " at the start; " * Origin:" at the
// start; Ctrl-A or "SEEN-BY:" at the start; anything else.
int LineKind(std::string_view line);

// 1-based position of the last ">" among the first 7 characters; 0 = none.
std::size_t QuotePos(std::string_view line);
// The first QuotePos characters; empty without a quote mark.
std::string QuotePrefix(std::string_view line);
// 1-based position where the quoted text begins (after the prefix and one
// blank that follows it); 1 for a line without quote mark.
std::size_t QuoteTextStart(std::string_view line);

// Display colours of the five kinds, as 0xRRGGBB.
constexpr uint32_t PlainColour = 0x000000;    // black
constexpr uint32_t QuotedColour = 0x000080;   // navy
constexpr uint32_t TearColour = 0xC0C0C0;     // silver
constexpr uint32_t OriginColour = 0xC0C0C0;   // silver
constexpr uint32_t ControlColour = 0xFF0000;  // red
uint32_t LineKindColour(int kind);
