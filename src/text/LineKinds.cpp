#include "text/LineKinds.h"

#include "core/Utf8Text.h"

namespace {

bool StartsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::size_t QuotePos(std::string_view line)
{
    std::size_t pos = line.substr(0, Utf8Offset(line, 7)).rfind('>');
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string QuotePrefix(std::string_view line)
{
    return std::string(line.substr(0, QuotePos(line)));
}

std::size_t QuoteTextStart(std::string_view line)
{
    std::size_t pos = QuotePos(line);
    if (pos == 0)
        return 1;
    return pos + 1 + (pos < line.size() && line[pos] == ' ' ? 1 : 0);
}

int LineKind(std::string_view line)
{
    if (QuotePos(line) != 0)
        return QuotedLineKind;
    if (line == "---" || StartsWith(line, "--- "))
        return TearLineKind;
    if (StartsWith(line, " * Origin:"))
        return OriginLineKind;
    if (StartsWith(line, "\x01") || StartsWith(line, "SEEN-BY:"))
        return ControlLineKind;
    return PlainLineKind;
}

uint32_t LineKindColour(int kind)
{
    switch (kind) {
    case QuotedLineKind: return QuotedColour;
    case TearLineKind: return TearColour;
    case OriginLineKind: return OriginColour;
    case ControlLineKind: return ControlColour;
    default: return PlainColour;
    }
}
