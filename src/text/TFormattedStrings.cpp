#include "text/TFormattedStrings.h"

#include <algorithm>

#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "msgbase/MsgBase.h"
#include "msgbase/NetmailLines.h"
#include "text/Canvas.h"
#include "text/LineKinds.h"

namespace {

bool StartsWith(const std::string& line, const char* prefix)
{
    return line.rfind(prefix, 0) == 0;
}

// The value of a control line after its keyword and colon, blanks removed.
std::string KludgeValue(const std::string& line, std::size_t keywordLength)
{
    return std::string(Utf8Left(StripLeading(line.substr(keywordLength), ' '), 255));
}

bool EndsParagraph(const std::string& next)
{
    int kind = LineKind(next);
    return next.empty() || kind == TearLineKind || kind == OriginLineKind || kind == ControlLineKind;
}

// The address in the last parentheses of an origin line.
bool ParseParenthesisAddress(const std::string& text, const FidoAddress& defaultAddress, FidoAddress& address)
{
    std::size_t open = text.rfind('(');
    std::string part = open == std::string::npos ? text : text.substr(open + 1);
    if (std::size_t blank = part.find(' '); blank != std::string::npos)
        part.erase(0, blank + 1);
    if (std::size_t close = part.find(')'); close != std::string::npos)
        part.erase(close);
    return ParseAddress(part, defaultAddress, address);
}

}  // namespace

std::pair<std::string, std::string> WrapLine(const std::string& s, int width)
{
    const auto w = static_cast<std::size_t>(width < 1 ? 1 : width);
    const std::size_t length = s.size();
    std::size_t cut = length;
    if (Utf8Length(s) > w) {
        // Positions below are 1-based byte positions, as the rule is stated;
        // the width counts characters, wb is the width in bytes here. Blanks
        // are one byte, so every blank found is a character boundary.
        const std::size_t wb = Utf8Offset(s, w);
        std::size_t q = s.find(' ', Utf8Offset(s, w - 1));
        q = q == std::string::npos ? length : q + 1;
        std::size_t d = q;
        while (d >= 1 && s[d - 1] == ' ')
            --d;
        if (d <= wb) {
            cut = d;
        } else {
            std::size_t j = d;
            while (j >= 1 && s[j - 1] != ' ')
                --j;
            if (j == 0) {
                cut = wb;  // one word longer than the width from the start: hard break
            } else {
                while (j >= 1 && s[j - 1] == ' ')
                    --j;
                cut = j;
            }
        }
    }
    std::size_t tailStart = cut;
    while (tailStart < length && s[tailStart] == ' ')
        ++tailStart;
    return {s.substr(0, cut), s.substr(tailStart)};
}

int FitChars(const std::string& text, int pixels, const Canvas& canvas)
{
    // Widths grow with the prefix. A line that fits costs one measurement.
    // Past that, the prefix that fits is found by doubling a prefix and then
    // halving back, so a text far longer than the width costs measurements of
    // about the part that fits: a paragraph flowing down a narrow viewer
    // carries its whole overflow from line to line, and measuring all of it
    // on every line made showing a long letter take seconds.
    // Counts are characters; the canvas is given whole characters only.
    constexpr std::size_t FirstProbe = 256;
    const std::string_view all(text);
    std::vector<std::size_t> starts;  // byte offset of every character, then the size (not for ASCII)
    if (!IsAscii(all)) {
        for (std::size_t pos = 0; pos < all.size(); NextCodePoint(all, pos))
            starts.push_back(pos);
        starts.push_back(all.size());
    }
    const std::size_t length = starts.empty() ? all.size() : starts.size() - 1;
    auto prefix = [&](std::size_t chars) { return all.substr(0, starts.empty() ? chars : starts[chars]); };
    if (length == 0)
        return 0;
    std::size_t fits = 0;  // a prefix known to fit (the empty one always counts)
    std::size_t probe = std::min(length, FirstProbe);
    while (canvas.TextWidth(prefix(probe)) < pixels) {
        fits = probe;
        if (probe == length)
            return static_cast<int>(length);
        probe = std::min(length, probe * 2);
    }
    // The largest k with width(first k) < pixels lies in [fits, probe - 1].
    std::size_t low = fits, high = probe - 1;
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (canvas.TextWidth(prefix(mid)) < pixels)
            low = mid;
        else
            high = mid - 1;
    }
    return static_cast<int>(low);
}

