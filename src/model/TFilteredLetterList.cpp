#include "model/TFilteredLetterList.h"

#include <algorithm>
#include <cmath>

#include "core/StringHelpers.h"
#include "core/Utf8Text.h"

int CompareDates(DateTime a, DateTime b)
{
    bool aNan = std::isnan(a), bNan = std::isnan(b);
    if (aNan || bNan)
        return aNan == bNan ? 0 : (aNan ? -1 : 1);
    return a < b ? -1 : (a > b ? 1 : 0);
}

int TFilteredLetterList::Compare(const TLetter& a, const TLetter& b)
{
    if (int c = Utf8CompareStr(a.Subject, b.Subject); c != 0)
        return c;
    return CompareDates(a.Date, b.Date);
}

void TFilteredLetterList::Sort()
{
    std::stable_sort(Letters.begin(), Letters.end(),
                     [](const TLetter* a, const TLetter* b) { return Compare(*a, *b) < 0; });
}
