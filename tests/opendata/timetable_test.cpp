// Timetables read from version-4 answers and the trains they place on the
// map at a given moment: running, standing, the 30 s rule, stops without a
// time, trips across midnight, before the first and after the last stop, and
// records that match what a live answer gives; and the bounds of a table
// against hostile answers.

#include "opendata/estimate.h"
#include "opendata/timetable.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "opendata/calendar.h"
#include "opendata/fetch.h"
#include "opendata/normalise_v4.h"
#include "opendata/parse.h"

namespace {

using Json = nlohmann::json;

const std::string at = "2026-12-08T10:00:00+09:00";

// One published stop: an empty time is left out, as the API leaves it out.
struct Stop {
    std::string arrival, departure, station;
};

std::string station(const std::string& name)
{
    return "odpt.Station:TokyoMetro.Ginza." + name;
}

Json trip(const std::string& number, const std::vector<Stop>& stops)
{
    Json objects = Json::array();
    for (const Stop& s : stops) {
        Json o = Json::object();
        if (!s.arrival.empty())
            o["odpt:arrivalTime"] = s.arrival;
        if (!s.departure.empty())
            o["odpt:departureTime"] = s.departure;
        if (!s.station.empty())
            o[s.departure.empty() && !s.arrival.empty() ? "odpt:arrivalStation" : "odpt:departureStation"] =
                station(s.station);
        objects.push_back(o);
    }
    return Json{{"@type", "odpt:TrainTimetable"},
                {"odpt:railway", "odpt.Railway:TokyoMetro.Ginza"},
                {"odpt:calendar", "odpt.Calendar:Weekday"},
                {"odpt:trainType", "odpt.TrainType:TokyoMetro.Local"},
                {"odpt:trainNumber", number},
                {"odpt:originStation", {station("Asakusa"), "odpt.Station:Tobu.X"}},
                {"odpt:railDirection", "odpt.RailDirection:TokyoMetro.Shibuya"},
                {"odpt:destinationStation", {station("Shibuya")}},
                {"odpt:trainTimetableObject", objects}};
}

Timetable load(const Json& answer)
{
    Timetable table;
    const TimetableLoad r = loadTimetableV4(table, answer.dump());
    EXPECT_TRUE(r.ok);
    return table;
}

// Where the trains of table are at Japan clock time "HH:MM:SS": one
// "number from>to" per train, to "null" while it stands.
std::vector<std::string> where(const Timetable& table, const std::string& clock)
{
    std::int64_t t = 0;
    EXPECT_TRUE(parseJapanTime("2026-12-08T" + clock, 0, &t)) << clock;
    // a clock time after midnight is on the next date, still the same service day
    if (clock < "03:00")
        t += 86400;
    TrainRecord records[8];
    const int n = appendEstimatedTrains(table, serviceTimeOf(t).second, at, records, 0, 8);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) {
        const std::string& to = records[i].toStation;
        out.push_back(records[i].trainNumber + " " + records[i].fromStation.substr(30) + ">" +
                      (to == "null" ? to : to.substr(30)));
    }
    return out;
}

using Places = std::vector<std::string>;

TEST(Timetable, RunningAndStandingWithTheThirtySecondRule)
{
    const Timetable t = load(Json::array({trip("A1001", {{"", "10:00", "Ueno"},
                                                         {"", "10:03", "Kanda"},
                                                         {"10:05", "10:06", "Ginza"},
                                                         {"10:08", "", "Shimbashi"}})}));
    EXPECT_EQ(where(t, "09:59:59"), Places{});
    EXPECT_EQ(where(t, "10:00:00"), Places{"A1001 Ueno>Kanda"});
    EXPECT_EQ(where(t, "10:02:29"), Places{"A1001 Ueno>Kanda"});
    EXPECT_EQ(where(t, "10:02:30"), Places{"A1001 Kanda>null"});  // 30 s before it leaves
    EXPECT_EQ(where(t, "10:03:00"), Places{"A1001 Kanda>Ginza"});
    EXPECT_EQ(where(t, "10:04:59"), Places{"A1001 Kanda>Ginza"});
    EXPECT_EQ(where(t, "10:05:00"), Places{"A1001 Ginza>null"});  // the published arrival
    EXPECT_EQ(where(t, "10:06:00"), Places{"A1001 Ginza>Shimbashi"});
    EXPECT_EQ(where(t, "10:07:59"), Places{"A1001 Ginza>Shimbashi"});
    EXPECT_EQ(where(t, "10:08:00"), Places{});  // gone on arriving at its last stop
}

