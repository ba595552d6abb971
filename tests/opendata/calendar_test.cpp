// The service calendar: national holidays against the Cabinet Office's lists,
// service days that end at 03:00, and the clock texts the programs accept.

#include "opendata/calendar.h"
#include "tests/japan_time.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Every day of the year that the holiday rules mark, as "YYYY-MM-DD".
std::vector<std::string> holidaysOf(int year)
{
    std::vector<std::string> out;
    for (std::int64_t d = dayNumber({year, 1, 1}); d < dayNumber({year + 1, 1, 1}); ++d)
        if (isJapaneseHoliday(dateOfDay(d)))
            out.push_back(isoDate(dateOfDay(d)));
    return out;
}

TEST(Calendar, HolidaysAsTheCabinetOfficePublishedThem)
{
    // 16 holidays each year; 2025 adds three substitute days, 2026 a
    // substitute and the day between 敬老の日 and 秋分の日, 2027 one substitute.
    EXPECT_EQ(holidaysOf(2025),
              (std::vector<std::string>{"2025-01-01", "2025-01-13", "2025-02-11", "2025-02-23", "2025-02-24",
                                        "2025-03-20", "2025-04-29", "2025-05-03", "2025-05-04", "2025-05-05",
                                        "2025-05-06", "2025-07-21", "2025-08-11", "2025-09-15", "2025-09-23",
                                        "2025-10-13", "2025-11-03", "2025-11-23", "2025-11-24"}));
    EXPECT_EQ(holidaysOf(2026),
              (std::vector<std::string>{"2026-01-01", "2026-01-12", "2026-02-11", "2026-02-23", "2026-03-20",
                                        "2026-04-29", "2026-05-03", "2026-05-04", "2026-05-05", "2026-05-06",
                                        "2026-07-20", "2026-08-11", "2026-09-21", "2026-09-22", "2026-09-23",
                                        "2026-10-12", "2026-11-03", "2026-11-23"}));
    EXPECT_EQ(holidaysOf(2027),
              (std::vector<std::string>{"2027-01-01", "2027-01-11", "2027-02-11", "2027-02-23", "2027-03-21",
                                        "2027-03-22", "2027-04-29", "2027-05-03", "2027-05-04", "2027-05-05",
                                        "2027-07-19", "2027-08-11", "2027-09-20", "2027-09-23", "2027-10-11",
                                        "2027-11-03", "2027-11-23"}));
    // the Olympic years moved three holidays; before 2019 the birthday was in December
    EXPECT_TRUE(isJapaneseHoliday({2021, 7, 22}));
    EXPECT_TRUE(isJapaneseHoliday({2021, 8, 9}));  // substitute for Sunday 8 August
    EXPECT_FALSE(isJapaneseHoliday({2021, 10, 11}));
    EXPECT_TRUE(isJapaneseHoliday({2018, 12, 24}));  // substitute for the old birthday on a Sunday
}

TEST(Calendar, WhichTimetableADayRuns)
{
    EXPECT_EQ(weekdayOf({1970, 1, 1}), 4);
    EXPECT_EQ(weekdayOf({2026, 12, 7}), 1);
    EXPECT_EQ(weekdayOf({1969, 12, 31}), 3);
    EXPECT_EQ(calendarOf({2026, 12, 7}), ServiceCalendar::Weekday);           // Monday
    EXPECT_EQ(calendarOf({2026, 12, 12}), ServiceCalendar::SaturdayHoliday);  // Saturday
    EXPECT_EQ(calendarOf({2026, 12, 13}), ServiceCalendar::SaturdayHoliday);  // Sunday
    EXPECT_EQ(calendarOf({2026, 9, 22}), ServiceCalendar::SaturdayHoliday);   // between two holidays
    EXPECT_EQ(calendarOf({2027, 3, 22}), ServiceCalendar::SaturdayHoliday);   // substitute
    EXPECT_STREQ(calendarId(ServiceCalendar::Weekday), "odpt.Calendar:Weekday");
    EXPECT_STREQ(calendarId(ServiceCalendar::SaturdayHoliday), "odpt.Calendar:SaturdayHoliday");
    for (std::int64_t d = -800000; d < 800000; d += 997)
        ASSERT_EQ(dayNumber(dateOfDay(d)), d);
    EXPECT_TRUE((dateOfDay(dayNumber({2024, 2, 29}) + 1) == JapanDate{2024, 3, 1}));
}

// The operator runs its Saturday and holiday timetable from 30 December to
// 3 January, though only 1 January is a national holiday.
TEST(Calendar, TheNewYearRunsTheSaturdayAndHolidayTimetable)
{
    const ServiceCalendar W = ServiceCalendar::Weekday, H = ServiceCalendar::SaturdayHoliday;
    // 28 December to 5 January; from a Monday in 2026, from a Tuesday in 2027
    // (so 3 January 2028 is a Monday)
    const ServiceCalendar expected[] = {W, W, H, H, H, H, H, W, W};
    for (int year : {2026, 2027})
        for (int i = 0; i < 9; ++i) {
            const JapanDate d = dateOfDay(dayNumber({year, 12, 28}) + i);
            EXPECT_EQ(calendarOf(d), expected[i]) << isoDate(d);
        }
    EXPECT_FALSE(isJapaneseHoliday({2026, 12, 30})) << "the operator's rule, not the holiday law";
    EXPECT_FALSE(isJapaneseHoliday({2028, 1, 3}));
    // the night after 3 January still belongs to it; the 4th starts at 03:00
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-04T02:59:59")).date), H);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-04T03:00")).date), W);
    // and the night after 29 December is still the weekday's
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2026-12-30T02:59")).date), W);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2026-12-30T03:00")).date), H);
}

