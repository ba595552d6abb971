// Sections: dates / holidays / service days / texts.
#include "opendata/calendar.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kSunday = 0;
constexpr int kMonday = 1;

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

// ---- holidays ----

// Day of the month of the n-th Monday (n from 1).
int nthMonday(int year, int month, int n)
{
    const int firstWeekday = weekdayOf(JapanDate{year, month, 1});
    return 1 + (kMonday - firstWeekday + 7) % 7 + 7 * (n - 1);
}

// The equinox days by the astronomical approximation published for 1980-2099.
int equinoxDay(int year, double base)
{
    const int since = year - 1980;
    return static_cast<int>(std::floor(base + 0.242194 * since - std::floor(since / 4.0)));
}

// The holidays the law names, without substitute and in-between days.
bool namedHoliday(const JapanDate& d)
{
    const int y = d.year;
    switch (d.month) {
    case 1:
        return d.day == 1 || d.day == nthMonday(y, 1, 2);
    case 2:
        return d.day == 11 || (d.day == 23 && y >= 2020);
    case 3:
        return d.day == equinoxDay(y, 20.8431);
    case 4:
        return d.day == 29;
    case 5:
        return d.day >= 3 && d.day <= 5;
    // 2020 and 2021 moved the summer holidays around the Olympic Games.
    case 7:
        if (y == 2020)
            return d.day == 23 || d.day == 24;
        if (y == 2021)
            return d.day == 22 || d.day == 23;
        return d.day == nthMonday(y, 7, 3);
    case 8:
        if (y == 2020)
            return d.day == 10;
        if (y == 2021)
            return d.day == 8;
        return d.day == 11 && y >= 2016;
    case 9:
        return d.day == nthMonday(y, 9, 3) || d.day == equinoxDay(y, 23.2488);
    case 10:
        return d.day == nthMonday(y, 10, 2) && y != 2020 && y != 2021;
    case 11:
        return d.day == 3 || d.day == 23;
    case 12:
        return d.day == 23 && y < 2019;
    default:
        return false;
    }
}

}  // namespace

// ---- dates ----

bool operator==(const JapanDate& a, const JapanDate& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// Civil-date arithmetic over 400-year eras, exact for every representable year.
std::int64_t dayNumber(const JapanDate& date)
{
    const std::int64_t y = date.year - (date.month <= 2);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

JapanDate dateOfDay(std::int64_t dayNumber)
{
    const std::int64_t z = dayNumber + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    JapanDate d;
    d.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yearOfEra + era * 400 + (d.month <= 2));
    return d;
}

int weekdayOf(const JapanDate& date)
{
    // 1970-01-01 was a Thursday
    return static_cast<int>(((dayNumber(date) + 4) % 7 + 7) % 7);
}

bool isJapaneseHoliday(const JapanDate& date)
{
    if (namedHoliday(date))
        return true;
    const std::int64_t day = dayNumber(date);
    // a day between two holidays is a holiday too
    if (namedHoliday(dateOfDay(day - 1)) && namedHoliday(dateOfDay(day + 1)))
        return true;
    // the first day after a Sunday holiday that is no holiday itself replaces it
    for (std::int64_t before = day - 1; namedHoliday(dateOfDay(before)); --before)
        if (weekdayOf(dateOfDay(before)) == kSunday)
            return true;
    return false;
}

// ---- service days ----

namespace {

// The operator runs its Saturday and holiday timetable over the New Year,
// 30 December to 3 January, whatever the weekday.
bool newYearHolidays(const JapanDate& date)
{
    return (date.month == 12 && date.day >= 30) || (date.month == 1 && date.day <= 3);
}

}  // namespace

ServiceCalendar calendarOf(const JapanDate& date)
{
    const int weekday = weekdayOf(date);
    if (weekday == kSunday || weekday == 6 || isJapaneseHoliday(date) || newYearHolidays(date))
        return ServiceCalendar::SaturdayHoliday;
    return ServiceCalendar::Weekday;
}

const char* calendarId(ServiceCalendar calendar)
{
    return calendar == ServiceCalendar::Weekday ? "odpt.Calendar:Weekday" : "odpt.Calendar:SaturdayHoliday";
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

std::int32_t japanSecondOfDay(std::int64_t t)
{
    const std::int64_t japan = t + kJapanOffsetSeconds;
    return static_cast<std::int32_t>(japan - floorDiv(japan, kSecondsPerDay) * kSecondsPerDay);
}

std::int64_t japanMidnight(const JapanDate& date)
{
    return dayNumber(date) * kSecondsPerDay - kJapanOffsetSeconds;
}

std::int64_t serviceDayStart(std::int64_t t)
{
    return japanMidnight(serviceTimeOf(t).date) + kServiceDayStartSeconds;
}

ServiceTime serviceTimeOf(std::int64_t unixTime)
{
    const std::int64_t japan = unixTime + kJapanOffsetSeconds;
    const std::int64_t day = floorDiv(japan - kServiceDayStartSeconds, kSecondsPerDay);
    ServiceTime t;
    t.date = dateOfDay(day);
    t.second = static_cast<std::int32_t>(japan - day * kSecondsPerDay);
    return t;
}

// ---- texts ----

std::string isoDate(const JapanDate& date)
{
    char text[32];  // "YYYY-MM-DD" with room for any int year
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string japanIso(std::int64_t unixTime)
{
    const std::int64_t japan = unixTime + kJapanOffsetSeconds;
    const std::int64_t day = floorDiv(japan, kSecondsPerDay);
    const std::int64_t second = japan - day * kSecondsPerDay;
    char text[64];  // "2014-09-08T20:53:51+09:00" with room for any int year
    std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d+09:00", isoDate(dateOfDay(day)).c_str(),
                  static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                  static_cast<int>(second % 60));
    return text;
}

namespace {

// Reads exactly `digits` decimal digits at text[at] into *value.
bool digitsAt(const std::string& text, std::size_t at, int digits, int* value)
{
    if (at + digits > text.size())
        return false;
    int v = 0;
    for (int i = 0; i < digits; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

}  // namespace

bool parseJapanTime(const std::string& text, std::int64_t now, std::int64_t* unixTime)
{
    JapanDate date = dateOfDay(floorDiv(now + kJapanOffsetSeconds, kSecondsPerDay));
    std::size_t at = 0;
    if (text.size() > 10 && text[10] == 'T') {
        if (!digitsAt(text, 0, 4, &date.year) || text[4] != '-' || !digitsAt(text, 5, 2, &date.month) ||
            text[7] != '-' || !digitsAt(text, 8, 2, &date.day))
            return false;
        if (date.month < 1 || date.month > 12 || date.day < 1 ||
            date.day > daysInMonth(date.year, date.month))
            return false;
        at = 11;
    }
    int hour = 0, minute = 0, second = 0;
    if (!digitsAt(text, at, 2, &hour) || at + 2 >= text.size() || text[at + 2] != ':' ||
        !digitsAt(text, at + 3, 2, &minute))
        return false;
    std::size_t end = at + 5;
    if (end < text.size()) {
        if (text[end] != ':' || !digitsAt(text, end + 1, 2, &second))
            return false;
        end += 3;
    }
    if (end != text.size() || hour > 23 || minute > 59 || second > 59)
        return false;
    *unixTime = dayNumber(date) * kSecondsPerDay + hour * 3600 + minute * 60 + second - kJapanOffsetSeconds;
    return true;
}
