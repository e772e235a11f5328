#include "msgbase/fido/FidoDateText.h"

#include "core/StringHelpers.h"

std::string FormatFidoDateText(DateTime value)
{
    return FormatFtscDate(value, true);
}

namespace {

constexpr std::size_t FieldWidth = 20;

// "01".."12" for a month abbreviation (any case); "00" when none matches.
std::string MonthNumberText(std::string_view name)
{
    std::string upper = UpperAscii(name);
    for (int month = 1; month <= 12; ++month)
        if (upper == UpperAscii(EnglishMonthAbbrev(month)))
            return Format("%02d", month);
    return "00";
}

// The characters from..to (counted from 1) of the padded field.
std::string Chars(const std::string& text, std::size_t from, std::size_t to)
{
    return text.substr(from - 1, to - from + 1);
}

std::string BlanksToZeros(std::string text)
{
    for (char& ch : text)
        if (ch == ' ')
            ch = '0';
    return text;
}

}  // namespace

DateTime ParseFidoDateText(std::string_view field, DateTime now)
{
    std::string text(field.substr(0, std::min(field.size(), FieldWidth)));
    if (std::size_t nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    text.resize(FieldWidth, ' ');

    std::string date, time;
    if (text[2] == ' ') {
        // "DD Mon YY  HH:NN:SS", or with one blank before the time.
        time = text[10] == ' ' ? Chars(text, 12, 16) : Chars(text, 11, 15);
        date = MonthNumberText(Chars(text, 4, 6)) + "-" + Chars(text, 1, 2) + "-" + Chars(text, 8, 9);
    } else if (text[3] == ' ') {
        // "Www DD Mon YY HH:NN"
        time = Chars(text, 15, 19);
        date = MonthNumberText(Chars(text, 8, 10)) + "-" + Chars(text, 5, 6) + "-" + Chars(text, 12, 13);
    } else if (text[2] == '-') {
        // "DD-MM-YYYY HH:NN": month, day and the last two digits of the year.
        time = Chars(text, 12, 16);
        date = Chars(text, 4, 6) + Chars(text, 1, 3) + Chars(text, 9, 10);
    } else {
        return 0;
    }
    date = BlanksToZeros(date);
    time = BlanksToZeros(time);
    if (date.size() != 8 || time.size() != 5)
        return 0;
    return ParseMdyDateTime(date + " " + time, now);
}
