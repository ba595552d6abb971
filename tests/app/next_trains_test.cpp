// The next trains at a station from hand-made timetables: a transfer station's
// lines and directions, a terminus, a through service, the last train and
// the next day, a delay, a suspended section or line, midnight and 03:00, and
// the t key's dialogue with its bad input.
#include "app/cycle.h"
#include "app/next_trains.h"
#include "app/next_trains_once.h"
#include "app/next_trains_query.h"
#include "app/timetable_lines.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "platform/console.h"
#include "tests/japan_time.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kMarunouchi = 1, kTozai = 3, kChiyoda = 4, kHanzomon = 6;

struct Call {
    const char* station;  // the station part of the railway's identifier
    const char* time;     // "HH:MM"
};

std::string stationId(const std::string& line, const std::string& station)
{
    return "odpt.Station:TokyoMetro." + line + "." + station;
}

// Adds a local train of `line` ("Tozai") toward `direction` that calls at
// calls in order; its destination is its last call unless given.
void run(Timetable& t, const std::string& line, const char* number, const std::string& direction,
         std::initializer_list<Call> calls, const std::string& destination = "")
{
    std::vector<std::string> ids;
    for (const Call& c : calls)
        ids.push_back(stationId(line, c.station));
    TimetableTrip names{};
    names.number = timetableName(t, number);
    names.type = timetableName(t, "odpt.TrainType:TokyoMetro.Local");
    names.railway = timetableName(t, "odpt.Railway:TokyoMetro." + line);
    names.direction = timetableName(t, "odpt.RailDirection:TokyoMetro." + direction);
    names.origin = timetableName(t, ids.front());
    names.destination = timetableName(t, destination.empty() ? ids.back() : destination);
    std::vector<PublishedStop> stops;
    std::size_t k = 0;
    for (const Call& c : calls) {
        const bool last = k + 1 == calls.size();
        stops.push_back({last ? timetableSeconds(c.time) : -1, last ? -1 : timetableSeconds(c.time), ids[k]});
        ++k;
    }
    ASSERT_TRUE(addTrip(t, names, stops)) << number;
}

TimetableDay weekday(const char* date = "2026-12-09")
{
    TimetableDay day;
    day.day = date;
    day.calendar = calendarId(ServiceCalendar::Weekday);
    return day;
}

void load(TimetableDay& day, int table)
{
    day.loaded[table] = true;
}

int stationNamed(const char* title)
{
    const int i = findStationTitle(title);
    EXPECT_LT(i, kStationTableSize) << title;
    return i;
}

std::int32_t at(const char* time)
{
    return timetableSeconds(time);
}

std::vector<std::string> numbers(const std::vector<NextDeparture>& list)
{
    std::vector<std::string> out;
    for (const NextDeparture& d : list)
        out.push_back(d.table->names[d.trip->number]);
    return out;
}

const DirectionDepartures* find(const std::vector<DirectionDepartures>& answer, int table,
                                const char* direction)
{
    for (const DirectionDepartures& d : answer)
        if (d.table == table && d.direction == std::string("odpt.RailDirection:TokyoMetro.") + direction)
            return &d;
    return nullptr;
}

class NextTrains : public ::testing::Test {
protected:
    void SetUp() override { sortStations(); }
    LineCondition plain[kTimetableRailwayCount] = {};
};

