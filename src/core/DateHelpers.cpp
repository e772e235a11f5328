#include "core/DateHelpers.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

#include "core/StringHelpers.h"

namespace {

constexpr double MSecsPerDay = 86400000.0;

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

// Days between 1899-12-30 and 1970-01-01.
constexpr int64_t UnixEpochDay = 25569;

int64_t TruncDay(DateTime value)
{
    return static_cast<int64_t>(std::trunc(value));
}

}  // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, DateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<double>(DaysFromCivil(year, month, day) + UnixEpochDay);
    return true;
}

DateTime EncodeDate(int year, int month, int day)
{
    DateTime result = 0;
    return TryEncodeDate(year, month, day, result) ? result : 0;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, DateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / MSecsPerDay;
    return true;
}

DateTime EncodeTime(int hour, int minute, int second, int msec)
{
    DateTime result = 0;
    return TryEncodeTime(hour, minute, second, msec, result) ? result : 0;
}

void DecodeDate(DateTime value, int& year, int& month, int& day)
{
    CivilFromDays(TruncDay(value) - UnixEpochDay, year, month, day);
}

void DecodeTime(DateTime value, int& hour, int& minute, int& second, int& msec)
{
    double fraction = std::fabs(value - std::trunc(value));
    auto ms = static_cast<int64_t>(std::llround(fraction * MSecsPerDay));
    if (ms >= 86400000)
        ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeekSundayFirst(DateTime value)
{
    // 1899-12-30 was a Saturday.
    int64_t d = (TruncDay(value) + 6) % 7;
    return static_cast<int>(d < 0 ? d + 7 : d);
}

DateTime NowDateTime()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    // Turning the second into local time is the costly part, and reading a
    // Hudson or *.MSG header asks for the time (to place two-digit years):
    // the local time of the last second asked for is kept.
    thread_local time_t second = -1;
    thread_local tm local{};
    thread_local DateTime date = 0;
    if (tv.tv_sec != second) {
        localtime_r(&tv.tv_sec, &local);
        date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        second = tv.tv_sec;
    }
    int sec = local.tm_sec > 59 ? 59 : local.tm_sec;
    return date + EncodeTime(local.tm_hour, local.tm_min, sec, static_cast<int>(tv.tv_usec / 1000));
}

DateTime NowWholeMinutes()
{
    return WholeMinutes(NowDateTime());
}

DateTime WholeMinutes(DateTime value)
{
    int h, n, s, ms;
    DecodeTime(value, h, n, s, ms);
    return std::trunc(value) + EncodeTime(h, n, 0, 0);
}

int32_t DateToJulianDay(DateTime value)
{
    int year, month, day;
    DecodeDate(value, year, month, day);
    if (month <= 2) {
        month += 12;
        year -= 1;
    }
    return (153 * month - 457) / 5 + day + (((year % 100) * 1461) >> 2) + (((year / 100) * 146097) >> 2) + 1721119;
}

void JulianDayToDate(int32_t julianDay, int& year, int& month, int& day)
{
    // 2440588 is 1970-01-01.
    CivilFromDays(int64_t(julianDay) - 2440588, year, month, day);
}

DateTime UnixToDateTime(int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // The day counts straight on from 1970 (every header of a scan comes
    // through here); a day outside the years 1 to 9999 is 0, as EncodeDate
    // makes it.
    constexpr int64_t firstDay = DaysFromCivil(1, 1, 1), lastDay = DaysFromCivil(9999, 12, 31);
    const DateTime date = days < firstDay || days > lastDay ? 0 : static_cast<double>(days + UnixEpochDay);
    // The time of day as EncodeTime makes it: its milliseconds are rest * 1000 exactly.
    return date + static_cast<double>(rest) * 1000.0 / MSecsPerDay;
}

uint32_t DateTimeToUnix(DateTime value)
{
    int h, n, s, ms;
    DecodeTime(value, h, n, s, ms);
    uint32_t julian = static_cast<uint32_t>(DateToJulianDay(value));
    return julian * 86400u + uint32_t(h) * 3600u + uint32_t(n) * 60u + uint32_t(s) - 2440588u * 86400u;
}

