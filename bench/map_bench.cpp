// Wall time and pixel writes of drawing the network map: the redraw of the
// `r` key with station names off and on, and the start-up draw (port, frame,
// settings, map).
#include "app/map.h"
#include "app/monitor_state.h"
#include "app/options.h"
#include "app/startup.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

long long pixelWrites = 0;

long long area(PixelRect r)
{
    return (r.right > r.left && r.bottom > r.top)
               ? static_cast<long long>(r.right - r.left) * (r.bottom - r.top)
               : 0;
}

}  // namespace

// The bitmap's writers, counted; every raster operation reaches the bitmap through them.
extern "C" void __real__Z11surface_setiij(int x, int y, uint32_t rgb);
extern "C" void __real__Z12surface_fill9PixelRectj(PixelRect r, uint32_t rgb);
extern "C" void __real__Z15surface_outline9PixelRectjj(PixelRect r, uint32_t rgb, uint32_t inside);
extern "C" void __wrap__Z11surface_setiij(int x, int y, uint32_t rgb)
{
    ++pixelWrites;
    __real__Z11surface_setiij(x, y, rgb);
}
extern "C" void __wrap__Z12surface_fill9PixelRectj(PixelRect r, uint32_t rgb)
{
    pixelWrites += area(r);
    __real__Z12surface_fill9PixelRectj(r, rgb);
}
extern "C" void __wrap__Z15surface_outline9PixelRectjj(PixelRect r, uint32_t rgb, uint32_t inside)
{
    pixelWrites += area(r);
    __real__Z15surface_outline9PixelRectjj(r, rgb, inside);
}

namespace {

// A settings path that never exists, so every start-up takes the defaults.
constexpr const char* kNoSettings = "/nonexistent/linewatch.ini";

MonitorState& startedMonitor(GraphPort& port)
{
    static MonitorState st;
    st = MonitorState{};
    st.iflag = 511;
    st.port = &port;
    startMonitor(st, Options{}, kNoSettings);
    return st;
}

void redraw(benchmark::State& state, int names)
{
    GraphPort port;
    MonitorState& st = startedMonitor(port);
    kstr_flag = names;
    long long before = pixelWrites;
    long long mapOnly = 0;
    long long draws = 0;
    for (auto _ : state) {
        port.cls(0);
        drawFrame(st);
        long long mapStart = pixelWrites;
        drawMap(st);
        mapOnly += pixelWrites - mapStart;
        ++draws;
    }
    // All writes including the clear of the whole window, and those of the map alone.
    state.counters["pixel_writes"] = static_cast<double>(pixelWrites - before) / static_cast<double>(draws);
    state.counters["map_writes"] = static_cast<double>(mapOnly) / static_cast<double>(draws);
}

void BM_RedrawWithoutNames(benchmark::State& state)
{
    redraw(state, 0);
}

void BM_RedrawWithNames(benchmark::State& state)
{
    redraw(state, 1);
}

void BM_StartUpDraw(benchmark::State& state)
{
    kstr_flag = 0;
    long long before = pixelWrites;
    long long draws = 0;
    for (auto _ : state) {
        GraphPort port;
        startedMonitor(port);
        ++draws;
    }
    state.counters["pixel_writes"] = static_cast<double>(pixelWrites - before) / static_cast<double>(draws);
}

}  // namespace

BENCHMARK(BM_RedrawWithoutNames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawWithNames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUpDraw)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    configureWindow(WindowSettings{true});
    sortStations();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
