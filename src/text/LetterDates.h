// Dates as the letters and window headers write them, in Russian:
// "В пятницу, 18 августа 95  16:27".
#pragma once

#include <string>

#include "core/DateHelpers.h"

// "%s, %d %s %d": weekday phrase, day, month in the genitive, year modulo 100.
std::string LetterDate(DateTime value);
// "h:nn": hours without a leading zero, minutes with two digits.
std::string LetterTime(DateTime value);
// The date form, two blanks, the time form.
std::string LetterDateTime(DateTime value);
