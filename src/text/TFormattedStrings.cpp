#include "text/TFormattedStrings.h"

#include <algorithm>
#include <string_view>

#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "msgbase/MsgBase.h"
#include "msgbase/NetmailLines.h"
#include "text/Canvas.h"
#include "text/LineKinds.h"

namespace {

bool StartsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
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

// The cut of a text at width w (characters) by the rule of WrapLine, found
// from the first w + 1 characters only: view holds at least those, or the
// whole text. False: the text fits, no cut.
bool WrapCut(std::string_view view, std::size_t w, std::size_t& cut)
{
    w = std::max<std::size_t>(w, 1);
    // Positions below are byte offsets; the width counts characters, wb is
    // the width in bytes here. Blanks are one byte, so every blank found is
    // a character boundary.
    const std::size_t wb = Utf8Offset(view, w);
    if (wb >= view.size())
        return false;  // w characters or fewer (a view cut short holds more than w + 1)
    // The first blank at or after the w-th character. Past the character
    // after it nothing matters: either the blank ends the head there, or the
    // word that straddles the width is cut before it.
    const std::size_t start = Utf8Offset(view, w - 1);
    const std::size_t blank = view.substr(0, wb + 1).find(' ', start);
    if (blank != std::string_view::npos) {
        std::size_t d = blank;
        while (d >= 1 && view[d - 1] == ' ')
            --d;
        cut = d;
        return true;
    }
    std::size_t j = wb + 1;
    while (j >= 1 && view[j - 1] != ' ')
        --j;
    if (j == 0) {
        cut = wb;  // one word longer than the width from the start: hard break
        return true;
    }
    while (j >= 1 && view[j - 1] == ' ')
        --j;
    cut = j;
    return true;
}

// A line being reflowed: a short head (a quote prefix put back, the mark of
// a wrapped control line) before a body consumed from the front. Carrying the
// overflow of a long line down then costs what each step moves, not what is
// left, so that a line of megabytes reflows in time linear in its length.
class CarriedLine {
public:
    void Start(std::string line)
    {
        Head.clear();
        Body = std::move(line);
        Off = 0;
    }
    std::size_t Size() const { return Head.size() + Body.size() - Off; }
    char At(std::size_t pos) const { return pos < Head.size() ? Head[pos] : Body[Off + pos - Head.size()]; }
    // Bytes from `from` on, at most count of them.
    std::string Part(std::size_t from, std::size_t count) const
    {
        std::string part;
        if (from < Head.size()) {
            part = Head.substr(from, count);
            count -= part.size();
            from = Head.size();
        }
        const std::size_t bodyFrom = Off + from - Head.size();
        if (count > 0 && bodyFrom < Body.size())
            part.append(Body, bodyFrom, count);
        return part;
    }
    std::string Whole() const { return Part(0, Size()); }
    // The line becomes head followed by what lies from position `from` on.
    void Continue(std::string head, std::size_t from)
    {
        if (from < Head.size()) {
            Body = Head.substr(from) + Body.substr(Off);
            Off = 0;
        } else {
            Off += from - Head.size();
        }
        Head = std::move(head);
        if (Off > 65536 && Off > Body.size() / 2) {
            Body.erase(0, Off);
            Off = 0;
        }
    }
    void Append(std::string_view more) { Body.append(more); }

private:
    std::string Head, Body;
    std::size_t Off = 0;
};

// Enough of a line's start to classify it and find its quote prefix (seven
// characters of up to four bytes, the longest keyword): a longer line is
// never taken for "---".
constexpr std::size_t ProbeBytes = 64;
// Of a control line, what the netmail reading looks at (its first words).
constexpr std::size_t NetmailLineBytes = 1024;

// FitChars over a line from byte `from` on, looking at a window of it that
// grows only while all of it fits: a piece of a long line costs what fits.
int FitCharsFrom(const CarriedLine& line, std::size_t from, int pixels, const Canvas& canvas, int& hint)
{
    const std::size_t rest = line.Size() - from;
    for (std::size_t chars = std::max<std::size_t>(128, 2 * std::size_t(std::max(hint, 0)) + 32);; chars *= 4) {
        std::string window = line.Part(from, std::min(rest, chars * 4 + 4));
        const std::size_t bytes = Utf8Offset(window, chars);
        const bool complete = bytes >= window.size() && window.size() == rest;
        window.resize(std::min(bytes, window.size()));
        const int fit = FitChars(window, pixels, canvas, hint);
        if (complete || static_cast<std::size_t>(fit) < chars) {
            hint = fit;
            return fit;
        }
    }
}

}  // namespace

std::pair<std::string, std::string> WrapLine(const std::string& s, int width)
{
    std::size_t cut = 0;
    if (!WrapCut(s, static_cast<std::size_t>(std::max(width, 1)), cut))
        return {s, {}};
    std::size_t tailStart = cut;
    while (tailStart < s.size() && s[tailStart] == ' ')
        ++tailStart;
    return {s.substr(0, cut), s.substr(tailStart)};
}

