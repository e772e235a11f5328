// The letters an area owns, with the lookup by number. It keeps the order it
// is given; the area sorts it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/OwningList.h"
#include "model/TLetter.h"

class TLetterList : public OwningList<TLetter> {
public:
    // The first letter in list order with this number; ESilentAbort when
    // there is none.
    TLetter* LetterByNumber(Num number) const;
    // The same, nullptr when there is none.
    TLetter* FindByNumber(Num number) const;

    // While many lookups run over an unchanging list (linking the letters of
    // a load), an index answers them; the list must not change meanwhile.
    void BuildNumberIndex();
    void DropNumberIndex();

private:
    // Positions in the list by number (equal numbers in list order): eight
    // bytes a letter, in one block given back when the index is dropped.
    struct NumberEntry {
        Num Number;
        uint32_t Position;
    };
    std::vector<NumberEntry> NumberIndex;
    bool Indexed = false;
};
