// The next trains at the busiest station of a weekday: from the station
// number to the printed answer (console captured), with every line in normal
// service and with 東西線 suspended in a section and 千代田線 delayed.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>

#include "app/next_trains.h"
#include "app/next_trains_report.h"
#include "app/timetable_lines.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "platform/charset.h"
#include "platform/console.h"
#include "sim/model/network_model.h"
#include "sim/feed/responses_v4.h"
#include "sim/model/train_model.h"
#include "sim/feed/v4_object.h"

namespace {

constexpr int kTozai = 3, kChiyoda = 4;

const TimetableDay& weekday()
{
    static const TimetableDay day = [] {
        TimetableDay d;
        d.day = "2026-12-09";
        d.calendar = calendarId(ServiceCalendar::Weekday);
        const SimNetwork net = buildSimNetwork();
        for (int route = 0; route < kSimRouteCount; ++route) {
            Timetable t;
            loadTimetableV4(t, v4Array(timetableObjectsV4(net, scheduledTrips(net, route), false)));
            const int r = t.trips.empty() ? -1 : tableOfRailway(t.names[t.trips[0].railway]);
            if (r >= 0) {
                d.tables[r] = std::move(t);
                d.loaded[r] = true;
            }
        }
        return d;
    }();
    return day;
}

// The station whose place sees the most departures in the day.
int findBusiestStation()
{
    std::map<std::string, int> departures;  // by title
    for (const Timetable& t : weekday().tables)
        for (const TimetableTrip& trip : t.trips)
            for (std::uint32_t k = 0; k + 1 < trip.stopCount; ++k)
                ++departures[stationTitleOf(t.names[t.stops[trip.firstStop + k].station])];
    std::string best;
    for (const auto& [title, n] : departures)
        if (best.empty() || n > departures[best])
            best = title;
    return findStationTitle(best.c_str());
}

int busiestStation()
{
    static const int station = findBusiestStation();
    return station;
}

void answer(benchmark::State& state, const LineCondition (&conditions)[kTimetableRailwayCount])
{
    sortStations();
    const int station = busiestStation();
    std::int64_t now = 0;
    parseJapanTime("2026-12-09T08:00:00", 0, &now);
    const std::int32_t second = serviceTimeOf(now).second;
    std::string out;
    console_capture(&out);
    for (auto _ : state) {
        out.clear();
        printNextTrains(station, now, weekday().calendar,
                        nextDepartures(weekday(), &weekday(), conditions, station, second), conditions);
        benchmark::DoNotOptimize(out.data());
    }
    console_capture(nullptr);
    state.SetLabel(cp932ToUtf8(stations[station].title));
    state.counters["bytes"] = static_cast<double>(out.size());
}

void BM_NextTrainsBusiestStation(benchmark::State& state)
{
    const LineCondition normal[kTimetableRailwayCount] = {};
    answer(state, normal);
}
BENCHMARK(BM_NextTrainsBusiestStation)->Unit(benchmark::kMillisecond);

void BM_NextTrainsBusiestStationDisrupted(benchmark::State& state)
{
    sortStations();
    LineCondition c[kTimetableRailwayCount] = {};
    const int tozai = lineOfTable(kTozai);
    c[kTozai] = {LineService::SectionSuspended, 0,
                 lineSlotOf(tozai, "odpt.Station:TokyoMetro.Tozai.Otemachi"),
                 lineSlotOf(tozai, "odpt.Station:TokyoMetro.Tozai.Toyocho")};
    c[kChiyoda] = {LineService::Delayed, 15, -1, -1};
    answer(state, c);
}
BENCHMARK(BM_NextTrainsBusiestStationDisrupted)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
