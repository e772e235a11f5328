#include <gtest/gtest.h>

#include "core/DateHelpers.h"

TEST(JulianDay, UnixEpochAndRoundTripsFrom1899To2099)
{
    EXPECT_EQ(DateToJulianDay(EncodeDate(1970, 1, 1)), 2440588);
    for (DateTime d : {EncodeDate(1899, 12, 30), EncodeDate(1980, 2, 29), EncodeDate(2000, 3, 1), EncodeDate(2099, 12, 31)}) {
        int y, m, dd;
        JulianDayToDate(DateToJulianDay(d), y, m, dd);
        EXPECT_EQ(EncodeDate(y, m, dd), d);
    }
}

TEST(UnixTime, RoundTripsAndKnownValues)
{
    EXPECT_EQ(UnixToDateTime(0), EncodeDate(1970, 1, 1));
    // 2024-12-01 09:00:00
    DateTime d = UnixToDateTime(1733043600);
    EXPECT_EQ(d, EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0));
    EXPECT_EQ(DateTimeToUnix(d), 1733043600u);
    EXPECT_EQ(DateTimeToUnix(EncodeDate(2038, 1, 19) + EncodeTime(3, 14, 8)), 2147483648u);
}

TEST(DosDate, PackingLimitsAndInverse)
{
    // 2024-12-01 09:00:00: date word 0x5981, time word 0x4800.
    DateTime d = EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0);
    EXPECT_EQ(DateTimeToDos(d), 0x59814800u);
    EXPECT_EQ(DosToDateTime(0x59814800u), d);
    EXPECT_EQ(DateTimeToDos(EncodeDate(1979, 12, 31)), 0u);
    EXPECT_EQ(DateTimeToDos(EncodeDate(2100, 1, 1)), 0u);
    EXPECT_EQ(DosToDateTime(0), 0) << "month 0 is not a date";
    // Odd seconds are rounded down to the DOS two-second step.
    EXPECT_EQ(DosToDateTime(DateTimeToDos(EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 7))),
              EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6));
}

TEST(TwoDigitYears, NeverMoreThanAYearAhead)
{
    DateTime now = EncodeDate(2026, 12, 7);
    EXPECT_EQ(ExpandTwoDigitYear(95, 8, 18, now), 1995);
    EXPECT_EQ(ExpandTwoDigitYear(24, 12, 1, now), 2024);
    EXPECT_EQ(ExpandTwoDigitYear(27, 12, 7, now), 2027);
    EXPECT_EQ(ExpandTwoDigitYear(27, 12, 8, now), 1927);
    EXPECT_EQ(ExpandTwoDigitYear(0, 1, 1, now), 2000);
}

TEST(ParseMdyDateTime, ValidAndInvalidTexts)
{
    DateTime now = EncodeDate(2026, 12, 7);
    EXPECT_EQ(ParseMdyDateTime("12-01-24 09:00", now), EncodeDate(2024, 12, 1) + EncodeTime(9, 0, 0));
    EXPECT_EQ(ParseMdyDateTime("08-18-95 16:27", now), EncodeDate(1995, 8, 18) + EncodeTime(16, 27, 0));
    EXPECT_EQ(ParseMdyDateTime("00-00-00 00:00", now), 0);
    EXPECT_EQ(ParseMdyDateTime("02-30-24 10:00", now), 0);
    EXPECT_EQ(ParseMdyDateTime("12-01-24 24:00", now), 0);
    EXPECT_EQ(ParseMdyDateTime("12-01-24", now), 0);
    EXPECT_EQ(ParseMdyDateTime("garbage", now), 0);
    EXPECT_EQ(ParseMdyDateTime("", now), 0);
}

TEST(FtscDate, EnglishMonthsWhateverTheLocale)
{
    DateTime d = EncodeDate(2009, 5, 5) + EncodeTime(9, 7, 31);
    EXPECT_EQ(FormatFtscDate(d), "05 May 09  09:07:31");
    EXPECT_EQ(FormatFtscDate(d, true), "05 May 09  09:07:00");
    EXPECT_STREQ(EnglishMonthAbbrev(13), "???");
    EXPECT_EQ(FormatIsoMinutes(0), "-");
    EXPECT_EQ(FormatIsoMinutes(d), "2009-05-05 09:07");
}

TEST(Weekday, SundayFirst)
{
    EXPECT_EQ(DayOfWeekSundayFirst(EncodeDate(1995, 8, 18)), 5);  // a Friday
    EXPECT_EQ(DayOfWeekSundayFirst(EncodeDate(2026, 12, 6)), 0);  // a Sunday
}