void TFormattedStrings::ReFormat(bool showKludges, int width, int pixelWidth, const Canvas* canvas, MsgBase* base,
                                 const FidoAddress& defaultAddress)
{
    if (width >= 1 && width <= 15)
        width = 16;
    if (pixelWidth >= 1 && pixelWidth <= 159)
        pixelWidth = 160;

    std::vector<std::string> netmailLines;
    std::size_t i = 0;
    while (i < Lines.size()) {
        const std::string line = Lines[i];
        int kind = LineKind(line);
        if (kind == OriginLineKind)
            Origin = line;
        if (kind == OriginLineKind || kind == TearLineKind) {
            ++i;
            continue;
        }
        if (StartsWith(line, "\x01")) {
            if (StartsWith(line, "\x01MSGID:"))
                MsgId = KludgeValue(line, 7);
            else if (StartsWith(line, "\x01REPLY:"))
                Reply = KludgeValue(line, 7);
            else
                netmailLines.push_back(line);
            if (!showKludges) {
                Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
        }

        // The quote prefix (with one blank after it) stays out of the wrapping.
        std::string prefix;
        if (std::size_t pos = QuotePos(line); pos != 0)
            prefix = line.substr(0, pos + (pos < line.size() && line[pos] == ' ' ? 1 : 0));
        const std::string text = line.substr(prefix.size());
        int breakPos;
        if (canvas) {
            int available = pixelWidth - (prefix.empty() ? 0 : canvas->TextWidth(prefix));
            breakPos = FitChars(text, available, *canvas);
        } else {
            breakPos = width - static_cast<int>(Utf8Length(prefix));
        }

        auto [head, tail] = WrapLine(text, breakPos);
        if (tail.empty()) {
            ++i;
            continue;
        }
        Lines[i] = prefix + head;
        auto next = Lines.begin() + static_cast<std::ptrdiff_t>(i) + 1;
        if (StartsWith(Lines[i], "\x01")) {
            Lines.insert(next, "\x01 " + tail);  // a wrapped control line stays a control line
        } else {
            const std::string nextLine = i + 1 < Lines.size() ? Lines[i + 1] : std::string();
            const std::string p1 = QuotePrefix(Lines[i]);
            const std::string p2 = QuotePrefix(nextLine);
            if (p1 != p2)
                Lines.insert(next, p1 + (p1.empty() ? "" : " ") + tail);
            else if (p1.empty() && (i + 1 >= Lines.size() || EndsParagraph(nextLine)))
                Lines.insert(next, tail);
            else
                Lines[i + 1] = nextLine.substr(0, QuoteTextStart(nextLine) - 1) + tail + " " +
                               nextLine.substr(QuoteTextStart(nextLine) - 1);
        }
        ++i;
    }

    if (!base)
        return;
    const LetterHeader header = base->Header();
    FidoAddress parsed;
    if (!MsgId.empty() && ParseAddress(ExtractWord(MsgId, 1), defaultAddress, parsed))
        FromAddr = parsed;
    else if (!Origin.empty() && ParseParenthesisAddress(Origin, defaultAddress, parsed))
        FromAddr = parsed;
    else
        FromAddr = header.Orig;
    if (!Reply.empty() && ParseAddress(ExtractWord(Reply, 1), defaultAddress, parsed))
        ToAddr = parsed;
    else
        ToAddr = header.Dest;
    OrigAddr = header.Orig;
    DestAddr = header.Dest;
    for (const std::string& line : netmailLines)
        ApplyNetmailLine(line, OrigAddr, DestAddr);
}