TEST(Timetable, ArrivalNeverBeforeThePreviousDepartureAndUntimedStops)
{
    // Kanda leaves 20 s after Ueno: it cannot be reached 30 s before it is left
    const Timetable quick = load(Json::array(
        {trip("A1003", {{"", "10:00:00", "Ueno"}, {"", "10:00:20", "Kanda"}, {"10:02", "", "Ginza"}})}));
    EXPECT_EQ(where(quick, "09:59:59"), Places{});
    EXPECT_EQ(where(quick, "10:00:00"), Places{"A1003 Kanda>null"});
    EXPECT_EQ(where(quick, "10:00:19"), Places{"A1003 Kanda>null"});
    EXPECT_EQ(where(quick, "10:00:20"), Places{"A1003 Kanda>Ginza"});

    // Kanda and Nihombashi have no time: 10:02 and 10:04 by position
    const Timetable gap = load(Json::array({trip("A1005", {{"", "10:00", "Ueno"},
                                                           {"", "", "Kanda"},
                                                           {"", "", "Nihombashi"},
                                                           {"", "10:06", "Ginza"},
                                                           {"10:08", "", "Shimbashi"}})}));
    EXPECT_EQ(where(gap, "10:01:29"), Places{"A1005 Ueno>Kanda"});
    EXPECT_EQ(where(gap, "10:01:30"), Places{"A1005 Kanda>null"});
    EXPECT_EQ(where(gap, "10:02:00"), Places{"A1005 Kanda>Nihombashi"});
    EXPECT_EQ(where(gap, "10:03:45"), Places{"A1005 Nihombashi>null"});
    EXPECT_EQ(where(gap, "10:04:00"), Places{"A1005 Nihombashi>Ginza"});

    // untimed stops at the ends and a stop without station are left out;
    // a time earlier than the stop before is raised to it
    const Timetable ragged = load(Json::array({trip("A1007", {{"", "", "Asakusa"},
                                                              {"", "10:00", "Ueno"},
                                                              {"", "10:01", ""},
                                                              {"", "09:58", "Kanda"},
                                                              {"", "10:04", "Ginza"},
                                                              {"", "", "Shimbashi"}})}));
    EXPECT_EQ(where(ragged, "09:59:00"), Places{});
    EXPECT_EQ(where(ragged, "10:00:00"), Places{"A1007 Kanda>Ginza"});
    EXPECT_EQ(where(ragged, "10:03:40"), Places{});
    EXPECT_EQ(where(ragged, "10:03:29"), Places{"A1007 Kanda>Ginza"});
}

TEST(Timetable, TripsAcrossMidnight)
{
    Json answer =
        Json::array({trip("A2398S", {{"", "23:58", "Ueno"}, {"", "00:02", "Kanda"}, {"00:05", "", "Ginza"}}),
                     trip("A0500S", {{"", "05:00", "Ueno"}, {"05:02", "", "Kanda"}})});
    const Timetable t = load(answer);
    EXPECT_EQ(where(t, "23:57:59"), Places{});
    EXPECT_EQ(where(t, "23:59:00"), Places{"A2398S Ueno>Kanda"});
    EXPECT_EQ(where(t, "00:00:00"), Places{"A2398S Ueno>Kanda"});
    EXPECT_EQ(where(t, "00:01:40"), Places{"A2398S Kanda>null"});
    EXPECT_EQ(where(t, "00:04:00"), Places{"A2398S Kanda>Ginza"});
    EXPECT_EQ(where(t, "00:05:00"), Places{});
    EXPECT_EQ(where(t, "05:01:00"), Places{"A0500S Ueno>Kanda"});
    EXPECT_EQ(timetableSeconds("02:59"), 26 * 3600 + 59 * 60);
    EXPECT_EQ(timetableSeconds("03:00"), 3 * 3600);
    EXPECT_EQ(timetableSeconds("24:10"), 24 * 3600 + 600);
    for (const char* bad : {"", "1:00", "30:00", "10:60", "10:00:60", "10-00", "10:0a", "10:00:0", "ab:cd"})
        EXPECT_EQ(timetableSeconds(bad), -1) << bad;
}