TEST_F(NextTrains, TransferStationListsEveryLineAndDirectionSoonestFirst)
{
    TimetableDay day = weekday();
    Timetable& tozai = day.tables[kTozai];
    // Seven trains toward 西船橋, given out of order; one left before 08:00.
    const char* times[] = {"08:09", "07:58", "08:01", "08:12", "08:04", "08:15", "08:18"};
    for (int i = 0; i < 7; ++i)
        run(tozai, "Tozai", ("T0" + std::to_string(i)).c_str(), "NishiFunabashi",
            {{"Takebashi", "07:50"}, {"Otemachi", times[i]}, {"Nihombashi", "08:30"}});
    run(tozai, "Tozai", "T10", "Nakano",
        {{"Nihombashi", "08:00"}, {"Otemachi", "08:02"}, {"Takebashi", "08:04"}});
    load(day, kTozai);
    run(day.tables[kMarunouchi], "Marunouchi", "M01", "Ogikubo",
        {{"Awajicho", "08:00"}, {"Otemachi", "08:03"}, {"Tokyo", "08:05"}});
    load(day, kMarunouchi);
    run(day.tables[kHanzomon], "Hanzomon", "Z01", "Oshiage",
        {{"Jimbocho", "08:00"}, {"Otemachi", "08:02"}, {"Mitsukoshimae", "08:04"}});
    load(day, kHanzomon);
    // 千代田線 has trains, but its table is not loaded: it is left out.
    run(day.tables[kChiyoda], "Chiyoda", "C01", "Ayase", {{"Nijubashimae", "08:00"}, {"Otemachi", "08:01"}});

    const std::vector<DirectionDepartures> answer =
        nextDepartures(day, &day, plain, stationNamed("大手町"), at("08:00"));
    ASSERT_EQ(answer.size(), 4u);
    EXPECT_EQ(answer[0].table, kMarunouchi);
    EXPECT_EQ(answer[1].table, kTozai);
    EXPECT_EQ(answer[3].table, kHanzomon);
    const DirectionDepartures* east = find(answer, kTozai, "NishiFunabashi");
    ASSERT_TRUE(east);
    EXPECT_EQ(east->station, "odpt.Station:TokyoMetro.Tozai.Otemachi");
    EXPECT_EQ(numbers(east->upcoming), (std::vector<std::string>{"T02", "T04", "T00", "T03", "T05"}));
    EXPECT_EQ(east->upcoming.front().scheduled, at("08:01"));
    for (const NextDeparture& d : east->upcoming)
        EXPECT_FALSE(d.lastOfDay || d.notRunning || d.uncertain) << d.table->names[d.trip->number];
    ASSERT_TRUE(find(answer, kTozai, "Nakano"));
    EXPECT_EQ(numbers(find(answer, kTozai, "Nakano")->upcoming), std::vector<std::string>{"T10"});
    EXPECT_TRUE(find(answer, kTozai, "Nakano")->upcoming[0].lastOfDay);

    // Fewer asked for; a train leaving at the very moment still counts.
    const auto two = nextDepartures(day, &day, plain, stationNamed("大手町"), at("08:04"), 2);
    EXPECT_EQ(numbers(find(two, kTozai, "NishiFunabashi")->upcoming),
              (std::vector<std::string>{"T04", "T00"}));
}

TEST_F(NextTrains, TerminusHasNoDepartureTowardItselfAndThroughTrainsLeaveTheLastStop)
{
    TimetableDay day = weekday();
    Timetable& m = day.tables[kMarunouchi];
    run(m, "Marunouchi", "M10", "Ogikubo", {{"MinamiAsagaya", "09:58"}, {"Ogikubo", "10:00"}});
    run(m, "Marunouchi", "M11", "Ikebukuro", {{"Ogikubo", "10:05"}, {"MinamiAsagaya", "10:07"}});
    load(day, kMarunouchi);
    const auto answer = nextDepartures(day, &day, plain, stationNamed("荻窪"), at("09:00"));
    ASSERT_EQ(answer.size(), 2u);
    EXPECT_FALSE(find(answer, kMarunouchi, "Ogikubo")->departsToday);
    EXPECT_TRUE(find(answer, kMarunouchi, "Ogikubo")->upcoming.empty());
    EXPECT_EQ(numbers(find(answer, kMarunouchi, "Ikebukuro")->upcoming), std::vector<std::string>{"M11"});

    // 半蔵門線's last published stop is 押上, but the train runs on to another
    // operator's line: it leaves 押上, at its arrival there.
    TimetableDay z = weekday();
    run(z.tables[kHanzomon], "Hanzomon", "Z20", "Oshiage", {{"Kinshicho", "10:00"}, {"Oshiage", "10:03"}},
        "odpt.Station:Tobu.Isesaki.KitaKasukabe");
    run(z.tables[kHanzomon], "Hanzomon", "Z21", "Oshiage", {{"Kinshicho", "10:10"}, {"Oshiage", "10:13"}});
    load(z, kHanzomon);
    const auto through = nextDepartures(z, &z, plain, stationNamed("押上〈スカイツリー前〉"), at("09:00"));
    ASSERT_EQ(through.size(), 1u);
    EXPECT_EQ(numbers(through[0].upcoming), std::vector<std::string>{"Z20"});
    EXPECT_EQ(through[0].upcoming[0].scheduled, at("10:03"));
}

