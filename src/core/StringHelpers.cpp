#include "core/StringHelpers.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "core/Utf8Text.h"

char AsciiLower(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

char AsciiUpper(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

std::string UpperAscii(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = AsciiUpper(ch);
    return result;
}

std::string LowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = AsciiLower(ch);
    return result;
}

void AddBackslash(std::string& path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
}

std::string WithBackslash(std::string_view path)
{
    std::string result(path);
    AddBackslash(result);
    return result;
}

bool TryStrToInt(std::string_view text, int32_t& value)
{
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty())
        return false;
    int64_t acc = 0;
    for (char ch : t) {
        if (ch < '0' || ch > '9')
            return false;
        acc = acc * 10 + (ch - '0');
        if (acc > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    if (negative)
        acc = -acc;
    if (acc > std::numeric_limits<int32_t>::max() || acc < std::numeric_limits<int32_t>::min())
        return false;
    value = static_cast<int32_t>(acc);
    return true;
}

int32_t StrToIntTrim(std::string_view text)
{
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : 0;
}

std::string IntToText(int64_t value)
{
    return std::to_string(value);
}

static bool IsWordSeparator(char ch)
{
    return ch == ' ' || ch == '\t' || ch == ';';
}

std::string ExtractWord(std::string_view text, int n)
{
    std::size_t i = 0;
    int word = 0;
    while (i < text.size()) {
        while (i < text.size() && IsWordSeparator(text[i]))
            ++i;
        if (i >= text.size())
            break;
        std::size_t start = i;
        while (i < text.size() && !IsWordSeparator(text[i]))
            ++i;
        if (++word == n) {
            std::string result;
            if (start > 0 && text[start - 1] == ';')
                result += ';';
            result.append(text.substr(start, i - start));
            return result;
        }
    }
    return {};
}

std::string PadLeft(std::string_view text, char fill, std::size_t width)
{
    if (text.size() >= width)
        return std::string(text.substr(0, width));
    return std::string(width - text.size(), fill) + std::string(text);
}

std::string PadRight(std::string_view text, char fill, std::size_t width)
{
    if (text.size() >= width)
        return std::string(text.substr(0, width));
    return std::string(text) + std::string(width - text.size(), fill);
}

std::string StripLeading(std::string_view text, char ch)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ch)
        ++i;
    return std::string(text.substr(i));
}

std::string StripTrailing(std::string_view text, char ch)
{
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ch)
        --n;
    return std::string(text.substr(0, n));
}

std::string StripBoth(std::string_view text, char ch)
{
    return StripTrailing(StripLeading(text, ch), ch);
}

void CopyToBuffer(std::string_view text, std::size_t max, char* buffer)
{
    std::size_t n = text.size() < max ? text.size() : max;
    text.copy(buffer, n);
    buffer[n] = '\0';
}

std::size_t LastCharPos(char ch, std::string_view text)
{
    std::size_t pos = text.rfind(ch);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string StripRePrefixes(std::string_view subject)
{
    std::string s(subject);
    while (s.size() >= 3 && UpperAscii(s.substr(0, 3)) == "RE:")
        s = StripLeading(Utf8Left(std::string_view(s).substr(3), 255), ' ');
    return s;
}

std::string Format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string result;
    if (size > 0) {
        result.resize(static_cast<std::size_t>(size));
        std::vsnprintf(result.data(), result.size() + 1, pattern, args);
    }
    va_end(args);
    return result;
}
