// A list of letters with the lookup by number. It declares no order of its
// own; the area (which is such a list) and the filtered list do.
#pragma once

#include <unordered_map>

#include "core/TBaseList.h"
#include "model/TLetter.h"

class TLetterList : public TBaseList<TLetter> {
public:
    // The first letter in list order with this number; ESilentAbort when
    // there is none.
    TLetter* LetterByNumber(Num number) const;
    // The same, nullptr when there is none.
    TLetter* FindByNumber(Num number) const;

protected:
    // While many lookups run over an unchanging list (linking the letters of
    // a load), an index answers them; the list must not change meanwhile.
    void BuildNumberIndex();
    void DropNumberIndex();

private:
    std::unordered_map<Num, TLetter*> NumberIndex;
    bool Indexed = false;
};
