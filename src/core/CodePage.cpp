#include "core/CodePage.h"

#include <cstdint>

#include "core/CodePageTables.inc"
#include "core/Utf8Text.h"

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
    for (char ch : text)
        AppendCodePoint(result, codepage_tables::AnsiToUnicode[static_cast<uint8_t>(ch)]);
    return result;
}

namespace {

char UnicodeToAnsi(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<char>(cp);
    if (cp == ReplacementCharacter)
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
