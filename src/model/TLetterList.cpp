#include "model/TLetterList.h"

#include <algorithm>

TLetter* TLetterList::FindByNumber(Num number) const
{
    if (Indexed) {
        auto it = std::lower_bound(NumberIndex.begin(), NumberIndex.end(), number,
                                   [](const NumberEntry& entry, Num n) { return entry.Number < n; });
        return it == NumberIndex.end() || it->Number != number ? nullptr : (*this)[it->Position];
    }
    for (TLetter* letter : *this)
        if (letter->Number == number)
            return letter;
    return nullptr;
}

TLetter* TLetterList::LetterByNumber(Num number) const
{
    if (TLetter* letter = FindByNumber(number))
        return letter;
    throw ESilentAbort();
}

void TLetterList::BuildNumberIndex()
{
    NumberIndex.clear();
    NumberIndex.reserve(Count());
    for (std::size_t i = 0; i < Count(); ++i)
        NumberIndex.push_back({(*this)[i]->Number, static_cast<uint32_t>(i)});
    // The first of equal numbers is found: ties keep the list order.
    std::sort(NumberIndex.begin(), NumberIndex.end(), [](const NumberEntry& a, const NumberEntry& b) {
        return a.Number != b.Number ? a.Number < b.Number : a.Position < b.Position;
    });
    Indexed = true;
}

void TLetterList::DropNumberIndex()
{
    Indexed = false;
    NumberIndex = {};
}