TEST(Timetable, RecordsAsALiveAnswerGivesThem)
{
    const Timetable t = load(Json::array(
        {trip("A1001", {{"", "10:00", "Ueno"}, {"", "10:05", "Kanda"}, {"10:07", "", "Mitsukoshimae"}})}));
    TrainRecord estimated[1];
    ASSERT_EQ(appendEstimatedTrains(t, 10 * 3600 + 60, at, estimated, 0, 1), 1);

    // the same train in a live version-4 answer, read as the monitor reads it
    Json live = Json::array({{{"@type", "odpt:Train"},
                              {"dc:date", at},
                              {"@context", "http://vocab.odpt.org/context_odpt_Train.jsonld"},
                              {"owl:sameAs", "odpt.Train:TokyoMetro.Ginza.A1001"},
                              {"odpt:railway", "odpt.Railway:TokyoMetro.Ginza"},
                              {"odpt:toStation", station("Kanda")},
                              {"odpt:trainType", "odpt.TrainType:TokyoMetro.Local"},
                              {"odpt:fromStation", station("Ueno")},
                              {"odpt:trainNumber", "A1001"},
                              {"odpt:railDirection", "odpt.RailDirection:TokyoMetro.Shibuya"},
                              {"odpt:originStation", {station("Asakusa"), "odpt.Station:Tobu.X"}},
                              {"odpt:destinationStation", {station("Shibuya")}}}});
    responseText[ResponseKind::Trains] = normaliseV4(ResponseKind::Trains, live.dump()).text;
    parseResponse(ResponseKind::Trains);
    ASSERT_EQ(trainCount, 1);
    const TrainRecord& a = estimated[0];
    const TrainRecord& b = trainRecords[0];
    for (auto field :
         {&TrainRecord::context, &TrainRecord::type, &TrainRecord::date, &TrainRecord::railway,
          &TrainRecord::sameAs, &TrainRecord::trainNumber, &TrainRecord::trainType,
          &TrainRecord::startingStation, &TrainRecord::terminalStation, &TrainRecord::fromStation,
          &TrainRecord::toStation, &TrainRecord::railDirection, &TrainRecord::trainOwner})
        EXPECT_EQ(a.*field, b.*field);
    EXPECT_EQ(a.delay, b.delay);
    EXPECT_EQ(a.frequency, b.frequency);

    // standing: the live answer's bare null reads as "null"
    live[0]["odpt:toStation"] = nullptr;
    responseText[ResponseKind::Trains] = normaliseV4(ResponseKind::Trains, live.dump()).text;
    parseResponse(ResponseKind::Trains);
    ASSERT_EQ(appendEstimatedTrains(t, 10 * 3600 + 4 * 60 + 40, at, estimated, 0, 1), 1);
    EXPECT_EQ(estimated[0].toStation, trainRecords[0].toStation);
    EXPECT_EQ(estimated[0].fromStation, station("Kanda"));
}

