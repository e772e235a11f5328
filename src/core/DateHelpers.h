// Dates. DateTime is the program's one date form: days since 30 December 1899,
// the fraction being the time of day. Conversions to the stored forms of the
// message bases (Julian days, Unix seconds, packed DOS dates, date texts) live
// here so that every format converts the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using DateTime = double;

bool TryEncodeDate(int year, int month, int day, DateTime& result);
DateTime EncodeDate(int year, int month, int day);  // 0 for an invalid date
bool TryEncodeTime(int hour, int minute, int second, int msec, DateTime& result);
DateTime EncodeTime(int hour, int minute, int second, int msec = 0);
void DecodeDate(DateTime value, int& year, int& month, int& day);
void DecodeTime(DateTime value, int& hour, int& minute, int& second, int& msec);
// 0 = Sunday ... 6 = Saturday.
int DayOfWeekSundayFirst(DateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The current local date and time, with milliseconds.
DateTime NowDateTime();
// The same, cut to whole minutes.
DateTime NowWholeMinutes();
// A date-time with its seconds and milliseconds dropped.
DateTime WholeMinutes(DateTime value);

int32_t DateToJulianDay(DateTime value);
void JulianDayToDate(int32_t julianDay, int& year, int& month, int& day);

// Local time counted as seconds since 1970-01-01 00:00, no time-zone shift.
DateTime UnixToDateTime(int64_t seconds);
uint32_t DateTimeToUnix(DateTime value);

// Packed DOS date and time: date in the high word (year-1980, month, day),
// time in the low word (hours, minutes, seconds/2). 0 outside 1980..2099.
uint32_t DateTimeToDos(DateTime value);
uint32_t DosNow();
// The inverse; 0 when the packed value is not a valid date and time.
DateTime DosToDateTime(uint32_t packed);

// A two-digit year is placed in the century that puts the date no later than
// one year from now (a letter of 95 is from 1995, not 2095).
int ExpandTwoDigitYear(int twoDigitYear, int month, int day, DateTime now);

// Parses "MM-DD-YY HH:NN" (the Hudson and *.MSG date form; a four-digit year
// is accepted too). 0 when the text does not make a valid date and time.
DateTime ParseMdyDateTime(std::string_view text, DateTime now);

// English month abbreviation "Jan" .. "Dec"; "???" outside 1..12.
const char* EnglishMonthAbbrev(int month);
// The FidoNet date text "DD Mon YY  HH:NN:SS" (19 characters); with
// zeroSeconds the seconds are written as 00.
std::string FormatFtscDate(DateTime value, bool zeroSeconds = false);
// "YYYY-MM-DD HH:MM", or "-" for the date 0.
std::string FormatIsoMinutes(DateTime value);
