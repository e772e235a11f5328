#include <gtest/gtest.h>

#include "msgbase/fido/FidoDateText.h"

namespace {

const DateTime Now = EncodeDate(2024, 12, 4) + EncodeTime(12, 0, 0);

DateTime At(int y, int m, int d, int h, int n)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, 0);
}

}  // namespace

TEST(FidoDateText, WrittenAsDayMonthYearAndTimeWithZeroSeconds)
{
    std::string text = FormatFidoDateText(At(2009, 5, 5, 9, 7) + EncodeTime(0, 0, 42));
    EXPECT_EQ(text, "05 May 09  09:07:00");
    EXPECT_EQ(FormatFidoDateText(At(1999, 12, 31, 23, 59)), "31 Dec 99  23:59:00");
}

TEST(FidoDateText, TheFourStoredForms)
{
    EXPECT_EQ(ParseFidoDateText("05 May 09  09:07:00", Now), At(2009, 5, 5, 9, 7));
    EXPECT_EQ(ParseFidoDateText("05 May 09 09:07:00", Now), At(2009, 5, 5, 9, 7));
    EXPECT_EQ(ParseFidoDateText("Tue  5 May 09 09:07", Now), At(2009, 5, 5, 9, 7));
    EXPECT_EQ(ParseFidoDateText("05-05-2009 09:07", Now), At(2009, 5, 5, 9, 7));
    EXPECT_EQ(ParseFidoDateText(" 1 dec 24  09:05:00", Now), At(2024, 12, 1, 9, 5)) << "blanks count as zeros";
    EXPECT_EQ(ParseFidoDateText("Tue  5 May 09  9:07", Now), At(2009, 5, 5, 9, 7));
    EXPECT_EQ(ParseFidoDateText("31-12-1999 23:59", Now), At(1999, 12, 31, 23, 59));
    // The field as stored: 20 bytes, NUL-terminated, whatever follows the NUL.
    EXPECT_EQ(ParseFidoDateText(std::string_view("01 Dec 24  09:00:00\0zz", 22), Now), At(2024, 12, 1, 9, 0));
}

TEST(FidoDateText, WhatDoesNotMakeADateIsZero)
{
    for (const char* text : {"05 Mai 09  09:07:00", "31 Feb 09  09:07:00", "05 May 09  25:07:00", "", "garbage",
                             "05-13-2009 09:07", "Tue 5 May 09 09:07", "\xFF\xFF\xFF\xFF", "05 May 09  9x07:00",
                             "0000000000000000000000000"})
        EXPECT_EQ(ParseFidoDateText(text, Now), 0) << text;
}

TEST(FidoDateText, TwoDigitYearsAreNeverMoreThanAYearAhead)
{
    EXPECT_EQ(ParseFidoDateText("01 Jan 95  10:00:00", Now), At(1995, 1, 1, 10, 0));
    EXPECT_EQ(ParseFidoDateText("03 Dec 25  10:00:00", Now), At(2025, 12, 3, 10, 0));
    EXPECT_EQ(ParseFidoDateText("05 Dec 25  10:00:00", Now), At(1925, 12, 5, 10, 0));
    EXPECT_EQ(ParseFidoDateText("Sun 01 Jan 95 10:00", Now), At(1995, 1, 1, 10, 0));
}
