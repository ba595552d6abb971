// CPU time and pixel writes of a refresh with 300 trains: parse the train and
// status responses, move every train, report the status. Also the redraw of
// the same 300 trains in mark and number mode.
#include "app/monitor_state.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/status.h"
#include "app/trains.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/console.h"
#include "platform/speech.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

long long pixelSets = 0;
long long pixelsFilled = 0;

}  // namespace

// The bitmap's writers, counted; raster operations reach them through these.
extern "C" void __real__Z11surface_setiij(int x, int y, uint32_t rgb);
extern "C" void __real__Z12surface_fill9PixelRectj(PixelRect area, uint32_t rgb);
extern "C" void __wrap__Z11surface_setiij(int x, int y, uint32_t rgb)
{
    ++pixelSets;
    __real__Z11surface_setiij(x, y, rgb);
}
extern "C" void __wrap__Z12surface_fill9PixelRectj(PixelRect area, uint32_t rgb)
{
    if (area.right > area.left && area.bottom > area.top)
        pixelsFilled += static_cast<long long>(area.right - area.left) * (area.bottom - area.top);
    __real__Z12surface_fill9PixelRectj(area, rgb);
}

namespace {

constexpr int benchTrains = 300;

// A live-shaped train response; `phase` moves every train one station on.
std::string trains_json(int phase)
{
    std::string s = "[";
    for (int i = 0; i < benchTrains; ++i) {
        const StationEntry& from = stations[(i * 7) % kStationTableSize];
        const StationEntry& to = stations[(i * 7 + 1 + phase) % kStationTableSize];
        char number[16];
        std::snprintf(number, sizeof number, "A%04dS", (i * 131) % 10000);
        s += std::string(i ? "," : "") +
             "{\"@context\":\"http://vocab.example/context_odpt_Train.jsonld\","
             "\"@type\":\"odpt:Train\",\"@id\":\"urn:ucode:_00001C000000000000010000030C3BE4\","
             "\"dc:date\":\"2014-10-14T10:15:02+09:00\",\"dct:valid\":\"2014-10-14T10:16:32+09:00\","
             "\"odpt:frequency\":90,\"odpt:railway\":\"" +
             std::string(from.railway) + "\",\"owl:sameAs\":\"odpt.Train:x\",\"odpt:trainNumber\":\"" +
             number + "\",\"odpt:trainType\":\"odpt.TrainType:TokyoMetro.Local\",\"odpt:delay\":" +
             std::to_string(i % 3 * 60) + ",\"odpt:startingStation\":\"" + from.sameAs +
             "\",\"odpt:terminalStation\":\"" + to.sameAs + "\",\"odpt:fromStation\":\"" + from.sameAs +
             "\",\"odpt:toStation\":\"" + to.sameAs +
             "\",\"odpt:railDirection\":\"odpt.RailDirection:TokyoMetro.Asakusa\","
             "\"odpt:trainOwner\":\"odpt.TrainOwner:TokyoMetro\"}";
    }
    return s + "]";
}

// Nine notices, one a disruption that is spoken (recorded only) every time.
std::string status_json()
{
    std::string s = "[";
    for (int k = 0; k < railwayCount; ++k)
        s += std::string(k ? "," : "") +
             "{\"@context\":\"c\",\"@id\":\"i\",\"dc:date\":\"2014-10-14T10:15:02+09:00\","
             "\"dct:valid\":\"v\",\"odpt:operator\":\"odpt.Operator:TokyoMetro\",\"odpt:railway\":\"" +
             railways[k].railwayId +
             "\",\"odpt:timeOfOrigin\":\"2014-10-14T09:58:00+09:00\","
             "\"odpt:trainInformationText\":\"" +
             (k == 3 ? "運転を見合わせています。" : "現在、平常どおり運転しています。") +
             "\",\"@type\":\"odpt:TrainInformation\"}";
    return s + "]";
}

struct Bench {
    GraphPort port;
    std::unique_ptr<MonitorState> st = std::make_unique<MonitorState>();
    std::string sink;

    Bench()
    {
        configureSpeech(SpeechSettings{true, ""});
        sortStations();
        port.gopen("RATIO");
        MapBounds b = widenBounds(mapBounds);
        st->north = b.north;
        st->south = b.south;
        st->east = b.east;
        st->west = b.west;
        st->iflag = 511;
        st->port = &port;
        updateScales(*st);
        console_capture(&sink);
    }
};

Bench& bench()
{
    static Bench b;
    return b;
}

void report_pixels(benchmark::State& state, long long sets, long long filled)
{
    state.counters["pixel_sets"] =
        benchmark::Counter(double(pixelSets - sets), benchmark::Counter::kAvgIterations);
    state.counters["pixels_filled"] =
        benchmark::Counter(double(pixelsFilled - filled), benchmark::Counter::kAvgIterations);
}

void BM_Refresh300Trains(benchmark::State& state)
{
    Bench& b = bench();
    b.st->plot_mode = static_cast<int32_t>(state.range(0));
    const std::string moves[2] = {trains_json(0), trains_json(1)};
    const std::string status = status_json();
    int turn = 0;
    long long sets = pixelSets, filled = pixelsFilled;
    for (auto _ : state) {
        responseText[ResponseKind::Trains] = moves[turn ^= 1];
        responseText[ResponseKind::Status] = status;
        parseResponse(ResponseKind::Trains);
        if (trainCount > 0)
            updateTrainDisplay(*b.st);
        parseResponse(ResponseKind::Status);
        reportStatus(*b.st, 1413249302);  // 2014-10-14T10:15:02+09:00, the notices' date
        b.sink.clear();
    }
    report_pixels(state, sets, filled);
    state.counters["trains"] = trainCount;
}
BENCHMARK(BM_Refresh300Trains)->Arg(3)->Arg(1)->ArgName("plot_mode")->Unit(benchmark::kMicrosecond);

void BM_Redraw300Trains(benchmark::State& state)
{
    Bench& b = bench();
    b.st->plot_mode = static_cast<int32_t>(state.range(0));
    responseText[ResponseKind::Trains] = trains_json(0);
    parseResponse(ResponseKind::Trains);
    long long sets = pixelSets, filled = pixelsFilled;
    for (auto _ : state) {
        redrawTrains(*b.st);
        b.sink.clear();
    }
    report_pixels(state, sets, filled);
}
BENCHMARK(BM_Redraw300Trains)->Arg(3)->Arg(1)->ArgName("plot_mode")->Unit(benchmark::kMicrosecond);

}  // namespace

// The off-screen picture only: a window on a desktop would add its repaints
// to the figures.
int main(int argc, char** argv)
{
    configureWindow(WindowSettings{true});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
