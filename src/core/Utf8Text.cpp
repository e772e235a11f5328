#include "core/Utf8Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

bool IsContinuation(uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

// The range the second byte of a sequence must lie in: narrower than
// 0x80..0xBF after the lead bytes whose full range would allow overlong forms
// (E0, F0), surrogates (ED) or values above U+10FFFF (F4).
void SecondByteRange(uint8_t lead, uint8_t& low, uint8_t& high)
{
    low = 0x80;
    high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
}

// Number of bytes after a lead byte, or -1 when the byte cannot start a character.
int TrailCount(uint8_t lead)
{
    if (lead < 0x80)
        return 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 2;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 3;
    return -1;
}

// A pair of upper- and lower-case runs: count letters, the n-th upper-case one
// Upper + n * Stride matching Lower + n * Stride.
struct CasePairs {
    char32_t Upper;
    char32_t Lower;
    char32_t Count;
    char32_t Stride;
};

// Searched in order, the first run that holds a letter wins (so the ASCII
// pairs win over the Turkish dotted and dotless i).
constexpr CasePairs CaseTable[] = {
    {0x41, 0x61, 26, 1},     // A..Z
    {0x410, 0x430, 32, 1},   // А..Я
    {0x400, 0x450, 16, 1},   // Ѐ..Џ (Ё among them)
    {0x460, 0x461, 17, 2},   // Ѡ..Ҁ
    {0x48A, 0x48B, 27, 2},   // Ҋ..Ҿ (Ґ among them)
    {0x4C0, 0x4CF, 1, 1},    // Ӏ
    {0x4C1, 0x4C2, 7, 2},    // Ӂ..Ӎ
    {0x4D0, 0x4D1, 48, 2},   // Ӑ..Ԯ
    {0xC0, 0xE0, 23, 1},     // À..Ö
    {0xD8, 0xF8, 7, 1},      // Ø..Þ
    {0x178, 0xFF, 1, 1},     // Ÿ
    {0x100, 0x101, 24, 2},   // Ā..Į
    {0x132, 0x133, 3, 2},    // Ĳ..Ķ
    {0x139, 0x13A, 8, 2},    // Ĺ..Ň
    {0x14A, 0x14B, 23, 2},   // Ŋ..Ŷ
    {0x179, 0x17A, 3, 2},    // Ź..Ž
    {0x130, 0x69, 1, 1},     // İ
    {0x49, 0x131, 1, 1},     // ı
    {0x391, 0x3B1, 17, 1},   // Α..Ρ
    {0x3A3, 0x3C3, 9, 1},    // Σ..Ϋ
    {0x3A3, 0x3C2, 1, 1},    // final sigma
    {0x386, 0x3AC, 1, 1},    // Ά
    {0x388, 0x3AD, 3, 1},    // Έ..Ί
    {0x38C, 0x3CC, 1, 1},    // Ό
    {0x38E, 0x3CD, 2, 1},    // Ύ, Ώ
};

// Whether cp is the n-th member of a run starting at first.
bool InRun(char32_t cp, char32_t first, const CasePairs& run)
{
    if (cp < first)
        return false;
    char32_t offset = cp - first;
    return offset % run.Stride == 0 && offset / run.Stride < run.Count;
}

int Sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Sort weights for Utf8CompareStr: a class (signs, digits, Latin, Cyrillic)
// above a key within the class; small and capital letters share a weight.
uint32_t PrimaryWeight(char32_t cp)
{
    enum : uint32_t { Signs = 0, Digits = 1, Latin = 2, Cyrillic = 3 };
    const char32_t f = LowerCodePoint(cp);
    uint32_t cls = Signs, key = f;
    if (f >= '0' && f <= '9') {
        cls = Digits;
    } else if ((f >= 'a' && f <= 'z') || (f >= 0xDF && f <= 0x24F && f != 0xF7)) {
        cls = Latin;
    } else if (f >= 0x430 && f <= 0x44F) {
        cls = Cyrillic;
        key = f * 2 + (f > 0x435 ? 2 : 0);  // room for Ё right after Е
    } else if (f == 0x451) {
        cls = Cyrillic;
        key = 0x435 * 2 + 2;
    } else if (f >= 0x400 && f <= 0x52F) {
        cls = Cyrillic;
        key = 0x1000 + f;  // the other Cyrillic letters after Я
    }
    return cls << 24 | key;
}

bool IsCapital(char32_t cp)
{
    return LowerCodePoint(cp) != cp;
}

// The text with every character replaced by map(character); malformed
// sequences come out as U+FFFD.
template <typename Map>
std::string EachCodePoint(std::string_view text, Map map)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : CodePoints(text))
        AppendCodePoint(out, map(cp));
    return out;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<uint8_t>(text[pos++]);
    const int trail = TrailCount(lead);
    if (trail == 0)
        return lead;
    if (trail < 0)
        return ReplacementCharacter;
    char32_t cp = lead & (0x3F >> trail);
    uint8_t low, high;
    SecondByteRange(lead, low, high);
    for (int k = 0; k < trail; ++k) {
        if (pos >= text.size())
            return ReplacementCharacter;
        const auto b = static_cast<uint8_t>(text[pos]);
        if (k == 0 ? (b < low || b > high) : !IsContinuation(b))
            return ReplacementCharacter;  // the byte that breaks the sequence starts the next one
        cp = cp << 6 | (b & 0x3F);
        ++pos;
    }
    return cp;
}

