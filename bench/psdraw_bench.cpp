// One A4 picture of 100,000 coloured lines and 10,000 text labels written as
// PostScript by psdraw, by cairo's PostScript surface and by GNU libplot.
// Reports lines per second of wall-clock time (items_per_second), since
// writing the file is part of the work, and the page file's size.
#include <benchmark/benchmark.h>
#include <cairo-ps.h>
#include <cairo.h>
#include <plot.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <psdraw.h>

#include "bench/goals.h"

namespace {

constexpr int kLines = 100000;
constexpr int kLabels = 10000;
constexpr int kPageWidth = 595;
constexpr int kPageHeight = 842;

// A line of the picture in user coordinates (y downwards) and its colour.
struct Segment {
    short x1, y1, x2, y2, colour;
};

// Deterministic spread of segments over the page.
Segment segment(int i)
{
    const unsigned h = static_cast<unsigned>(i) * 2654435761u;
    return {static_cast<short>(h % 500 + 40), static_cast<short>((h >> 9) % 700 + 60),
            static_cast<short>((h >> 3) % 500 + 40), static_cast<short>((h >> 13) % 700 + 60),
            static_cast<short>(i % 16)};
}

// Label text and position for label i.
struct Label {
    char text[24];
    short x, y;
};

Label label(int i)
{
    Label l;
    std::snprintf(l.text, sizeof l.text, "label %d", i);
    l.x = static_cast<short>(40 + (i * 37) % 480);
    l.y = static_cast<short>(60 + (i * 53) % 700);
    return l;
}

// The palette of psdraw's colour indices, for the other two writers.
const double kRgb[16][3] = {
    {0, 0, 0},     {0, 0, 1},     {0, 1, 0},       {1, 0, 0},       {1, 0, 1},   {1, 1, 0},
    {0, 1, 1},     {1, 1, 1},     {0.2, 0.2, 0.2}, {0, 0, 0.5},     {0, 0.5, 0}, {0.5, 0, 0},
    {0.5, 0, 0.5}, {0.5, 0.5, 0}, {0, 0.5, 0.5},   {0.5, 0.5, 0.5},
};

std::string pagePath(const char* writer)
{
    return (std::filesystem::temp_directory_path() /
            ("psdraw_bench_" + std::to_string(getpid()) + "_" + writer + ".ps"))
        .string();
}

void report(benchmark::State& state, const std::string& path)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kLines);
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}

// Standard output goes to /dev/null while it lives: psdraw echoes each page
// name there, which would break up the report.
class QuietStdout {
public:
    QuietStdout() : saved(dup(1))
    {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }

private:
    int saved;
};

void BM_psdraw(benchmark::State& state)
{
    std::string path = pagePath("psdraw");
    QuietStdout quiet;
    for (auto _ : state) {
        psdraw page;
        page.gopen(reinterpret_cast<unsigned char*>(path.data()));
        for (int i = 0; i < kLines; ++i) {
            const Segment s = segment(i);
            page.line(s.x1, s.y1, s.x2, s.y2, s.colour);
        }
        for (int i = 0; i < kLabels; ++i) {
            Label l = label(i);
            page.print(l.text, l.x, l.y, 0);
        }
    }
    report(state, path);
}

void BM_cairo(benchmark::State& state)
{
    const std::string path = pagePath("cairo");
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_ps_surface_create(path.c_str(), kPageWidth, kPageHeight);
        cairo_t* cr = cairo_create(surface);
        cairo_select_font_face(cr, "Times", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 12);
        for (int i = 0; i < kLines; ++i) {
            const Segment s = segment(i);
            cairo_set_source_rgb(cr, kRgb[s.colour][0], kRgb[s.colour][1], kRgb[s.colour][2]);
            cairo_move_to(cr, s.x1, s.y1);
            cairo_line_to(cr, s.x2, s.y2);
            cairo_stroke(cr);
        }
        cairo_set_source_rgb(cr, 0, 0, 0);
        for (int i = 0; i < kLabels; ++i) {
            const Label l = label(i);
            cairo_move_to(cr, l.x, l.y + 12);
            cairo_show_text(cr, l.text);
        }
        cairo_show_page(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    report(state, path);
}

void BM_libplot(benchmark::State& state)
{
    const std::string path = pagePath("libplot");
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "w");
        plPlotterParams* params = pl_newplparams();
        pl_setplparam(params, "PAGESIZE", const_cast<char*>("a4"));
        plPlotter* plotter = pl_newpl_r("ps", nullptr, out, stderr, params);
        pl_openpl_r(plotter);
        pl_fspace_r(plotter, 0, kPageHeight, kPageWidth, 0);
        pl_fontname_r(plotter, "Times-Roman");
        pl_ffontsize_r(plotter, 12);
        for (int i = 0; i < kLines; ++i) {
            const Segment s = segment(i);
            pl_pencolor_r(plotter, static_cast<int>(kRgb[s.colour][0] * 65535),
                          static_cast<int>(kRgb[s.colour][1] * 65535),
                          static_cast<int>(kRgb[s.colour][2] * 65535));
            pl_fline_r(plotter, s.x1, s.y1, s.x2, s.y2);
            pl_endpath_r(plotter);
        }
        pl_pencolor_r(plotter, 0, 0, 0);
        for (int i = 0; i < kLabels; ++i) {
            const Label l = label(i);
            pl_fmove_r(plotter, l.x, l.y + 12);
            pl_alabel_r(plotter, 'l', 'x', l.text);
        }
        pl_closepl_r(plotter);
        pl_deletepl_r(plotter);
        pl_deleteplparams(params);
        std::fclose(out);
    }
    report(state, path);
}

// cairo and libplot take a good part of a second a page: at least two pages
// a repetition.
BENCHMARK(BM_psdraw)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5)->Apply(repeated);
BENCHMARK(BM_cairo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.5)->Apply(repeated);
BENCHMARK(BM_libplot)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0)->Apply(repeated);

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarksWithGoals(
        argc, argv,
        {{"psdraw's lines per second over cairo's", "BM_cairo", "BM_psdraw", false, Bound::AtLeast, 8},
         {"over libplot's", "BM_libplot", "BM_psdraw", false}});
}
