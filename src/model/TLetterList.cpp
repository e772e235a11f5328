#include "model/TLetterList.h"

TLetter* TLetterList::FindByNumber(Num number) const
{
    if (Indexed) {
        auto it = NumberIndex.find(number);
        return it == NumberIndex.end() ? nullptr : it->second;
    }
    for (TLetter* letter : Items)
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
    NumberIndex.reserve(Items.size());
    for (TLetter* letter : Items)
        NumberIndex.emplace(letter->Number, letter);  // the first of equal numbers stays
    Indexed = true;
}

void TLetterList::DropNumberIndex()
{
    Indexed = false;
    NumberIndex.clear();
}