TEST_F(NextTrains, AfterTheLastTrainComesTheNextDaysFirstOrWhyNot)
{
    TimetableDay day = weekday();
    Timetable& t = day.tables[kTozai];
    run(t, "Tozai", "T01", "NishiFunabashi", {{"Otemachi", "05:30"}, {"Nihombashi", "05:32"}});
    run(t, "Tozai", "T02", "NishiFunabashi", {{"Otemachi", "05:10"}, {"Nihombashi", "05:12"}});
    // After midnight: timetable times past 24:00.
    run(t, "Tozai", "T03", "NishiFunabashi", {{"Otemachi", "00:15"}, {"Nihombashi", "00:17"}});
    load(day, kTozai);
    const int otemachi = stationNamed("大手町");

    const auto late = nextDepartures(day, &day, plain, otemachi, at("00:10"));
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(numbers(late[0].upcoming), std::vector<std::string>{"T03"});
    EXPECT_TRUE(late[0].upcoming[0].lastOfDay);

    const auto ended = nextDepartures(day, &day, plain, otemachi, at("00:20"));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_TRUE(ended[0].upcoming.empty());
    EXPECT_TRUE(ended[0].departsToday);
    EXPECT_TRUE(ended[0].nextDayKnown);
    EXPECT_EQ(numbers(ended[0].nextDay), (std::vector<std::string>{"T02", "T01", "T03"}));

    const auto unknown = nextDepartures(day, nullptr, plain, otemachi, at("00:20"));
    EXPECT_FALSE(unknown[0].nextDayKnown);
    EXPECT_TRUE(unknown[0].nextDay.empty());
}

TEST_F(NextTrains, NoticesMoveMarkOrStopTheDepartures)
{
    TimetableDay day = weekday();
    Timetable& t = day.tables[kTozai];
    run(t, "Tozai", "E1", "NishiFunabashi",
        {{"Takebashi", "07:53"}, {"Otemachi", "07:55"}, {"Nihombashi", "07:57"}});
    run(t, "Tozai", "E2", "NishiFunabashi",
        {{"Takebashi", "08:03"}, {"Otemachi", "08:05"}, {"Nihombashi", "08:07"}});
    run(t, "Tozai", "W1", "Nakano", {{"Nihombashi", "08:00"}, {"Otemachi", "08:02"}, {"Takebashi", "08:04"}});
    load(day, kTozai);
    const int otemachi = stationNamed("大手町");
    LineCondition c[kTimetableRailwayCount] = {};

    // Ten minutes late: the 07:55 is still to come, at 08:05, uncertain.
    c[kTozai] = {LineService::Delayed, 10, -1, -1};
    auto answer = nextDepartures(day, &day, c, otemachi, at("08:00"));
    const DirectionDepartures* east = find(answer, kTozai, "NishiFunabashi");
    ASSERT_TRUE(east);
    ASSERT_EQ(numbers(east->upcoming), (std::vector<std::string>{"E1", "E2"}));
    EXPECT_EQ(east->upcoming[0].scheduled, at("07:55"));
    EXPECT_EQ(east->upcoming[0].expected, at("08:05"));
    EXPECT_TRUE(east->upcoming[0].uncertain);

    // 大手町～東陽町 suspended: eastward trains run into it, westward ones run on.
    const int line = lineOfTable(kTozai);
    c[kTozai] = {LineService::SectionSuspended, 0, lineSlotOf(line, stationId("Tozai", "Otemachi")),
                 lineSlotOf(line, stationId("Tozai", "Toyocho"))};
    answer = nextDepartures(day, &day, c, otemachi, at("08:00"));
    east = find(answer, kTozai, "NishiFunabashi");
    ASSERT_EQ(numbers(east->upcoming), std::vector<std::string>{"E2"});
    EXPECT_TRUE(east->upcoming[0].notRunning);
    const DirectionDepartures* west = find(answer, kTozai, "Nakano");
    ASSERT_EQ(numbers(west->upcoming), std::vector<std::string>{"W1"});
    EXPECT_FALSE(west->upcoming[0].notRunning);
    EXPECT_TRUE(west->upcoming[0].uncertain);

    // The whole line stands still: listed at their times, none running.
    c[kTozai] = {LineService::Suspended, 0, -1, -1};
    for (const DirectionDepartures& d : nextDepartures(day, &day, c, otemachi, at("08:00")))
        for (const NextDeparture& n : d.upcoming)
            EXPECT_TRUE(n.notRunning && !n.uncertain && n.expected == n.scheduled);

    // A notice nobody could read: as scheduled.
    c[kTozai] = {LineService::Unknown, 0, -1, -1};
    answer = nextDepartures(day, &day, c, otemachi, at("08:00"));
    EXPECT_FALSE(find(answer, kTozai, "NishiFunabashi")->upcoming[0].uncertain);
}

