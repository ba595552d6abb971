// Reading a day's train timetables and placing the trains of one moment.
// The answers are the simulated feed's, in the API's shape: both calendars of
// every railway together (about 10,500 objects, 28 MB) stand in for one
// calendar of the real operator (about 9,800 objects, 14 MB), which has more
// trains that run shorter trips.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/goals.h"
#include "opendata/calendar.h"
#include "opendata/estimate.h"
#include "opendata/timetable.h"
#include "sim/model/network_model.h"
#include "sim/feed/responses_v4.h"
#include "sim/model/train_model.h"
#include "sim/feed/v4_object.h"

namespace {

// One answer per railway and calendar, as the client downloads them.
const std::vector<std::string>& answers()
{
    static const std::vector<std::string> all = [] {
        const SimNetwork net = buildSimNetwork();
        std::vector<std::string> out;
        for (bool holiday : {false, true})
            for (int r = 0; r < kSimRouteCount; ++r)
                out.push_back(v4Array(timetableObjectsV4(net, scheduledTrips(net, r), holiday)));
        return out;
    }();
    return all;
}

void BM_LoadDay(benchmark::State& state)
{
    std::size_t bytes = 0, trips = 0, held = 0;
    for (const std::string& a : answers())
        bytes += a.size();
    for (auto _ : state) {
        std::vector<Timetable> day(answers().size());
        trips = held = 0;
        for (std::size_t i = 0; i < answers().size(); ++i) {
            trips += loadTimetableV4(day[i], answers()[i]).trips;
            held += timetableBytes(day[i]);
        }
        benchmark::DoNotOptimize(day.data());
    }
    state.counters["trips"] = static_cast<double>(trips);
    state.counters["held_MB"] = static_cast<double>(held) / 1e6;  // the tables' own accounting
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_LoadDay)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Apply(repeated);

// One refresh's estimate at 08:15 on a weekday, all railways of the day.
void BM_EstimateRushHour(benchmark::State& state)
{
    std::vector<Timetable> day(kSimRouteCount);
    for (int r = 0; r < kSimRouteCount; ++r)
        loadTimetableV4(day[r], answers()[r]);
    std::int64_t t = 0;
    parseJapanTime("2026-12-08T08:15:00", 0, &t);
    const std::int32_t second = serviceTimeOf(t).second;
    const std::string date = japanIso(t);
    std::vector<TrainRecord> records(kTrainRecordCapacity);
    int count = 0;
    for (auto _ : state) {
        count = 0;
        for (const Timetable& table : day)
            count = appendEstimatedTrains(table, second, date, records.data(), count, kTrainRecordCapacity);
        benchmark::DoNotOptimize(count);
    }
    std::size_t trips = 0;
    for (const Timetable& table : day)
        trips += table.trips.size();
    state.counters["trains"] = count;
    state.counters["of"] = static_cast<double>(trips);
}
BENCHMARK(BM_EstimateRushHour)->Unit(benchmark::kMicrosecond)->Apply(repeated);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarksWithGoals(
        argc, argv,
        {{"one calendar's timetable answers loaded", "BM_LoadDay", nullptr, true, Bound::AtMost, 100}});
}
