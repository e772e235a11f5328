#include "core/CharsetEncoder.h"

#include "core/CharsetTables.h"
#include "core/Utf8Text.h"

namespace {

constexpr char32_t CyrillicCapitalEn = 0x041D;

// The byte of one character in a one-byte set; false when it has none.
bool ByteFor(const ByteCharsetTable& table, Charset set, CapitalEn en, char32_t cp, uint8_t& byte)
{
    if (cp < 0x80 && table.AsciiUnchanged) {
        byte = static_cast<uint8_t>(cp);
        return true;
    }
    if (set == Charset::Cp866 && cp == CyrillicCapitalEn && en == CapitalEn::AsLatinH) {
        byte = 'H';
        return true;
    }
    return FindByte(table, cp, byte);
}

}  // namespace

EncodedText EncodeText(std::string_view utf8, Charset set, CapitalEn en)
{
    if (!IsSingleByteCharset(set))
        return {ValidUtf8(utf8), true};
    const ByteCharsetTable& table = CharsetTable(set);
    if (table.AsciiUnchanged && IsAscii(utf8))
        return {std::string(utf8), true};
    EncodedText result;
    result.Bytes.reserve(utf8.size());
    for (char32_t cp : CodePoints(utf8)) {
        uint8_t byte;
        if (!ByteFor(table, set, en, cp, byte)) {
            byte = '?';
            result.Complete = false;
        }
        result.Bytes += static_cast<char>(byte);
    }
    return result;
}

bool FitsCharset(std::string_view utf8, Charset set)
{
    if (!IsSingleByteCharset(set))
        return true;
    const ByteCharsetTable& table = CharsetTable(set);
    if (table.AsciiUnchanged && IsAscii(utf8))
        return true;
    for (char32_t cp : CodePoints(utf8)) {
        uint8_t byte;
        if (!ByteFor(table, set, CapitalEn::AsIs, cp, byte))
            return false;
    }
    return true;
}
