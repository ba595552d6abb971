// Whole-bitmap comparison for raster tests: every pixel of the 640 x 400
// bitmap is checked against the expected picture, inside and outside a figure.
#pragma once

#include "qwin/qwin.h"

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <utility>

using PixelSet = std::set<std::pair<int, int>>;

// Palette indices the pixel tests draw with.
constexpr int green = 2;
constexpr int red = 4;
constexpr int white = 7;
constexpr int grey = 15;

// Lists (up to 8) pixels whose colour differs from expected(x, y); empty when
// the bitmap is exactly the expected picture.
inline std::string bitmap_mismatches(const std::function<uint32_t(int, int)>& expected)
{
    std::string report;
    int count = 0;
    for (int y = 0; y < qwin_height; ++y)
        for (int x = 0; x < qwin_width; ++x) {
            const uint32_t want = expected(x, y);
            const uint32_t got = qwin_pixel(x, y);
            if (want == got)
                continue;
            if (++count <= 8) {
                char line[80];
                std::snprintf(line, sizeof line, "(%d,%d) is %06x, expected %06x\n", x, y,
                              static_cast<unsigned>(got), static_cast<unsigned>(want));
                report += line;
            }
        }
    if (count > 8)
        report += std::to_string(count) + " pixels differ in all\n";
    return report;
}

// Expects exactly `pixels` in palette colour `colour` on `background`.
inline std::string only_pixels(const PixelSet& pixels, int colour, int background = 0)
{
    return bitmap_mismatches([&](int x, int y) {
        return pixels.count({x, y}) != 0 ? qwin_rgb(colour) : qwin_rgb(background);
    });
}

// Expects the half-open rectangle as qwin_rect draws it: a one-pixel outline
// in `colour` around a white interior, everything else black.
inline std::string only_outlined_rect(int left, int top, int right, int bottom, int colour)
{
    return bitmap_mismatches([=](int x, int y) {
        if (x < left || x >= right || y < top || y >= bottom)
            return qwin_rgb(0);
        const bool edge = x == left || x == right - 1 || y == top || y == bottom - 1;
        return qwin_rgb(edge ? colour : white);
    });
}

// The pixels of the half-open rectangle left <= x < right, top <= y < bottom.
inline PixelSet pixel_block(int left, int top, int right, int bottom)
{
    PixelSet pixels;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            pixels.insert({x, y});
    return pixels;
}

// The bitmap's pixels in colour `colour`.
inline PixelSet pixels_in(int colour)
{
    PixelSet pixels;
    for (int y = 0; y < qwin_height; ++y)
        for (int x = 0; x < qwin_width; ++x)
            if (qwin_pixel(x, y) == qwin_rgb(colour))
                pixels.insert({x, y});
    return pixels;
}
