// The palette, the current colour and the raster operations. Every operation
// that owns a countdown looks for Escape on its 100th call.
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <cstdlib>

const PaletteEntry palette[16] = {
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},   {255, 0, 0},     {255, 0, 255},
    {255, 255, 0},   {255, 255, 255}, {125, 125, 255}, {125, 255, 125}, {125, 255, 255}, {255, 125, 125},
    {255, 125, 255}, {255, 255, 125}, {100, 100, 255}, {125, 125, 125},
};

namespace {
constexpr int32_t kCheckpointInterval = 100;
constexpr int kWhite = 7;

int32_t current_colour = 0;
int32_t cls_countdown = kCheckpointInterval;
int32_t boxf_countdown = kCheckpointInterval;
int32_t rect_countdown = kCheckpointInterval;
int32_t pset_countdown = kCheckpointInterval;

void checkpoint(int32_t& countdown)
{
    if (--countdown > 0)
        return;
    qwin_poll_escape();
    countdown = kCheckpointInterval;
}

// Corners in either order to a half-open rectangle.
PixelRect ordered(int x1, int y1, int x2, int y2)
{
    return {x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
}

// Walks a line along its major axis a (x when x_major, else y) from the end
// with the smaller a, stepping the minor axis b by the error term.
void walkLine(int64_t a1, int64_t b1, int64_t a2, int64_t b2, int32_t colour, bool x_major)
{
    const int64_t da = std::llabs(a2 - a1);
    const int64_t db = std::llabs(b2 - b1);
    int64_t a, b, end, step;
    if (a1 > a2) {
        a = a2;
        b = b2;
        end = a1;
        step = b1 > b2 ? 1 : -1;
    } else {
        a = a1;
        b = b1;
        end = a2;
        step = b1 < b2 ? 1 : -1;
    }
    auto plot = [&] {
        if (x_major)
            qwin_pset(static_cast<int32_t>(a), static_cast<int32_t>(b), colour);
        else
            qwin_pset(static_cast<int32_t>(b), static_cast<int32_t>(a), colour);
    };
    plot();
    int64_t err = da / 2;
    while (a < end) {
        ++a;
        err -= db;
        if (err < 0) {
            err += da;
            b += step;
        }
        plot();
    }
}
}  // namespace

uint32_t qwin_rgb(int32_t colour)
{
    const PaletteEntry& p = palette[colour & 15];
    return (uint32_t{p.red} << 16) | (uint32_t{p.green} << 8) | p.blue;
}

uint32_t qwin_pixel(int x, int y)
{
    if (x < 0 || x >= qwin_width || y < 0 || y >= qwin_height)
        return 0;
    std::lock_guard<std::mutex> lock(surface_mutex);
    const uint32_t* pixels = surface_pixels();
    return pixels == nullptr ? 0 : pixels[y * qwin_width + x];
}

void qwin_cls()
{
    checkpoint(cls_countdown);
    surface_fill({0, 0, qwin_width, qwin_height}, qwin_rgb(0));
}

void qwin_boxf(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour)
{
    checkpoint(boxf_countdown);
    const PixelRect area = ordered(x1, y1, x2, y2);
    // The width test looks at x2 as passed, not at the larger x.
    if (x2 >= qwin_width || area.bottom >= qwin_height || area.bottom < 0)
        return;
    surface_fill(area, qwin_rgb(colour));
}

void qwin_rect(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour)
{
    checkpoint(rect_countdown);
    if (x2 >= qwin_width || y2 >= qwin_height)
        return;
    surface_outline(ordered(x1, y1, x2, y2), qwin_rgb(colour), qwin_rgb(kWhite));
}

void qwin_pset(int32_t x, int32_t y, int32_t colour)
{
    checkpoint(pset_countdown);
    if (static_cast<uint32_t>(x) >= qwin_width || static_cast<uint32_t>(y) >= qwin_height)
        return;
    surface_set(x, y, qwin_rgb(colour));
}

void qwin_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour)
{
    // 64-bit differences: lines between extreme 32-bit ends must not overflow.
    const int64_t dx = std::llabs(int64_t{x2} - x1);
    const int64_t dy = std::llabs(int64_t{y2} - y1);
    if (dx > dy)
        walkLine(x1, y1, x2, y2, colour, true);
    else
        walkLine(y1, x1, y2, x2, colour, false);
}

int qwin_box(int16_t mode, int16_t x1, int16_t y1, int16_t x2, int16_t y2)
{
    if (mode == 2) {
        qwin_line(x1, y1, x1, y2, current_colour);
        qwin_line(x2, y1, x2, y2, current_colour);
        qwin_line(x1, y1, x2, y1, current_colour);
        qwin_line(x1, y2, x2, y2, current_colour);
    } else {
        qwin_rect(x1, y1, x2, y2, static_cast<int16_t>(current_colour));
    }
    return 0;
}

int32_t qwin_getcolor()
{
    return current_colour;
}

int32_t qwin_setcolor(int32_t colour)
{
    current_colour = colour;
    return current_colour;
}
