// Raster operation throughput on the headless bitmap, each beside the same
// figure written straight into a plain uint32_t array (the memory limit).
#include "bench/goals.h"
#include "qwin/qwin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
std::vector<uint32_t> plain(qwin_width* qwin_height);

// Line ends of 100 pixels (dx = 99 > dy), shifted a little per iteration.
constexpr int line_x1 = 10, line_y1 = 10, line_x2 = 109, line_y2 = 40;

void plain_pset(int32_t x, int32_t y, int32_t colour)
{
    if (static_cast<uint32_t>(x) >= qwin_width || static_cast<uint32_t>(y) >= qwin_height)
        return;
    plain[y * qwin_width + x] = qwin_rgb(colour);
}

// The same walk as qwin_line for a mostly horizontal line, x1 < x2, y1 < y2.
void plain_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour)
{
    const int32_t dx = x2 - x1, dy = y2 - y1;
    int32_t y = y1, err = dx / 2;
    plain_pset(x1, y, colour);
    for (int32_t x = x1 + 1; x <= x2; ++x) {
        err -= dy;
        if (err < 0) {
            err += dx;
            ++y;
        }
        plain_pset(x, y, colour);
    }
}

void plain_fill(int left, int top, int right, int bottom, uint32_t rgb)
{
    for (int y = top; y < bottom; ++y)
        std::fill(&plain[y * qwin_width + left], &plain[y * qwin_width + right], rgb);
}

// Draws figure i for iteration i; the compiler barrier keeps the plain
// figures' stores from being optimised away.
template <typename Draw>
void figures(benchmark::State& state, Draw draw)
{
    int i = 0;
    for (auto _ : state) {
        draw(i++);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void pixel_at(int i, void (*pset)(int32_t, int32_t, int32_t))
{
    pset(i % qwin_width, (i / qwin_width) % qwin_height, i & 15);
}

void line_at(int i, void (*line)(int32_t, int32_t, int32_t, int32_t, int32_t))
{
    const int shift = i % 300;
    line(line_x1 + shift, line_y1, line_x2 + shift, line_y2, i & 15);
}

void qwin_pixels(benchmark::State& state)
{
    figures(state, [](int i) { pixel_at(i, qwin_pset); });
}

void plain_pixels(benchmark::State& state)
{
    figures(state, [](int i) { pixel_at(i, plain_pset); });
}

void qwin_lines(benchmark::State& state)
{
    figures(state, [](int i) { line_at(i, qwin_line); });
}

void plain_lines(benchmark::State& state)
{
    figures(state, [](int i) { line_at(i, plain_line); });
}

void qwin_boxes(benchmark::State& state)
{
    figures(state, [](int i) {
        const int16_t x = static_cast<int16_t>(i % 500), y = static_cast<int16_t>(i % 300);
        qwin_boxf(x, y, static_cast<int16_t>(x + 50), static_cast<int16_t>(y + 50),
                  static_cast<int16_t>(i & 15));
    });
}

void plain_boxes(benchmark::State& state)
{
    figures(state, [](int i) {
        const int x = i % 500, y = i % 300;
        plain_fill(x, y, x + 50, y + 50, qwin_rgb(i & 15));
    });
}

void qwin_clears(benchmark::State& state)
{
    figures(state, [](int) { qwin_cls(); });
    state.SetBytesProcessed(state.iterations() * qwin_width * qwin_height * 4);
}

void plain_clears(benchmark::State& state)
{
    figures(state, [](int) { plain_fill(0, 0, qwin_width, qwin_height, 0); });
    state.SetBytesProcessed(state.iterations() * qwin_width * qwin_height * 4);
}
}  // namespace

BENCHMARK(qwin_pixels)->Apply(repeated);
BENCHMARK(plain_pixels)->Apply(repeated);
BENCHMARK(qwin_lines)->Apply(repeated);
BENCHMARK(plain_lines)->Apply(repeated);
BENCHMARK(qwin_boxes)->Apply(repeated);
BENCHMARK(plain_boxes)->Apply(repeated);
BENCHMARK(qwin_clears)->Apply(repeated);
BENCHMARK(plain_clears)->Apply(repeated);

int main(int argc, char** argv)
{
    // The bitmap alone: no window to present to.
    configureWindow(WindowSettings{true});
    qwin_open();
    return runBenchmarksWithGoals(
        argc, argv,
        {{"one qwin pixel over a plain write", "qwin_pixels", "plain_pixels", true, Bound::AtMost, 3},
         {"one qwin line over a plain one", "qwin_lines", "plain_lines", true},
         {"one qwin box over a plain fill", "qwin_boxes", "plain_boxes", true},
         {"one qwin clear over a plain fill", "qwin_clears", "plain_clears", true}});
}