// The console answer of the query: what is shown and what is said instead.
class NextTrainsAnswer : public NextTrains {
protected:
    void SetUp() override
    {
        NextTrains::SetUp();
        console_capture(&out);
        for (TrainInfoRecord& r : infoRecords)
            r = TrainInfoRecord{};
    }
    void TearDown() override
    {
        console_capture(nullptr);
        console_script(nullptr);
    }
    std::string out;
};

TEST_F(NextTrainsAnswer, LinesTellTimeMinutesTypeDestinationDelayAndLastTrain)
{
    TimetableDay day = weekday();
    Timetable& t = day.tables[kTozai];
    run(t, "Tozai", "E1", "NishiFunabashi", {{"Otemachi", "07:55"}, {"Nihombashi", "07:57"}});
    run(t, "Tozai", "W1", "Nakano", {{"Otemachi", "08:02"}, {"Takebashi", "08:04"}},
        "odpt.Station:JR-East.ChuoChikatetsuTozai.Mitaka");
    load(day, kTozai);
    infoRecords[0].railway = "odpt.Railway:TokyoMetro.Tozai";
    infoRecords[0].informationStatus = "遅延";
    infoRecords[0].informationText = "東西線は、車両点検の影響で、上下線に１０分程度の遅れが出ています。";
    answerNextTrains(day, nullptr, stationNamed("大手町"), japanTime("2026-12-09T08:00"));
    EXPECT_NE(out.find("大手町 の発車予定 2026-12-09 08:00（平日ダイヤ）\n"), std::string::npos) << out;
    EXPECT_NE(out.find("東西線 西船橋方面（遅れ10分"), std::string::npos) << out;
    EXPECT_NE(out.find("  07:55→08:05？ (5分後) 各停 日本橋行 最終\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  08:02→08:12？ (12分後) 各停 Mitaka行 最終\n"), std::string::npos) << out;
}

TEST_F(NextTrainsAnswer, DayBoundaryAndMissingTablesAreSaid)
{
    TimetableDay day = weekday("2027-01-04");  // a Monday after the New Year's days
    day.calendar = calendarId(ServiceCalendar::Weekday);
    run(day.tables[kTozai], "Tozai", "T1", "NishiFunabashi",
        {{"Otemachi", "00:15"}, {"Nihombashi", "00:17"}});
    run(day.tables[kTozai], "Tozai", "T2", "Nakano",
        {{"Nihombashi", "05:00"}, {"Otemachi", "05:02"}, {"Takebashi", "05:04"}});
    load(day, kTozai);
    const int otemachi = stationNamed("大手町");

    // 00:10 on the 5th is still the 4th's service day; the time shows as 00:15.
    answerNextTrains(day, nullptr, otemachi, japanTime("2027-01-05T00:10"));
    EXPECT_NE(out.find("2027-01-05 00:10"), std::string::npos) << out;
    EXPECT_NE(out.find("  00:15 (5分後) 各停 日本橋行 最終\n"), std::string::npos) << out;
    // The Nakano way ended hours ago; the next day is a weekday too.
    EXPECT_NE(out.find("  本日の運転は終了しました\n  翌日の始発:\n  05:02 (翌日 "), std::string::npos)
        << out;

    // 02:59 still the old day; 03:00 a new one whose tables are not in.
    out.clear();
    answerNextTrains(day, nullptr, otemachi, japanTime("2027-01-05T02:59"));
    EXPECT_NE(out.find("翌日の始発"), std::string::npos) << out;
    out.clear();
    answerNextTrains(day, nullptr, otemachi, japanTime("2027-01-05T03:00"));
    EXPECT_EQ(out,
              "本日の時刻表をまだ取得していないため、次の発車を調べられません。次回の更新で取得します。\n");

    // Friday night: Saturday runs another calendar, whose tables are not at hand.
    TimetableDay friday = weekday("2026-12-11");
    run(friday.tables[kTozai], "Tozai", "T1", "NishiFunabashi",
        {{"Otemachi", "05:15"}, {"Nihombashi", "05:17"}});
    load(friday, kTozai);
    EXPECT_TRUE(answerNeedsOtherCalendar(friday, otemachi, japanTime("2026-12-12T01:00")));
    EXPECT_FALSE(answerNeedsOtherCalendar(friday, otemachi, japanTime("2026-12-11T05:00")));
    out.clear();
    answerNextTrains(friday, nullptr, otemachi, japanTime("2026-12-12T01:00"));
    EXPECT_NE(out.find("翌日の時刻表がないため"), std::string::npos) << out;
}

