#include "text/Templates.h"

#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "text/LineKinds.h"

namespace {

const char* const Names[TokenCount + 2] = {
    "Quote",  "Position",
    "CAddr",  "CFName", "CLName", "CName", "CDate", "CTime", "CDesc", "CEcho",
    "OAddr",  "OFName", "OLName", "OName", "ODate", "OTime", "ODesc", "OEcho",
    "DAddr",  "DFName", "DLName", "DName",
    "TAddr",  "TFName", "TLName", "TName",
};

// The value token whose name (of the given length) starts text at pos, or -1.
int TokenAt(const std::string& text, std::size_t pos, std::size_t length)
{
    if (pos + length > text.size())
        return -1;
    std::string candidate = UpperAscii(text.substr(pos, length));
    for (int number = 0; number < TokenCount; ++number) {
        const char* name = TokenName(number);
        if (std::char_traits<char>::length(name) == length && UpperAscii(name) == candidate)
            return number;
    }
    return -1;
}

}  // namespace

const char* TokenName(int number)
{
    return number >= TokenQuote && number < TokenCount ? Names[number + 2] : "";
}

std::string QuotePrefixFor(const std::string& senderName)
{
    std::string initials;
    for (int word = 1; word <= 3; ++word) {
        std::string w = ExtractWord(senderName, word);
        if (w.empty())
            break;
        initials += Utf8Left(w, 1);
    }
    return initials + "> ";
}

std::vector<std::string> QuoteText(const TFormattedStrings& answered, const std::string& senderName)
{
    const std::string prefix = QuotePrefixFor(senderName);
    std::vector<std::string> quoted;
    for (const std::string& line : answered.Lines) {
        switch (LineKind(line)) {
        case TearLineKind:
        case OriginLineKind:
            break;
        case QuotedLineKind: {
            std::string deeper = StripLeading(line, ' ');
            deeper.insert(deeper.find('>'), 1, '>');
            quoted.push_back(deeper);
            break;
        }
        default:
            quoted.push_back(line.empty() ? line : prefix + line);
        }
    }
    return quoted;
}

std::string ExpandTokens(const std::string& line, const TokenValueList& values)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t at = line.find('@', pos);
        if (at == std::string::npos) {
            out.append(line, pos, std::string::npos);
            break;
        }
        out.append(line, pos, at - pos);
        pos = at + 1;  // the "@" goes in any case
        for (std::size_t length : {std::size_t(5), std::size_t(6)}) {
            int token = TokenAt(line, pos, length);
            if (token >= 0) {
                out += values[static_cast<std::size_t>(token)];  // never scanned again
                pos += length;
                break;
            }
        }
    }
    return out;
}

TFormattedStrings ExpandTemplate(const std::vector<std::string>& templateLines, const TokenValueList& values,
                                 const TFormattedStrings& answered)
{
    TFormattedStrings result;
    for (const std::string& line : templateLines) {
        if (line == "@Quote")
            continue;
        if (line == "@Position") {
            for (std::string& quoted : QuoteText(answered, values[TokenOName]))
                result.Lines.push_back(std::move(quoted));
            continue;
        }
        result.Lines.push_back(ExpandTokens(line, values));
    }
    result.ReFormat(false, 79, 0, nullptr, nullptr, FidoAddress{});
    return result;
}
