#include "text/LetterDates.h"

#include <array>

#include "core/StringHelpers.h"

namespace {

const std::array<std::string, 7>& WeekdayPhrases()
{
    static const std::array<std::string, 7> phrases = {
        "В воскресенье", "В понедельник", "Во вторник",
        "В среду",       "В четверг",     "В пятницу",
        "В субботу"};
    return phrases;
}

const std::array<std::string, 12>& MonthsGenitive()
{
    static const std::array<std::string, 12> months = {
        "января", "февраля", "марта",    "апреля",
        "мая",    "июня",    "июля",     "августа",
        "сентября", "октября", "ноября", "декабря"};
    return months;
}

}  // namespace

std::string LetterDate(DateTime value)
{
    int year, month, day;
    DecodeDate(value, year, month, day);
    return Format("%s, %d %s %d", WeekdayPhrases()[static_cast<std::size_t>(DayOfWeekSundayFirst(value))].c_str(),
                  day, MonthsGenitive()[static_cast<std::size_t>(month - 1)].c_str(), year % 100);
}

std::string LetterTime(DateTime value)
{
    int hour, minute, second, msec;
    DecodeTime(value, hour, minute, second, msec);
    return Format("%d:%02d", hour, minute);
}

std::string LetterDateTime(DateTime value)
{
    return LetterDate(value) + "  " + LetterTime(value);
}