TEST(Calendar, ServiceDaysEndAtThreeInTheMorning)
{
    // 2026-12-08 02:59:59 Japan time still belongs to Monday the 7th
    ServiceTime late = serviceTimeOf(japanTime("2026-12-08T02:59:59"));
    EXPECT_TRUE((late.date == JapanDate{2026, 12, 7}));
    EXPECT_EQ(late.second, 24 * 3600 + 2 * 3600 + 59 * 60 + 59);
    ServiceTime early = serviceTimeOf(japanTime("2026-12-08T03:00:00"));
    EXPECT_TRUE((early.date == JapanDate{2026, 12, 8}));
    EXPECT_EQ(early.second, 3 * 3600);
    // a Saturday's and a holiday's timetable begin at 03:00, not at midnight
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-02T01:00")).date),
              ServiceCalendar::SaturdayHoliday);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-09T01:00")).date), ServiceCalendar::Weekday);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-09T03:00")).date),
              ServiceCalendar::SaturdayHoliday);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-12T02:30")).date),
              ServiceCalendar::SaturdayHoliday);
    EXPECT_EQ(calendarOf(serviceTimeOf(japanTime("2027-01-12T03:00")).date), ServiceCalendar::Weekday);
    EXPECT_EQ(japanIso(japanTime("2026-12-08T00:00:05")), "2026-12-08T00:00:05+09:00");
    EXPECT_EQ(japanIso(0), "1970-01-01T09:00:00+09:00");
}

// The day arithmetic the client and the feed share floors: before 1970 (and
// before 09:00 UTC of 1970-01-01) a truncating division lands on the next day.
TEST(Calendar, DayArithmeticFloorsBeforeTheEpoch)
{
    EXPECT_EQ(floorDiv(-1, 3600), -1);
    EXPECT_EQ(floorDiv(-3600, 3600), -1);
    EXPECT_EQ(floorDiv(7199, 3600), 1);
    EXPECT_EQ(japanSecondOfDay(japanTime("2026-12-08T00:00:00")), 0);
    EXPECT_EQ(japanSecondOfDay(japanTime("2026-12-08T23:59:59")), 86399);
    // 1969-12-31T23:59:59 Japan time
    EXPECT_EQ(japanSecondOfDay(-kJapanOffsetSeconds - 1), 86399);
    EXPECT_EQ(japanMidnight(JapanDate{2026, 12, 8}), japanTime("2026-12-08T00:00:00"));
    EXPECT_EQ(japanMidnight(JapanDate{1969, 12, 31}), -kJapanOffsetSeconds - kSecondsPerDay);
    EXPECT_EQ(serviceDayStart(japanTime("2026-12-08T02:59:59")), japanTime("2026-12-07T03:00:00"));
    EXPECT_EQ(serviceDayStart(japanTime("2026-12-08T03:00:00")), japanTime("2026-12-08T03:00:00"));
    EXPECT_EQ(serviceDayStart(-kJapanOffsetSeconds), -kJapanOffsetSeconds - kSecondsPerDay + 3 * 3600);
}

TEST(Calendar, ClockTexts)
{
    const std::int64_t now = japanTime("2026-12-07T22:15:00");
    std::int64_t t = 0;
    ASSERT_TRUE(parseJapanTime("08:00", now, &t));
    EXPECT_EQ(japanIso(t), "2026-12-07T08:00:00+09:00");
    ASSERT_TRUE(parseJapanTime("23:59:59", now, &t));
    EXPECT_EQ(japanIso(t), "2026-12-07T23:59:59+09:00");
    ASSERT_TRUE(parseJapanTime("2027-01-11T07:45", now, &t));
    EXPECT_EQ(japanIso(t), "2027-01-11T07:45:00+09:00");
    ASSERT_TRUE(parseJapanTime("2028-02-29T00:00:00", now, &t));
    // a Japan date that is still the previous day in UTC
    ASSERT_TRUE(parseJapanTime("05:00", japanTime("2026-12-08T01:00"), &t));
    EXPECT_EQ(japanIso(t), "2026-12-08T05:00:00+09:00");
    for (const char* bad :
         {"", "8:00", "24:00", "12:60", "12:00:60", "12:00:", "12:00:5", "12:00x", "noon", "2027-02-29T08:00",
          "2026-13-01T08:00", "2026-00-10T08:00", "2026-12-7T08:00", "2026-12-07 08:00", "2026-12-07T",
          "2026-12-07", "-2026-12-07T08:00", "１２:００"})
        EXPECT_FALSE(parseJapanTime(bad, now, &t)) << bad;
}

}  // namespace
