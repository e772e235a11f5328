// The date field of a *.MSG letter: a text of at most 19 characters. Writers
// use "DD Mon YY  HH:NN:SS"; older programs wrote three other forms, which are
// still read.
#pragma once

#include <string>
#include <string_view>

#include "core/DateHelpers.h"

// The text this program writes: day, month abbreviation, two-digit year, two
// blanks, hours and minutes, and ":00" (the seconds are not kept).
std::string FormatFidoDateText(DateTime value);

// Reads the stored field (up to its NUL, at most 20 characters). The forms:
//   "DD Mon YY  HH:NN:SS"   (one blank before the time is accepted too)
//   "Www DD Mon YY HH:NN"
//   "DD-MM-YYYY HH:NN"
// A day written with a leading blank counts as a leading zero. A two-digit
// year takes the century that puts the date no later than one year after now.
// 0 when the text is none of these or does not make a valid date and time.
DateTime ParseFidoDateText(std::string_view field, DateTime now);
