#include "core/CodePage.h"

#include <cstdint>

#include "core/CodePageTables.inc"

char AnsiToOemChar(char ch)
{
    return static_cast<char>(codepage_tables::AnsiToOem[static_cast<uint8_t>(ch)]);
}

char OemToAnsiChar(char ch)
{
    return static_cast<char>(codepage_tables::OemToAnsi[static_cast<uint8_t>(ch)]);
}

std::string AnsiToOemText(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = AnsiToOemChar(ch);
    return result;
}

std::string OemToAnsiText(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = OemToAnsiChar(ch);
    return result;
}

std::string AnsiToUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 2);
    for (char ch : text) {
        uint32_t cp = codepage_tables::AnsiToUnicode[static_cast<uint8_t>(ch)];
        if (cp < 0x80) {
            result += static_cast<char>(cp);
        } else if (cp < 0x800) {
            result += static_cast<char>(0xC0 | (cp >> 6));
            result += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            result += static_cast<char>(0xE0 | (cp >> 12));
            result += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return result;
}

namespace {

// Decodes one UTF-8 sequence; a malformed byte is taken as one unknown character.
uint32_t NextCodePoint(std::string_view text, std::size_t& i)
{
    auto b0 = static_cast<uint8_t>(text[i++]);
    if (b0 < 0x80)
        return b0;
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return 0xFFFD;
    uint32_t cp = b0 & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
    }
    return cp;
}

char UnicodeToAnsi(uint32_t cp)
{
    if (cp < 0x80)
        return static_cast<char>(cp);
    if (cp == 0xFFFD)
        return '?';
    for (int b = 0x80; b < 256; ++b)
        if (codepage_tables::AnsiToUnicode[b] == cp)
            return static_cast<char>(b);
    return '?';
}

}  // namespace

std::string Utf8ToAnsi(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
        result += UnicodeToAnsi(NextCodePoint(text, i));
    return result;
}
