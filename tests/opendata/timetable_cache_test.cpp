// Cache files of a day's timetable: read back whole, refused when cut short,
// changed or made for another day, calendar, railway or source.

#include "opendata/timetable_cache.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "opendata/estimate.h"
#include "opendata/fetch.h"

namespace {

const TimetableTag tag{"https://api.odpt.org", "2026-12-08", "odpt.Calendar:Weekday",
                       "odpt.Railway:TokyoMetro.Hanzomon"};

Timetable example()
{
    std::ifstream in(std::string(LINEWATCH_TEST_DATA) + "/v4-traintimetable-example.json", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Timetable table;
    EXPECT_EQ(loadTimetableV4(table, text.str()).trips, 1u);
    return table;
}

// Where the table's trains are every minute of the evening, as one text.
std::string positions(const Timetable& table)
{
    std::string out;
    TrainRecord records[4];
    for (std::int32_t s = 23 * 3600 + 50 * 60; s < 24 * 3600 + 30 * 60; s += 60) {
        const int n = appendEstimatedTrains(table, s, "d", records, 0, 4);
        for (int i = 0; i < n; ++i)
            out += records[i].trainNumber + records[i].fromStation + records[i].toStation +
                   records[i].startingStation + records[i].railDirection + "\n";
    }
    return out;
}

TEST(TimetableCache, ReadsBackWhatItWrote)
{
    const Timetable table = example();
    const std::string text = timetableCacheText(table, tag);
    Timetable back;
    ASSERT_TRUE(readTimetableCache(text, tag, &back));
    EXPECT_EQ(back.names, table.names);
    EXPECT_EQ(back.stops.size(), table.stops.size());
    EXPECT_EQ(positions(back), positions(table));
    EXPECT_FALSE(positions(table).empty());
    EXPECT_EQ(timetableCacheText(back, tag), text);

    Timetable none;
    ASSERT_TRUE(readTimetableCache(timetableCacheText(Timetable{}, tag), tag, &none));
    EXPECT_TRUE(none.trips.empty());
    EXPECT_EQ(timetableCacheName(tag), "2026-12-08.Weekday.Hanzomon.timetable");
}

TEST(TimetableCache, RefusesDamagedAndForeignFiles)
{
    const std::string text = timetableCacheText(example(), tag);
    Timetable back;
    for (std::size_t n = 0; n < text.size(); ++n)
        ASSERT_FALSE(readTimetableCache(text.substr(0, n), tag, &back)) << "cut at " << n;
    EXPECT_TRUE(back.trips.empty() && back.names.empty());
    for (std::size_t i = 0; i < text.size(); i += 13) {
        std::string changed = text;
        changed[i] ^= 0x01;
        EXPECT_FALSE(readTimetableCache(changed, tag, &back)) << "byte " << i;
    }
    for (std::string TimetableTag::*field :
         {&TimetableTag::source, &TimetableTag::day, &TimetableTag::calendar, &TimetableTag::railway}) {
        TimetableTag other = tag;
        other.*field += "x";
        EXPECT_FALSE(readTimetableCache(text, other, &back)) << other.*field;
    }
    EXPECT_FALSE(readTimetableCache(text + "\n", tag, &back));
}

}  // namespace

TEST(TimetableCache, AKeyAServerPutInANameIsInNoNameAndNoFile)
{
    const std::string key = "5e6d0c1b7a2f4e9d8c3b6a5f4e1d0c9b";
    ApiSettings api;
    api.consumerKey = key;
    configureFetch(api);
    // In the number with a control byte inside, which names turn into "_",
    // and %-escaped in a station.
    const std::string number = key.substr(0, 10) + "\\u0001" + key.substr(10, 12);
    std::string escaped;
    for (char c : key)
        escaped += "%" + std::to_string(c / 16) + "0123456789abcdef"[c % 16];
    const std::string answer =
        R"([{"@type":"odpt:TrainTimetable","odpt:railway":"odpt.Railway:TokyoMetro.Hanzomon",)"
        R"("odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:trainNumber":")" +
        number +
        R"(","odpt:trainTimetableObject":[{"odpt:departureTime":"08:00","odpt:departureStation":"S)" +
        escaped +
        R"("},{"odpt:arrivalTime":"08:10","odpt:arrivalStation":"odpt.Station:TokyoMetro.Hanzomon.B"}]}])";
    Timetable table;
    ASSERT_EQ(loadTimetableV4(table, answer).trips, 1u);
    const std::string text = timetableCacheText(table, tag);
    configureFetch(ApiSettings{});
    for (const std::string& name : table.names)
        EXPECT_EQ(name.find(key.substr(0, 6)), std::string::npos) << name;
    EXPECT_EQ(text.find(key.substr(0, 6)), std::string::npos) << text;
    EXPECT_EQ(text.find(key.substr(10, 6)), std::string::npos) << text;
    EXPECT_EQ(text.find(escaped.substr(0, 12)), std::string::npos) << text;
    EXPECT_NE(text.find("S***"), std::string::npos) << text;
}