uint32_t DateTimeToDos(DateTime value)
{
    int year, month, day, h, n, s, ms;
    DecodeDate(value, year, month, day);
    DecodeTime(value, h, n, s, ms);
    if (year < 1980 || year > 2099)
        return 0;
    uint32_t date = (uint32_t(year - 1980) << 9) | (uint32_t(month) << 5) | uint32_t(day);
    uint32_t time = (uint32_t(h) << 11) | (uint32_t(n) << 5) | uint32_t(s / 2);
    return (date << 16) | time;
}

uint32_t DosNow()
{
    return DateTimeToDos(NowDateTime());
}

DateTime DosToDateTime(uint32_t packed)
{
    uint32_t date = packed >> 16;
    uint32_t time = packed & 0xFFFF;
    DateTime d, t;
    if (!TryEncodeDate(int(date >> 9) + 1980, int((date >> 5) & 15), int(date & 31), d))
        return 0;
    if (!TryEncodeTime(int(time >> 11), int((time >> 5) & 63), int(time & 31) * 2, 0, t))
        return 0;
    return d + t;
}

int ExpandTwoDigitYear(int twoDigitYear, int month, int day, DateTime now)
{
    int nowYear, nowMonth, nowDay;
    DecodeDate(now, nowYear, nowMonth, nowDay);
    int year = nowYear / 100 * 100 + twoDigitYear;
    // Later than one year from now: it belongs to the previous century.
    auto key = [](int y, int m, int d) { return int64_t(y) * 10000 + m * 100 + d; };
    if (key(year, month, day) > key(nowYear + 1, nowMonth, nowDay))
        year -= 100;
    return year;
}

namespace {

// Reads a run of 1..maxDigits decimal digits; false when there is none or it is too long.
bool ReadNumber(std::string_view& text, int maxDigits, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
    }
    return digits > 0;
}

bool Expect(std::string_view& text, char ch)
{
    if (text.empty() || text.front() != ch)
        return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

DateTime ParseMdyDateTime(std::string_view text, DateTime now)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    int month, day, year, hour, minute, second = 0, digits, yearDigits;
    if (!ReadNumber(text, 2, month, digits) || !Expect(text, '-') || !ReadNumber(text, 2, day, digits) ||
        !Expect(text, '-') || !ReadNumber(text, 4, year, yearDigits))
        return 0;
    if (yearDigits != 2 && yearDigits != 4)
        return 0;
    if (!Expect(text, ' '))
        return 0;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!ReadNumber(text, 2, hour, digits) || !Expect(text, ':') || !ReadNumber(text, 2, minute, digits))
        return 0;
    if (!text.empty() && text.front() == ':' && (text.remove_prefix(1), !ReadNumber(text, 2, second, digits)))
        return 0;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty())
        return 0;
    if (yearDigits == 2)
        year = ExpandTwoDigitYear(year, month, day, now);
    DateTime d, t;
    if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, minute, second, 0, t))
        return 0;
    return d + t;
}

const char* EnglishMonthAbbrev(int month)
{
    static const char* const names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[month - 1] : "???";
}

std::string FormatFtscDate(DateTime value, bool zeroSeconds)
{
    int year, month, day, h, n, s, ms;
    DecodeDate(value, year, month, day);
    DecodeTime(value, h, n, s, ms);
    return Format("%02d %s %02d  %02d:%02d:%02d", day, EnglishMonthAbbrev(month), ((year % 100) + 100) % 100, h, n,
                  zeroSeconds ? 0 : s);
}

std::string FormatIsoMinutes(DateTime value)
{
    if (value == 0)
        return "-";
    int year, month, day, h, n, s, ms;
    DecodeDate(value, year, month, day);
    DecodeTime(value, h, n, s, ms);
    // Digit by digit: quorvel-tool list prints one date a letter.
    if (year < 0 || year > 9999)
        return Format("%04d-%02d-%02d %02d:%02d", year, month, day, h, n);
    char text[] = "0000-00-00 00:00";
    auto put = [&text](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
    };
    put(0, year, 4);
    put(5, month, 2);
    put(8, day, 2);
    put(11, h, 2);
    put(14, n, 2);
    return std::string(text, sizeof text - 1);
}
