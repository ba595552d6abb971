// Milliseconds from the monitor's start (version 4, a Tuesday's rush hour on
// the feed's clock) to the first estimated trains on the map, against the
// feed on loopback: with an empty timetable cache, where the day's ten
// answers (about 14 MB) are downloaded, and with the day's cache files in
// place; and with an empty cache against a feed whose every answer takes
// 300 ms to start. Each iteration is a fresh start: new state, the map drawn,
// the first pass of the cycle. The time reported is that of the first drawing; the
// counter refresh_ended_ms is when that first refresh ended.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "app/config.h"
#include "app/cycle.h"
#include "app/monitor_state.h"
#include "app/options.h"
#include "app/startup.h"
#include "app/trains.h"
#include "bench/bench_feed.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/console.h"
#include "sim/feed/feed.h"

using Clock = std::chrono::steady_clock;

namespace {

Clock::time_point firstShown;  // the first drawing with trains since the last reset
bool shown = false;

}  // namespace

// The train display, timed at its first call with trains.
extern "C" void __real__Z18updateTrainDisplayR12MonitorState(MonitorState& st);
extern "C" void __wrap__Z18updateTrainDisplayR12MonitorState(MonitorState& st)
{
    if (!shown && trainCount > 0) {
        shown = true;
        firstShown = Clock::now();
    }
    __real__Z18updateTrainDisplayR12MonitorState(st);
}

namespace {

std::int64_t pinnedTime()
{
    static const std::int64_t t = benchTime("2026-12-08T08:00:00");  // a Tuesday's rush hour
    return t;
}

// The feed as the real API is (no positions): on loopback, and as a distant
// server whose answers each take 300 ms to start, as the real API's may.
constexpr int distantDelayMs = 300;
Feed* benchFeed(bool distant)
{
    static Feed* const near = startBenchFeed(pinnedTime());
    static Feed* const far = startBenchFeed(pinnedTime(), distantDelayMs);
    return distant ? far : near;
}

const std::string cacheDir = [] {
    char dir[] = "/tmp/linewatch-first-trains-XXXXXX";
    return std::string(mkdtemp(dir) ? dir : "/tmp/linewatch-first-trains");
}();

// Seconds from a start of the monitor to its first trains drawn and to the
// end of its first refresh; no first time when no train was drawn.
struct StartTimes {
    bool shown;
    double firstTrains, refreshEnded;
};

StartTimes startOnce(Feed* feed)
{
    Config config;
    config.api.root = feed_root(feed);
    config.api.version = ApiVersion::V4;
    config.api.consumerKey = kFeedDefaultKey;
    config.window.headless = true;
    config.chime.silent = true;
    config.speech.silent = true;
    // a fresh minute of requests each start, as a program started anew has
    applyConfig(config);
    static MonitorState st;  // about 40 KB, kept off the stack
    st = MonitorState{};
    st.iflag = kAllLines;
    GraphPort port;
    st.port = &port;
    Options options;
    options.iflag = kAllLines;
    shown = false;

    const Clock::time_point start = Clock::now();
    startMonitor(st, options, "/nonexistent/linewatch.ini");
    CycleEnv env = realCycleEnv(nullptr, pinnedTime() - std::time(nullptr));
    const TimetableSource source{feed_root(feed), cacheDir, fetchTimetables};
    env.timetables = &source;
    cyclePass(st, env);
    const Clock::time_point end = Clock::now();
    st.port = nullptr;
    using Seconds = std::chrono::duration<double>;
    return {shown, Seconds(firstShown - start).count(), Seconds(end - start).count()};
}

void run(benchmark::State& state, bool warm, bool distant = false)
{
    Feed* feed = benchFeed(distant);
    if (!feed)
        return state.SkipWithError("no feed");
    std::string console, keys;
    console_capture(&console);
    console_script(&keys);
    sortStations();
    double refreshes = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(cacheDir);
        if (warm)
            startOnce(feed);  // fills the cache
        const StartTimes times = startOnce(feed);
        console.clear();
        if (!times.shown) {
            state.SkipWithError("no trains were drawn");
            break;
        }
        state.SetIterationTime(times.firstTrains);
        refreshes += times.refreshEnded;
        state.counters["trains"] = trainCount;
    }
    state.counters["refresh_ended_ms"] =
        benchmark::Counter(refreshes * 1000, benchmark::Counter::kAvgIterations);
    console_script(nullptr);
    console_capture(nullptr);
}

void BM_FirstTrainsColdCache(benchmark::State& state)
{
    run(state, false);
}
BENCHMARK(BM_FirstTrainsColdCache)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FirstTrainsWarmCache(benchmark::State& state)
{
    run(state, true);
}
BENCHMARK(BM_FirstTrainsWarmCache)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FirstTrainsColdCacheDistantServer(benchmark::State& state)
{
    run(state, false, true);
}
BENCHMARK(BM_FirstTrainsColdCacheDistantServer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
