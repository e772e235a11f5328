#include "core/CharsetDecoder.h"

#include "core/CharsetTables.h"
#include "core/Utf8Text.h"

namespace {

constexpr uint8_t Cp866CapitalEn = 0x8D;

std::string DecodeThroughTable(std::string_view bytes, const ByteCharsetTable& table, bool dropCapitalEn)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x80 && table.AsciiUnchanged) {
            out += ch;
            continue;
        }
        if (dropCapitalEn && b == Cp866CapitalEn)
            continue;
        const ByteCharsetTable::Utf8Form& form = table.Utf8[b];
        out.append(form.Bytes, form.Length);
    }
    return out;
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
    if (!IsSingleByteCharset(set))
        return ValidUtf8(bytes);
    const ByteCharsetTable& table = CharsetTable(set);
    if (table.AsciiUnchanged && IsAscii(bytes))
        return std::string(bytes);
    return DecodeThroughTable(bytes, table, softBreak8D && set == Charset::Cp866);
}

std::string DecodeLetterText(std::string_view bytes, Charset declared, const ReadingRules& rules)
{
    return DecodeAs(bytes, ResolveCharset(declared, bytes, rules.DefaultIncoming), rules.SoftBreak8D);
}
