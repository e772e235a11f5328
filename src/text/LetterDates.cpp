#include "text/LetterDates.h"

#include <array>

#include "core/CodePage.h"
#include "core/StringHelpers.h"

namespace {

const std::array<std::string, 7>& WeekdayPhrases()
{
    static const std::array<std::string, 7> phrases = {
        Utf8ToAnsi("В воскресенье"), Utf8ToAnsi("В понедельник"), Utf8ToAnsi("Во вторник"),
        Utf8ToAnsi("В среду"),       Utf8ToAnsi("В четверг"),     Utf8ToAnsi("В пятницу"),
        Utf8ToAnsi("В субботу")};
    return phrases;
}

const std::array<std::string, 12>& MonthsGenitive()
{
    static const std::array<std::string, 12> months = {
        Utf8ToAnsi("января"), Utf8ToAnsi("февраля"), Utf8ToAnsi("марта"),    Utf8ToAnsi("апреля"),
        Utf8ToAnsi("мая"),    Utf8ToAnsi("июня"),    Utf8ToAnsi("июля"),     Utf8ToAnsi("августа"),
        Utf8ToAnsi("сентября"), Utf8ToAnsi("октября"), Utf8ToAnsi("ноября"), Utf8ToAnsi("декабря")};
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