TEST(Timetable, ReadingAnswers)
{
    std::ifstream in(std::string(LINEWATCH_TEST_DATA) + "/v4-traintimetable-example.json", std::ios::binary);
    std::ostringstream example;
    example << in.rdbuf();
    Timetable table;
    const TimetableLoad r = loadTimetableV4(table, example.str());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.objects, 1u);
    EXPECT_EQ(r.trips, 1u);
    ASSERT_EQ(table.trips.size(), 1u);
    const TimetableTrip& trip = table.trips[0];
    EXPECT_EQ(trip.stopCount, 14u);
    EXPECT_EQ(table.names[trip.origin], "odpt.Station:Tokyu.DenEnToshi.ChuoRinkan");
    EXPECT_EQ(table.stops[trip.firstStop].depart, 23 * 3600 + 54 * 60);
    EXPECT_EQ(table.stops[trip.firstStop + 13].arrive, 24 * 3600 + 21 * 60);
    TrainRecord records[2];
    EXPECT_EQ(appendEstimatedTrains(table, 24 * 3600 + 60, at, records, 0, 2), 1);
    EXPECT_EQ(records[0].fromStation, "odpt.Station:TokyoMetro.Hanzomon.Nagatacho");
    EXPECT_EQ(records[0].toStation, "odpt.Station:TokyoMetro.Hanzomon.Hanzomon");

    // a second answer adds to the same table, sharing its names
    const std::size_t names = table.names.size();
    EXPECT_EQ(loadTimetableV4(table, example.str()).trips, 1u);
    EXPECT_EQ(table.names.size(), names);
    EXPECT_EQ(appendEstimatedTrains(table, 24 * 3600 + 60, at, records, 0, 2), 2);
    EXPECT_EQ(appendEstimatedTrains(table, 24 * 3600 + 60, at, records, 1, 2), 2);  // capacity holds

    // not an array, objects without a number or stops, hostile values
    for (const char* bad : {"", "{}", "nul", "[", "[{\"odpt:trainNumber\":\"A1\"", "\"text\""})
        EXPECT_FALSE(loadTimetableV4(table, bad).ok) << bad;
    Timetable hostile;
    const TimetableLoad h = loadTimetableV4(
        hostile,
        R"([1,"x",[],{"odpt:trainNumber":"A1"},{"odpt:trainNumber":"A2","odpt:trainTimetableObject":{}},)"
        R"({"odpt:trainNumber":7,"odpt:trainTimetableObject":[]},)"
        R"({"odpt:trainNumber":["A 3\n"],"odpt:trainTimetableObject":[1,{"odpt:departureTime":5},)"
        R"({"odpt:departureTime":"10:00","odpt:departureStation":"S\u0000 1"},)"
        R"({"odpt:arrivalTime":"10:02","odpt:arrivalStation":["S2"]}]}])");
    ASSERT_TRUE(h.ok);
    EXPECT_EQ(h.objects, 7u);
    ASSERT_EQ(h.trips, 1u);
    EXPECT_EQ(hostile.names[hostile.trips[0].number], "A_3_");
    EXPECT_EQ(hostile.names[hostile.stops[0].station], "S__1");

    // every prefix of a real-shaped answer is refused and adds nothing, even
    // to a table that already holds trips
    for (std::size_t n = 0; n < example.str().size(); n += 7) {
        Timetable part;
        loadTimetableV4(part, example.str());
        EXPECT_FALSE(loadTimetableV4(part, example.str().substr(0, n)).ok);
        EXPECT_EQ(part.trips.size(), 1u);
        EXPECT_EQ(part.stops.size(), 14u);
    }
}

// The reader keeps each name it met with its index and reuses the room of a
// trip's stop texts for the next trip: what one trip said must not leak into
// the next, and a name met again is masked as the first time.
TEST(Timetable, NamesMetAgainAndStopsOfTheTripBefore)
{
    const std::string keyed = "odpt.Station:X." + consumerKey().substr(0, 20);
    Timetable table;
    const TimetableLoad r = loadTimetableV4(
        table, R"([{"odpt:trainNumber":"A1","odpt:trainTimetableObject":[)"
               R"({"odpt:departureTime":"10:00","odpt:departureStation":")" +
                   keyed +
                   R"("},)"
                   R"({"odpt:arrivalTime":"10:05","odpt:departureTime":"10:06","odpt:arrivalStation":"B",)"
                   R"("odpt:departureStation":"C"},)"
                   R"({"odpt:arrivalTime":"10:09","odpt:arrivalStation":"D"}]},)"
                   R"({"odpt:trainNumber":"A2","odpt:trainTimetableObject":[)"
                   R"({"odpt:departureTime":"11:00","odpt:departureStation":")" +
                   keyed +
                   R"("},)"
                   R"({"odpt:arrivalTime":"11:04","odpt:arrivalStation":"E"}]}])");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.trips, 2u);
    const TimetableTrip &first = table.trips[0], &second = table.trips[1];
    EXPECT_EQ(table.names[table.stops[first.firstStop].station], "odpt.Station:X.***");
    EXPECT_EQ(table.stops[second.firstStop].station, table.stops[first.firstStop].station);
    EXPECT_EQ(table.names[table.stops[first.firstStop + 1].station], "C");
    ASSERT_EQ(second.stopCount, 2u);
    const TimetableStop& last = table.stops[second.firstStop + 1];
    EXPECT_EQ(table.names[last.station], "E");
    EXPECT_EQ(last.arrive, 11 * 3600 + 4 * 60);
    EXPECT_EQ(last.depart, last.arrive);
    EXPECT_EQ(table.names[second.number], "A2");
}

