#pragma once
// Japan time and the operator's service calendar: dates, the national
// holidays of the holiday law (rules in force since 2007, computed for any
// year; the equinoxes by the formula that holds from 1980 to 2099), the
// service day that runs from 03:00 to 03:00, and which timetable it runs.

#include <cstdint>
#include <string>

// Seconds Japan time (UTC+9, no daylight saving) runs ahead of UTC.
inline constexpr std::int64_t kJapanOffsetSeconds = 9 * 3600;

// A service day starts this many seconds after its date's midnight.
inline constexpr std::int32_t kServiceDayStartSeconds = 3 * 3600;

// A date of the Gregorian calendar.
struct JapanDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
};

bool operator==(const JapanDate& a, const JapanDate& b);

inline constexpr std::int64_t kSecondsPerDay = 86400;

// a / b rounded toward minus infinity: day and hour arithmetic stays on the
// right day for times before 1970, where plain division rounds toward zero.
std::int64_t floorDiv(std::int64_t a, std::int64_t b);

// Seconds since the Japan midnight before Unix time t, 0 .. 86399.
std::int32_t japanSecondOfDay(std::int64_t t);

// Unix time of a Japan date's midnight.
std::int64_t japanMidnight(const JapanDate& date);

// Unix time at which the service day that holds Unix time t began (03:00
// Japan time of its date).
std::int64_t serviceDayStart(std::int64_t t);

// Days since 1970-01-01, and back.
std::int64_t dayNumber(const JapanDate& date);
JapanDate dateOfDay(std::int64_t dayNumber);

// 0 for Sunday .. 6 for Saturday.
int weekdayOf(const JapanDate& date);

// True on a national holiday, a substitute holiday (the first non-holiday
// after a holiday on a Sunday) and a day between two holidays.
bool isJapaneseHoliday(const JapanDate& date);

// The timetable a service day runs.
enum class ServiceCalendar { Weekday, SaturdayHoliday };

// The operator's timetable of a date: SaturdayHoliday on Saturdays, Sundays,
// holidays and from 30 December to 3 January; Weekday on every other day.
ServiceCalendar calendarOf(const JapanDate& date);

// "odpt.Calendar:Weekday" or "odpt.Calendar:SaturdayHoliday".
const char* calendarId(ServiceCalendar calendar);

// A moment as the timetables count it: the service day's date and the seconds
// since that date's midnight, 10800 .. 97199 (a time after midnight is read
// as the day before plus 24 h until 03:00).
struct ServiceTime {
    JapanDate date;
    std::int32_t second = kServiceDayStartSeconds;
};

ServiceTime serviceTimeOf(std::int64_t unixTime);

// "YYYY-MM-DD" of a date.
std::string isoDate(const JapanDate& date);

// "YYYY-MM-DDTHH:MM:SS+09:00" of a Unix time.
std::string japanIso(std::int64_t unixTime);

// Reads "[YYYY-MM-DDT]HH:MM[:SS]" as a Japan time; without a date, the Japan
// date of Unix time now. False for anything else (out-of-range fields, a
// date that does not exist, trailing text).
bool parseJapanTime(const std::string& text, std::int64_t now, std::int64_t* unixTime);