void AppendCodePoint(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = ReplacementCharacter;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsAscii(std::string_view text)
{
    // Eight bytes at a time: every header field of a scan is asked this.
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080u)
            return false;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<uint8_t>(*p) >= 0x80)
            return false;
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    const std::size_t n = text.size();
    std::size_t pos = 0;
    while (pos < n) {
        const auto lead = static_cast<uint8_t>(text[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        const int trail = TrailCount(lead);
        if (trail < 0 || n - pos <= static_cast<std::size_t>(trail))
            return false;
        uint8_t low, high;
        SecondByteRange(lead, low, high);
        const auto second = static_cast<uint8_t>(text[pos + 1]);
        if (second < low || second > high)
            return false;
        for (int k = 2; k <= trail; ++k)
            if (!IsContinuation(static_cast<uint8_t>(text[pos + static_cast<std::size_t>(k)])))
                return false;
        pos += static_cast<std::size_t>(trail) + 1;
    }
    return true;
}

bool IsMultiByteUtf8(std::string_view bytes)
{
    return !IsAscii(bytes) && IsValidUtf8(bytes);
}

std::string ValidUtf8(std::string_view text)
{
    if (IsValidUtf8(text))
        return std::string(text);
    return EachCodePoint(text, [](char32_t cp) { return cp; });
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t count = 0, pos = 0;
    while (pos < text.size()) {
        NextCodePoint(text, pos);
        ++count;
    }
    return count;
}

std::size_t Utf8Offset(std::string_view text, std::size_t chars)
{
    std::size_t pos = 0;
    for (std::size_t n = 0; n < chars && pos < text.size(); ++n)
        NextCodePoint(text, pos);
    return pos;
}

std::string_view Utf8Left(std::string_view text, std::size_t chars)
{
    return text.substr(0, Utf8Offset(text, chars));
}

std::string_view Utf8LeftBytes(std::string_view text, std::size_t maxBytes)
{
    std::size_t pos = 0, fits = 0;
    while (pos < text.size()) {
        NextCodePoint(text, pos);
        if (pos > maxBytes)
            break;
        fits = pos;
    }
    return text.substr(0, fits);
}

char32_t UpperCodePoint(char32_t cp)
{
    if (cp < 0x80)
        return cp >= 'a' && cp <= 'z' ? cp - 0x20 : cp;
    if (cp >= 0x400 && cp <= 0x45F)  // the Russian letters, asked most often
        return cp >= 0x450 ? cp - 0x50 : cp >= 0x430 ? cp - 0x20 : cp;
    for (const CasePairs& run : CaseTable)
        if (InRun(cp, run.Lower, run))
            return run.Upper + (cp - run.Lower);
    return cp;
}

char32_t LowerCodePoint(char32_t cp)
{
    if (cp < 0x80)
        return cp >= 'A' && cp <= 'Z' ? cp + 0x20 : cp;
    if (cp >= 0x400 && cp <= 0x45F)
        return cp < 0x410 ? cp + 0x50 : cp < 0x430 ? cp + 0x20 : cp;
    for (const CasePairs& run : CaseTable)
        if (InRun(cp, run.Upper, run))
            return run.Lower + (cp - run.Upper);
    return cp;
}

std::string Utf8Upper(std::string_view text)
{
    return EachCodePoint(text, UpperCodePoint);
}

std::string Utf8Lower(std::string_view text)
{
    return EachCodePoint(text, LowerCodePoint);
}

int Utf8CompareNoCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = LowerCodePoint(NextCodePoint(a, i));
        const char32_t cb = LowerCodePoint(NextCodePoint(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return Sign(int(i < a.size()) - int(j < b.size()));
}

bool Utf8StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    std::size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size() || LowerCodePoint(NextCodePoint(text, i)) != LowerCodePoint(NextCodePoint(prefix, j)))
            return false;
    }
    return true;
}

bool Utf8ContainsNoCase(std::string_view text, std::string_view part)
{
    return Utf8Lower(text).find(Utf8Lower(part)) != std::string::npos;
}

int Utf8CompareStr(std::string_view a, std::string_view b)
{
    // Characters before the first byte that differs weigh the same in both
    // strings; the comparison starts at the character holding that byte.
    const std::size_t common =
        static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    if (common == a.size() && common == b.size())
        return 0;
    std::size_t start = common;
    while (start > 0 && common - start < 3 &&
           IsContinuation(static_cast<uint8_t>(start < a.size() ? a[start] : b[start])))
        --start;
    // Primary level: the letters, whatever their case.
    static const std::array<uint32_t, 0x80> asciiWeights = [] {
        std::array<uint32_t, 0x80> weights{};
        for (char32_t cp = 0; cp < 0x80; ++cp)
            weights[cp] = PrimaryWeight(cp);
        return weights;
    }();
    std::size_t i = start, j = start;
    while (i < a.size() && j < b.size()) {
        const auto ba = static_cast<uint8_t>(a[i]), bb = static_cast<uint8_t>(b[j]);
        uint32_t wa, wb;
        if ((ba | bb) < 0x80) {
            if (ba == bb) {
                ++i, ++j;
                continue;
            }
            wa = asciiWeights[ba], wb = asciiWeights[bb];
            ++i, ++j;
        } else {
            wa = PrimaryWeight(NextCodePoint(a, i));
            wb = PrimaryWeight(NextCodePoint(b, j));
        }
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Case level: the small letter first.
    i = j = start;
    while (i < a.size() && j < b.size()) {
        const bool ca = IsCapital(NextCodePoint(a, i));
        const bool cb = IsCapital(NextCodePoint(b, j));
        if (ca != cb)
            return ca ? 1 : -1;
    }
    // Last resort: plain bytes, so that only equal strings compare equal.
    return Sign(a.compare(b));
}
