// A temporary, non-owning list of letters ordered by subject, then date: the
// thread roots of a conversation tree.
#pragma once

#include "model/TLetterList.h"

class TFilteredLetterList : public TLetterList {
public:
    // By Subject (locale-aware, case-sensitive), then by Date ascending.
    int Compare(const TLetter* a, const TLetter* b) const override;
};

// Dates in ascending order; a date that is not a number sorts first, so the
// order stays a total one whatever a base delivered.
int CompareDates(DateTime a, DateTime b);
