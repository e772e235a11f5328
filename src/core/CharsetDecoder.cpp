#include "core/CharsetDecoder.h"

#include <cstring>

#include "core/CharsetTables.h"
#include "core/Utf8Text.h"

namespace {

constexpr uint8_t Cp866CapitalEn = 0x8D;

std::string DecodeThroughTable(std::string_view bytes, const ByteCharsetTable& table, bool dropCapitalEn)
{
    // Written through a pointer into room for the longest result (three
    // bytes a character, and one more because every character's form is
    // copied whole): appending byte by byte doubles the cost of a scan.
    std::string out(bytes.size() * 3 + 1, '\0');
    char* to = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x80 && table.AsciiUnchanged) {
            *to++ = ch;
            continue;
        }
        if (dropCapitalEn && b == Cp866CapitalEn)
            continue;
        const ByteCharsetTable::Utf8Form& form = table.Utf8[b];
        std::memcpy(to, form.Bytes, sizeof form.Bytes);
        to += form.Length;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

// DecodeAs, told whether the bytes are all ASCII.
std::string Decode(std::string_view bytes, Charset set, bool softBreak8D, bool ascii)
{
    if (!IsSingleByteCharset(set))
        return ascii ? std::string(bytes) : ValidUtf8(bytes);
    const ByteCharsetTable& table = CharsetTable(set);
    if (ascii && table.AsciiUnchanged)
        return std::string(bytes);
    return DecodeThroughTable(bytes, table, softBreak8D && set == Charset::Cp866);
}

}  // namespace

Charset ResolveCharset(Charset declared, std::string_view bytes, Charset defaultIncoming)
{
    if (declared != Charset::None)
        return declared;
    return IsMultiByteUtf8(bytes) ? Charset::Utf8 : defaultIncoming;
}

std::string DecodeAs(std::string_view bytes, Charset set, bool softBreak8D)
{
    return Decode(bytes, set, softBreak8D, IsAscii(bytes));
}

std::string DecodeLetterText(std::string_view bytes, Charset declared, const ReadingRules& rules)
{
    const bool ascii = IsAscii(bytes);
    Charset set = declared;
    if (set == Charset::None) {
        if (!ascii && IsValidUtf8(bytes))
            return std::string(bytes);  // UTF-8, and checked already
        set = rules.DefaultIncoming;
    }
    return Decode(bytes, set, rules.SoftBreak8D, ascii);
}

std::string DecodeHeaderField(std::string_view bytes, Charset declared, const ReadingRules& rules)
{
    return DecodeLetterText(bytes, declared, {rules.DefaultIncoming, false});
}