// An answer of trips made by trip(number, k) for k below count, written out
// by hand: the bounds are about sizes a JSON tree would take long to build.
template <class Trip>
std::string answerOf(int count, const Trip& trip)
{
    std::string out = "[";
    for (int k = 0; k < count; ++k)
        out += (k ? "," : "") + trip(k);
    return out + "]";
}

// A trip of stops at the stations named by station(i), a minute apart from 05:00.
template <class Station>
std::string tripJson(const std::string& number, int stops, const Station& station)
{
    std::string out = R"({"odpt:trainNumber":")" + number + R"(","odpt:trainTimetableObject":[)";
    for (int i = 0; i < stops; ++i) {
        char time[16];  // "HH:MM" for any stop count
        std::snprintf(time, sizeof time, "%02d:%02d", 5 + i / 60, i % 60);
        out += std::string(i ? "," : "") + R"({"odpt:departureTime":")" + time +
               R"(","odpt:departureStation":")" + station(i) + "\"}";
    }
    return out + "]}";
}

TEST(Timetable, HostileAnswersStayWithinTheTablesBounds)
{
    const auto numbered = [](const char* prefix, int k, std::size_t width) {
        std::string name = prefix + std::to_string(k);
        return name + std::string(width - name.size(), 'x');
    };

    // a thousand trips of a hundred stops, each stop at a station of its own
    Timetable distinct;
    TimetableLoad r = loadTimetableV4(distinct, answerOf(1000, [&](int t) {
                                          return tripJson("A" + std::to_string(t), 100, [&](int i) {
                                              return numbered("S", t * 100 + i, 12);
                                          });
                                      }));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.trips + r.dropped, 1000u);
    EXPECT_GT(r.dropped, 970u);
    EXPECT_LE(distinct.names.size(), kTimetableNamesCap);
    EXPECT_LE(timetableBytes(distinct), kTimetableByteCap);
    std::vector<TrainRecord> records(r.trips + 1);
    EXPECT_EQ(appendEstimatedTrains(distinct, 5 * 3600 + 30, at, records.data(), 0,
                                    static_cast<int>(records.size())),
              static_cast<int>(r.trips))
        << "what was kept is whole";

    // a name of a megabyte, a trip of 100,001 stops and 5,000 trips: each
    // trip beyond a bound is left out, the others kept
    Timetable oversized;
    r = loadTimetableV4(
        oversized, "[" + tripJson("A1", 2, [](int i) { return "S" + std::to_string(i); }) + "," +
                       tripJson(std::string(1 << 20, 'N'), 2, [](int) { return "S"; }) + "," +
                       tripJson("A2", 2, [](int i) { return i ? std::string(1 << 20, 'S') : "S0"; }) + "," +
                       tripJson("A3", 100001, [](int) { return "S"; }) + "]");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.trips, 1u);
    EXPECT_EQ(r.dropped, 3u);
    for (const std::string& name : oversized.names)
        EXPECT_LE(name.size(), kTimetableNameCap);
    Timetable many;
    r = loadTimetableV4(many, answerOf(5000, [](int t) {
                            return tripJson("A" + std::to_string(t), 2,
                                            [](int i) { return "S" + std::to_string(i); });
                        }));
    EXPECT_EQ(r.trips, kTimetableTripsCap);
    EXPECT_EQ(r.dropped, 5000 - kTimetableTripsCap);

    // the largest table the bounds let through: every trip of the most stops,
    // every name of the longest, as many names as allowed
    Timetable largest;
    r = loadTimetableV4(
        largest, answerOf(static_cast<int>(kTimetableTripsCap), [&](int t) {
            return tripJson(numbered("A", t, kTimetableNameCap), static_cast<int>(kTimetableStopsPerTripCap),
                            [&](int i) { return numbered("S", (t * 7 + i) % 1040, kTimetableNameCap); });
        }));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.trips, kTimetableTripsCap);
    EXPECT_GT(largest.names.size(), kTimetableNamesCap - 10);
    EXPECT_EQ(largest.stops.size(), kTimetableTripsCap * kTimetableStopsPerTripCap);
    EXPECT_LE(timetableBytes(largest), kTimetableByteCap);
    EXPECT_GT(timetableBytes(largest), kTimetableByteCap / 2) << "the accounting counts what is there";
}

}  // namespace