TEST_F(NextTrainsAnswer, KeyAsksAgainOnBadInputAndSaysWhyWithoutTimetables)
{
    MonitorState st;
    CycleEnv env;
    env.now = [] { return static_cast<std::time_t>(japanTime("2026-12-09T08:00")); };
    // Version 2: no timetables, no question.
    std::string script = "5\n";
    console_script(&script);
    nextTrainsQuery(st, env);
    EXPECT_NE(out.find("API 第4版にしかない"), std::string::npos) << out;
    EXPECT_EQ(script, "5\n");

    // Version 4 before the day's tables came: one line, nothing downloaded.
    int downloads = 0;
    TimetableSource source{"http://127.0.0.1:1", "", [&](auto&&...) { return ++downloads, false; }};
    env.timetables = &source;
    out.clear();
    nextTrainsQuery(st, env);
    EXPECT_EQ(out,
              "本日の時刻表をまだ取得していないため、次の発車を調べられません。次回の更新で取得します。\n");
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(script, "5\n");

    st.timetables = weekday();
    run(st.timetables.tables[kTozai], "Tozai", "T1", "Nakano",
        {{"Otemachi", "08:05"}, {"Takebashi", "08:07"}});
    load(st.timetables, kTozai);
    const std::string otemachi = std::to_string(stationNamed("大手町"));
    script = "abc\n" + std::to_string(kStationTableSize) + "\n-1\n" + otemachi + "\nx";
    out.clear();
    nextTrainsQuery(st, env);
    const std::string bad = "駅の番号は 0 から 179 までの数で入力してください。\n";
    std::size_t said = 0;
    for (std::size_t p = out.find(bad); p != std::string::npos; p = out.find(bad, p + 1))
        ++said;
    EXPECT_EQ(said, 3u) << out;
    EXPECT_NE(out.find("  08:05 (5分後) 各停 竹橋行 最終\nhit anykey!\n"), std::string::npos) << out;
    EXPECT_EQ(script, "");  // the key after the answer was taken

    // Input that ends twice in a row leaves without an answer.
    script = "";
    out.clear();
    nextTrainsQuery(st, env);
    EXPECT_EQ(out.find("発車予定"), std::string::npos) << out;
}

TEST_F(NextTrains, StationArgumentByNumberNameOrCode)
{
    const int otemachi = stationNamed("大手町");
    EXPECT_EQ(stationOfArgument(std::to_string(otemachi).c_str()), otemachi);
    EXPECT_EQ(stationOfArgument("大手町"), otemachi);
    EXPECT_EQ(stationOfArgument("大手町駅"), otemachi);
    EXPECT_EQ(stationOfArgument(cp932ToUtf8("大手町").c_str()), otemachi);
    EXPECT_EQ(std::string(stations[stationOfArgument("t09")].title), "大手町");
    EXPECT_EQ(std::string(stations[stationOfArgument("M18")].sameAs),
              "odpt.Station:TokyoMetro.Marunouchi.Otemachi");
    for (const char* bad : {"", "180", "-1", "12x", "Otemachi", "駅", "T9", "T099"})
        EXPECT_EQ(stationOfArgument(bad), -1) << bad;
}

}  // namespace
