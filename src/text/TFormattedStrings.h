// A letter's text lines with the values picked out of them: the origin line,
// the MSGID and REPLY values and the sender's and recipient's addresses.
// ReFormat classifies, hides control lines when asked, and re-wraps long lines
// to a width in characters or pixels, carrying the overflow down the paragraph.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/FidoAddress.h"

class Canvas;
class MsgBase;

class TFormattedStrings {
public:
    std::vector<std::string> Lines;

    std::string Origin;  // the last origin line met
    std::string MsgId;   // value of the last MSGID control line (blanks after the colon removed)
    std::string Reply;   // value of the last REPLY control line
    FidoAddress FromAddr;
    FidoAddress ToAddr;
    // The letter's own ends as netmail needs them (worked out with a base
    // only): the header's addresses, zones from its INTL line and points
    // from its FMPT and TOPT lines where the format keeps them there.
    FidoAddress OrigAddr;
    FidoAddress DestAddr;

    std::size_t Count() const { return Lines.size(); }
    const std::string& operator[](std::size_t i) const { return Lines[i]; }

    // With a canvas widths are pixels (pixelWidth available), else characters
    // (width per line). A width of 1..15 is raised to 16, a pixel width of
    // 1..159 to 160. With a base, FromAddr, ToAddr, OrigAddr and DestAddr are
    // worked out at the end; defaultAddress completes partial addresses.
    void ReFormat(bool showKludges, int width, int pixelWidth, const Canvas* canvas, MsgBase* base,
                  const FidoAddress& defaultAddress);
};

// Splits s at the last word boundary that keeps the head within width
// characters; blanks at the break are dropped. Returns (head, tail).
std::pair<std::string, std::string> WrapLine(const std::string& s, int width);

// How many characters of text fit in pixels: the whole text when it is
// narrower, else the largest count whose width stays below pixels. hint, a
// count likely near the answer (the previous piece's), saves measurements.
int FitChars(std::string_view text, int pixels, const Canvas& canvas, int hint = 0);