int FitChars(std::string_view text, int pixels, const Canvas& canvas, int hint)
{
    // Widths grow with the prefix. A line that fits costs one measurement.
    // Past that, the prefix that fits is found by galloping from a first
    // guess (the previous piece's count, or 256) and then halving back, so a
    // text far longer than the width costs measurements of about the part
    // that fits, and the pieces of one long line cost two or three each.
    // Counts are characters; the canvas is given whole characters only.
    constexpr std::size_t FirstProbe = 256;
    const std::string_view all(text);
    std::vector<std::size_t> starts;  // byte offset of every character, then the size (not for ASCII)
    if (!IsAscii(all)) {
        starts.reserve(all.size() + 1);
        for (std::size_t pos = 0; pos < all.size(); NextCodePoint(all, pos))
            starts.push_back(pos);
        starts.push_back(all.size());
    }
    const std::size_t length = starts.empty() ? all.size() : starts.size() - 1;
    auto prefix = [&](std::size_t chars) { return all.substr(0, starts.empty() ? chars : starts[chars]); };
    auto fitsIn = [&](std::size_t chars) { return canvas.TextWidth(prefix(chars)) < pixels; };
    if (length == 0)
        return 0;
    // The largest k with width(first k) < pixels lies in [low, high].
    std::size_t low = 0, high = length;
    if (hint <= 0) {
        // Doubling a prefix from the first probe on.
        std::size_t probe = std::min(length, FirstProbe);
        while (fitsIn(probe)) {
            low = probe;
            if (probe == length)
                return static_cast<int>(length);
            probe = std::min(length, probe * 2);
        }
        high = probe - 1;
    } else if (const std::size_t guess = std::min(length, std::size_t(hint)); fitsIn(guess)) {
        // Galloping up from the hint.
        low = guess;
        for (std::size_t step = 1; low < high; step *= 2) {
            const std::size_t probe = std::min(high, low + step);
            if (!fitsIn(probe)) {
                high = probe - 1;
                break;
            }
            low = probe;
        }
        if (low == length)
            return static_cast<int>(length);
    } else {
        // Galloping down from the hint.
        high = guess - 1;
        for (std::size_t step = 1; step < guess; step *= 2) {
            const std::size_t probe = guess - step;
            if (probe <= low)
                break;
            if (fitsIn(probe)) {
                low = probe;
                break;
            }
            high = probe - 1;
        }
    }
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (fitsIn(mid))
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

    // The lines are taken in order and the result built anew: a wrapped
    // line's overflow is carried as the line that follows it (a line of its
    // own, or the start of the next line of its paragraph, which it takes
    // in), so that no step copies what lies after it.
    std::vector<std::string> out;
    out.reserve(Lines.size());
    std::vector<std::string> netmailLines;
    std::size_t next = 0;  // the first line not taken yet
    CarriedLine line;
    bool carrying = false;
    int fitHint = 0;
    static const std::string NoLine;
    while (carrying || next < Lines.size()) {
        if (!carrying) {
            line.Start(std::move(Lines[next++]));
            carrying = true;
        }
        const std::string probe = line.Part(0, ProbeBytes);
        const int kind = LineKind(probe);
        if (kind == OriginLineKind || kind == TearLineKind) {
            out.push_back(line.Whole());
            if (kind == OriginLineKind)
                Origin = out.back();
            carrying = false;
            continue;
        }
        if (StartsWith(probe, "\x01")) {
            if (StartsWith(probe, "\x01MSGID:"))
                MsgId = KludgeValue(line.Whole(), 7);
            else if (StartsWith(probe, "\x01REPLY:"))
                Reply = KludgeValue(line.Whole(), 7);
            else
                netmailLines.push_back(line.Part(0, NetmailLineBytes));
            if (!showKludges) {
                carrying = false;
                continue;
            }
        }

        // The quote prefix (with one blank after it) stays out of the wrapping.
        std::string prefix;
        if (std::size_t pos = QuotePos(probe); pos != 0)
            prefix = probe.substr(0, pos + (pos < probe.size() && probe[pos] == ' ' ? 1 : 0));
        int breakPos;
        if (canvas) {
            int available = pixelWidth - (prefix.empty() ? 0 : canvas->TextWidth(prefix));
            breakPos = FitCharsFrom(line, prefix.size(), available, *canvas, fitHint);
        } else {
            breakPos = width - static_cast<int>(Utf8Length(prefix));
        }

        const std::size_t w = static_cast<std::size_t>(std::max(breakPos, 1));
        const std::size_t textSize = line.Size() - prefix.size();
        const std::string window = line.Part(prefix.size(), std::min(textSize, w * 4 + 8));
        std::size_t cut = 0;
        std::size_t tailStart = line.Size();
        if (WrapCut(window, w, cut)) {
            tailStart = prefix.size() + cut;
            while (tailStart < line.Size() && line.At(tailStart) == ' ')
                ++tailStart;
        }
        if (tailStart >= line.Size()) {
            out.push_back(line.Whole());  // no tail: the line stays as it was
            carrying = false;
            continue;
        }
        std::string head = prefix + window.substr(0, cut);
        if (StartsWith(head, "\x01")) {
            line.Continue("\x01 ", tailStart);  // a wrapped control line stays a control line
        } else {
            const bool last = next >= Lines.size();
            const std::string& nextLine = last ? NoLine : Lines[next];
            const std::string p1 = QuotePrefix(head);
            const std::string p2 = QuotePrefix(nextLine);
            if (p1 != p2) {
                line.Continue(p1 + (p1.empty() ? "" : " "), tailStart);
            } else if (p1.empty() && (last || EndsParagraph(nextLine))) {
                line.Continue("", tailStart);
            } else {
                // The next line of the paragraph takes the overflow after its prefix.
                const std::size_t textStart = QuoteTextStart(nextLine) - 1;
                line.Continue(nextLine.substr(0, textStart), tailStart);
                line.Append(" ");
                line.Append(std::string_view(nextLine).substr(textStart));
                ++next;
            }
        }
        out.push_back(std::move(head));
    }
    Lines = std::move(out);

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
