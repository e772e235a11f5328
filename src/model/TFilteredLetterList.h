// A temporary view of an area's letters (it owns none) ordered by subject,
// then date: the thread roots of a conversation tree.
#pragma once

#include <vector>

#include "model/TLetter.h"

class TFilteredLetterList {
public:
    // By Subject (locale-aware, case-sensitive), then by Date ascending;
    // -1, 0 or 1.
    static int Compare(const TLetter& a, const TLetter& b);
    // Sorts Letters; letters that compare equal keep their order.
    void Sort();

    std::vector<TLetter*> Letters;
};

// Dates in ascending order; a date that is not a number sorts first, so the
// order stays a total one whatever a base delivered.
int CompareDates(DateTime a, DateTime b);
