// Responses per second of the feed's Train query over loopback (10 s of
// back-to-back requests on a keep-alive connection), the process's peak
// memory, the model's cost per Train answer, the downloads and parses of one
// refresh against the feed, and a whole refresh of the monitor against it
// (downloads, parses, moving the marks, status; without the cycle's pauses).
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "app/config.h"
#include "app/cycle.h"
#include "app/monitor_state.h"
#include "app/options.h"
#include "app/startup.h"
#include "bench/bench_feed.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/console.h"
#include "sim/feed/feed.h"
#include "sim/model/network_model.h"
#include "sim/feed/responses.h"
#include "sim/model/train_model.h"

namespace {

// Peak resident memory of this process in KiB (VmHWM), 0 when unknown.
double peakKiB()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];  // the lines of /proc/self/status are short
    double kib = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kib = std::atof(line + 6);
    std::fclose(f);
    return kib;
}

// A Tuesday's rush hour on the feed's clock and the monitor's.
const std::int64_t pinnedTime = benchTime("2026-12-08T08:15:00");

// The feed for the whole run.
Feed* benchFeed()
{
    static Feed* const feed = startBenchFeed(pinnedTime);
    return feed;
}

// The client's settings for asking feed.
ApiSettings feedApi(const Feed* feed)
{
    ApiSettings api;
    api.root = feed_root(feed);
    api.consumerKey = kFeedDefaultKey;
    return api;
}

void BM_TrainQuery(benchmark::State& state)
{
    Feed* feed = benchFeed();
    if (!feed)
        return state.SkipWithError("no feed");
    httplib::Client client("127.0.0.1", feed_port(feed));
    client.set_keep_alive(true);
    const std::string path =
        std::string("/api/v2/datapoints?rdf:type=odpt:Train&acl:consumerKey=") + kFeedDefaultKey;
    size_t bytes = 0;
    for (auto _ : state) {
        auto res = client.Get(path);
        if (!res || res->status != 200)
            return state.SkipWithError("request failed");
        bytes += res->body.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["body_bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
    state.counters["peak_KiB"] = peakKiB();
}
BENCHMARK(BM_TrainQuery)->MinTime(10.0)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_TrainModelAnswer(benchmark::State& state)
{
    const SimNetwork net = buildSimNetwork();
    std::int64_t t = 1413242100;  // 2014-10-14T08:15:00+09:00, rush hour
    size_t trains = 0;
    for (auto _ : state) {
        std::vector<SimTrain> running = runningTrains(net, 1, t);
        trains = running.size();
        benchmark::DoNotOptimize(trainsBody(running, t));
        ++t;
    }
    state.counters["trains"] = static_cast<double>(trains);
}
BENCHMARK(BM_TrainModelAnswer)->Unit(benchmark::kMicrosecond);

void BM_RefreshDownloadsAndParses(benchmark::State& state)
{
    Feed* feed = benchFeed();
    if (!feed)
        return state.SkipWithError("no feed");
    configureFetch(feedApi(feed));
    for (auto _ : state) {
        fetchLive(nullptr);
        parseResponse(ResponseKind::Trains);
        parseResponse(ResponseKind::Status);
    }
    state.counters["trains"] = trainCount;
    if (trainCount == 0)
        state.SkipWithError("no trains arrived");
}
BENCHMARK(BM_RefreshDownloadsAndParses)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_MonitorRefreshAgainstFeed(benchmark::State& state)
{
    Feed* feed = benchFeed();
    if (!feed)
        return state.SkipWithError("no feed");
    Config config;
    config.api = feedApi(feed);
    config.window.headless = true;
    config.chime.silent = true;
    config.speech.silent = true;
    applyConfig(config);
    // no key is waiting, whatever standard input is (its end would read as a quit)
    std::string console, keys;
    console_capture(&console);
    console_script(&keys);
    sortStations();
    static MonitorState st;  // about 40 KB, kept off the stack
    st.iflag = kAllLines;
    GraphPort port;
    st.port = &port;
    Options options;
    options.iflag = kAllLines;
    startMonitor(st, options, "/nonexistent/linewatch.ini");
    CycleEnv env = realCycleEnv(nullptr, pinnedTime - std::time(nullptr));
    env.sleepMs = [](int) {};
    for (auto _ : state) {
        refreshOnce(st, env);
        console.clear();
    }
    state.counters["trains"] = trainCount;
    st.port = nullptr;
    console_script(nullptr);
    console_capture(nullptr);
}
BENCHMARK(BM_MonitorRefreshAgainstFeed)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
