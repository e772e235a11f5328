#include "msgbase/fido/FidoLetterNumbers.h"

namespace {

constexpr std::size_t BitmapBytes = FidoMsg::HighestNumber / 8 + 1;

uint8_t SpellingOf(std::string_view extension)
{
    uint8_t bits = 0;
    for (std::size_t k = 0; k < 3; ++k)
        if (extension[k + 1] >= 'A' && extension[k + 1] <= 'Z')
            bits |= uint8_t(1u << k);
    return bits;
}

}  // namespace

std::string LetterExtension(uint8_t upper)
{
    std::string ext = ".msg";
    for (std::size_t k = 0; k < 3; ++k)
        if (upper & (1u << k))
            ext[k + 1] = static_cast<char>(ext[k + 1] - 'a' + 'A');
    return ext;
}

bool ParseLetterName(std::string_view name, Num& number, std::string& extension)
{
    std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() != dot + 4)
        return false;
    std::string_view ext = name.substr(dot);
    if ((ext[1] != 'm' && ext[1] != 'M') || (ext[2] != 's' && ext[2] != 'S') || (ext[3] != 'g' && ext[3] != 'G'))
        return false;
    uint32_t value = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        value = value * 10 + uint32_t(name[i] - '0');
        if (value > FidoMsg::HighestNumber)
            return false;
    }
    if (value < 1 || value > FidoMsg::HighestNumber)
        return false;
    number = value;
    extension = std::string(ext);
    return true;
}

FidoLetterNumbers::FidoLetterNumbers() : Bits(BitmapBytes, 0), Spelling(FidoMsg::HighestNumber + 1, 0) {}

void FidoLetterNumbers::Clear()
{
    std::fill(Bits.begin(), Bits.end(), 0);
    std::fill(Spelling.begin(), Spelling.end(), 0);
    Padded.clear();
    ShadowedNames.clear();
    High = 0;
    Total = 0;
}

void FidoLetterNumbers::Scan(const std::string& directory)
{
    Scan(ListPlainFiles(directory));
}

void FidoLetterNumbers::Scan(const std::vector<std::string>& plainFiles)
{
    Clear();
    // Of two names for one number (a case-sensitive file system holds both)
    // the one a Linux tosser writes wins: plain digits, then ".msg".
    auto rank = [](bool padded, bool lowerCase) { return (padded ? 2 : 0) + (lowerCase ? 0 : 1); };
    for (const std::string& name : plainFiles) {
        Num number = 0;
        std::string extension;
        if (!ParseLetterName(name, number, extension))
            continue;
        if (Exists(number) && rank(Padded.count(number) != 0, Spelling[number] == 0) <=
                                  rank(name[0] == '0', extension == ".msg")) {
            ShadowedNames.push_back(name);
            continue;
        }
        if (Exists(number))
            ShadowedNames.push_back(NameOf(number));
        Add(number, extension);
        if (name[0] == '0')
            Padded[number] = name;
        else
            Padded.erase(number);
    }
}

bool FidoLetterNumbers::Exists(Num number) const
{
    return number >= 1 && number <= FidoMsg::HighestNumber && (Bits[number / 8] & (1u << (number % 8))) != 0;
}

void FidoLetterNumbers::Add(Num number, std::string_view extension)
{
    if (number < 1 || number > FidoMsg::HighestNumber)
        return;
    if (!Exists(number)) {
        Bits[number / 8] = uint8_t(Bits[number / 8] | (1u << (number % 8)));
        ++Total;
    }
    Spelling[number] = extension.size() == 4 ? SpellingOf(extension) : 0;
    if (number > High)
        High = number;
}

void FidoLetterNumbers::Remove(Num number)
{
    if (!Exists(number))
        return;
    Padded.erase(number);
    Bits[number / 8] = uint8_t(Bits[number / 8] & ~(1u << (number % 8)));
    --Total;
    if (number == High) {
        while (High > 0 && !Exists(High))
            --High;
    }
}

std::string FidoLetterNumbers::NameOf(Num number) const
{
    if (auto padded = Padded.find(number); padded != Padded.end())
        return padded->second;
    if (Exists(number))
        return std::to_string(number) + LetterExtension(Spelling[number]);
    return ApplyNameCase(std::to_string(number) + ".Msg", LetterCase());
}

NameCase FidoLetterNumbers::LetterCase() const
{
    if (High == 0)
        return NameCase::Lower;
    return CaseOfName(LetterExtension(Spelling[High]));
}
