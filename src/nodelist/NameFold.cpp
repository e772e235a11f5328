#include "nodelist/NameFold.h"

#include <algorithm>
#include <array>

#include "core/Utf8Text.h"

namespace {

// а .. я, as Russian names are written in Latin letters; ь and ъ vanish.
constexpr std::array<std::string_view, 32> CyrillicInLatin = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya",
};
constexpr char32_t CyrillicSmallA = 0x430;
constexpr char32_t CyrillicSmallYo = 0x451;

bool IsVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

// One spelling for what transliterations write differently: j and y, x and
// ks, w and v, kh and h, y after a vowel and i (Sergey, Sergei), ii and i.
std::string Unify(const std::string& word)
{
    std::string out;
    out.reserve(word.size() + 2);
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c == 'j')
            c = 'y';
        if (c == 'x') {
            out += "ks";
            continue;
        }
        if (c == 'w')
            c = 'v';
        if (c == 'h' && !out.empty() && out.back() == 'k') {
            out.back() = 'h';
            continue;
        }
        if (c == 'y' && !out.empty() && IsVowel(out.back()))
            c = 'i';
        if (c == 'i' && !out.empty() && out.back() == 'i')
            continue;
        out += c;
    }
    return out;
}

void AppendFolded(std::string& word, char32_t cp)
{
    if (cp < 0x80) {
        word += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp);
        return;
    }
    char32_t lower = LowerCodePoint(cp);
    if (lower == CyrillicSmallYo)
        lower = CyrillicSmallA + 5;  // ё as е
    if (lower >= CyrillicSmallA && lower < CyrillicSmallA + 32)
        word += CyrillicInLatin[lower - CyrillicSmallA];
    else
        AppendCodePoint(word, lower);
}

bool IsWordCharacter(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= '0' && cp <= '9') || (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z');
    return cp != ReplacementCharacter && LowerCodePoint(cp) != UpperCodePoint(cp);
}

bool VanishesInWord(char32_t cp)
{
    return cp == '\'' || cp == 0x2019 || cp == '`';
}

}  // namespace

std::vector<std::string> FoldedWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    auto finish = [&] {
        if (!word.empty())
            words.push_back(Unify(word));
        word.clear();
    };
    for (char32_t cp : CodePoints(text)) {
        if (IsWordCharacter(cp))
            AppendFolded(word, cp);
        else if (!VanishesInWord(cp))
            finish();
    }
    finish();
    return words;
}

bool EachWordStartsOne(const std::vector<std::string>& query, std::vector<std::string> name)
{
    for (const std::string& word : query) {
        auto found = std::find_if(name.begin(), name.end(),
                                  [&](const std::string& candidate) { return candidate.starts_with(word); });
        if (found == name.end())
            return false;
        name.erase(found);
    }
    return true;
}
