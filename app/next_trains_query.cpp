#include "app/next_trains_query.h"

#include "app/cycle_env.h"
#include "app/typed_ahead.h"
#include "app/disrupted_estimate.h"
#include "app/monitor_state.h"
#include "app/next_trains.h"
#include "app/next_trains_report.h"
#include "app/station_prompt.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "platform/console.h"

namespace {

std::string nextDayCalendar(std::int64_t now)
{
    const ServiceTime when = serviceTimeOf(now);
    return calendarId(calendarOf(dateOfDay(dayNumber(when.date) + 1)));
}

// True when day holds tables of now's service day; otherwise says so.
bool timetablesReady(const TimetableDay& day, std::int64_t now)
{
    if (day.day == isoDate(serviceTimeOf(now).date) && loadedTables(day) > 0)
        return true;
    console_print(
        "本日の時刻表をまだ取得していないため、次の発車を調べられません。次回の更新で取得します。\n");
    return false;
}

// Asks until a station number comes; -1 when input ended twice in a row.
int askStation()
{
    PromptInput in{};
    int ends = 0;
    for (;;) {
        console_print("次の発車を調べます。駅の番号を入力してください。(0 - %d)\n", kStationTableSize - 1);
        int station = -1;
        const PromptRead r = readPromptNumber(in, station);
        in.have = false;
        const PromptNext next = promptNext(r, ends);
        if (next == PromptNext::Leave)
            return -1;
        if (next == PromptNext::Go && station >= 0 && station < kStationTableSize)
            return station;
        if (r != PromptRead::End)
            console_print("駅の番号は 0 から %d までの数で入力してください。\n", kStationTableSize - 1);
    }
}

}  // namespace

void sayTimetablesOnlyInV4()
{
    console_print(
        "次の発車は時刻表から調べます。時刻表は API 第4版にしかないため、この接続先では使えません。\n");
}

bool answerNeedsOtherCalendar(const TimetableDay& day, int station, std::int64_t now)
{
    if (nextDayCalendar(now) == day.calendar)
        return false;
    LineCondition conditions[kTimetableRailwayCount];
    readLineConditions(conditions);
    for (const DirectionDepartures& d :
         nextDepartures(day, nullptr, conditions, station, serviceTimeOf(now).second))
        if (d.departsToday && d.upcoming.empty())
            return true;
    return false;
}

void answerNextTrains(const TimetableDay& day, const TimetableDay* otherCalendar, int station,
                      std::int64_t now)
{
    if (!timetablesReady(day, now))
        return;
    const ServiceTime when = serviceTimeOf(now);
    const TimetableDay* following = nextDayCalendar(now) == day.calendar ? &day : otherCalendar;
    LineCondition conditions[kTimetableRailwayCount];
    readLineConditions(conditions);
    printNextTrains(station, now, day.calendar,
                    nextDepartures(day, following, conditions, station, when.second), conditions);
}

void nextTrainsQuery(MonitorState& st, const CycleEnv& env)
{
    if (!env.timetables) {
        sayTimetablesOnlyInV4();
        return;
    }
    if (!timetablesReady(st.timetables, env.now()))
        return;  // nothing is downloaded for the key
    listStations();
    const int station = askStation();
    if (station < 0)
        return;
    answerNextTrains(st.timetables, nullptr, station, env.now());
    console_print("hit anykey!\n");
    readKey(st);
}
