// Pixel coverage of the raster operations on the headless bitmap.
#include "qwin/qwin.h"
#include "tests/qwin/pixel_check.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace {
class Raster : public ::testing::Test {
protected:
    void SetUp() override { qwin_open(); }
};

// The pixels qwin_line draws, for invariants over many lines.
PixelSet line_pixels(int x1, int y1, int x2, int y2)
{
    qwin_cls();
    qwin_line(x1, y1, x2, y2, white);
    return pixels_in(white);
}

// Pixels of a one-pixel outline of the half-open rectangle.
PixelSet outline(int left, int top, int right, int bottom)
{
    PixelSet all = pixel_block(left, top, right, bottom);
    for (const auto& p : pixel_block(left + 1, top + 1, right - 1, bottom - 1))
        all.erase(p);
    return all;
}

TEST_F(Raster, OpenClearsTheBitmapToBlack)
{
    qwin_boxf(0, 0, 639, 399, grey);
    qwin_open();
    EXPECT_EQ(only_pixels({}, 0), "");
}

TEST_F(Raster, PaletteEntriesThatAreEasyToConfuse)
{
    EXPECT_EQ(qwin_rgb(7), 0xFFFFFFu);
    EXPECT_EQ(qwin_rgb(8), 0x7D7DFFu);
    EXPECT_EQ(qwin_rgb(14), 0x6464FFu);
    EXPECT_EQ(qwin_rgb(15), 0x7D7D7Du);
    EXPECT_EQ(qwin_rgb(6), 0xFFFF00u);
}

TEST_F(Raster, FilledBoxLeavesOutRightColumnAndBottomRow)
{
    qwin_boxf(10, 10, 20, 20, red);
    EXPECT_EQ(only_pixels(pixel_block(10, 10, 20, 20), red), "");

    qwin_cls();
    qwin_boxf(20, 20, 10, 10, red);
    EXPECT_EQ(only_pixels(pixel_block(10, 10, 20, 20), red), "") << "corners in reverse order";

    qwin_cls();
    qwin_boxf(10, 10, 10, 20, red);
    EXPECT_EQ(only_pixels({}, red), "") << "zero width";

    qwin_boxf(0, 0, 639, 399, red);
    EXPECT_EQ(only_pixels(pixel_block(0, 0, 639, 399), red), "");
}

TEST_F(Raster, FilledBoxBoundsTestsAndClipping)
{
    qwin_boxf(0, 0, 640, 400, red);
    qwin_boxf(0, 0, 639, 400, red);
    qwin_boxf(10, -5, 20, -1, red);
    qwin_boxf(0, 0, 640, 10, red);
    EXPECT_EQ(only_pixels({}, red), "") << "x2 of 640, bottom 400 and bottom below 0 draw nothing";

    // x2 as passed decides, not the larger x: this box runs off the right edge.
    qwin_boxf(700, 10, 600, 20, red);
    EXPECT_EQ(only_pixels(pixel_block(600, 10, 640, 20), red), "");

    qwin_cls();
    qwin_boxf(-5, 10, 5, 20, red);
    qwin_boxf(30, -5, 40, 3, red);
    PixelSet both = pixel_block(0, 10, 5, 20);
    for (const auto& p : pixel_block(30, 0, 40, 3))
        both.insert(p);
    EXPECT_EQ(only_pixels(both, red), "");
}

TEST_F(Raster, SixteenBitArgumentsWrap)
{
    const int32_t wide = 65536;
    qwin_boxf(static_cast<int16_t>(wide + 10), 10, static_cast<int16_t>(wide + 20), 20, red);
    EXPECT_EQ(only_pixels(pixel_block(10, 10, 20, 20), red), "");
}

TEST_F(Raster, RectangleHasColouredOutlineAndWhiteInterior)
{
    qwin_rect(10, 10, 15, 15, red);
    EXPECT_EQ(only_outlined_rect(10, 10, 15, 15, red), "");

    qwin_cls();
    qwin_rect(15, 15, 10, 10, red);
    EXPECT_EQ(pixels_in(red), outline(10, 10, 15, 15)) << "corners in reverse order";

    qwin_cls();
    qwin_rect(0, 0, 2, 2, red);
    EXPECT_EQ(only_pixels(pixel_block(0, 0, 2, 2), red), "") << "too small for an interior";
}

TEST_F(Raster, RectangleBoundsTestsAndClipping)
{
    qwin_rect(0, 0, 640, 10, red);
    qwin_rect(0, 0, 10, 400, red);
    EXPECT_EQ(only_pixels({}, red), "");

    // Outline columns -3 and 700 lie off the surface; only their clipped
    // remains and the interior show.
    qwin_rect(-3, -3, 4, 4, red);
    qwin_rect(700, 10, 600, 20, red);
    EXPECT_EQ(bitmap_mismatches([](int x, int y) {
                  if (x <= 3 && y <= 3)
                      return qwin_rgb(x == 3 || y == 3 ? red : white);
                  if (x >= 600 && y >= 10 && y < 20)
                      return qwin_rgb(x == 600 || y == 10 || y == 19 ? red : white);
                  return qwin_rgb(0);
              }),
              "");
}

TEST_F(Raster, PixelTestsCoordinatesAsUnsigned)
{
    qwin_pset(-1, 5, red);
    qwin_pset(640, 5, red);
    qwin_pset(5, 400, red);
    qwin_pset(5, -1, red);
    qwin_pset(INT_MIN, INT_MIN, red);
    qwin_pset(639, 399, red);
    qwin_pset(0, 0, red);
    EXPECT_EQ(only_pixels({{639, 399}, {0, 0}}, red), "");
}

TEST_F(Raster, LinePixelLists)
{
    EXPECT_EQ(line_pixels(0, 0, 5, 2), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(line_pixels(5, 2, 0, 0), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(line_pixels(5, 0, 0, 2), (PixelSet{{0, 2}, {1, 2}, {2, 1}, {3, 1}, {4, 0}, {5, 0}}));
    EXPECT_EQ(line_pixels(0, 0, 2, 5), (PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}));
    EXPECT_EQ(line_pixels(3, 3, 3, 3), (PixelSet{{3, 3}}));
    EXPECT_EQ(line_pixels(0, 0, 3, 3), (PixelSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(line_pixels(-2, 7, 2, 7), (PixelSet{{0, 7}, {1, 7}, {2, 7}})) << "off-surface pixels dropped";
}

TEST_F(Raster, LineInvariantsOverManyDirections)
{
    const int ends[][2] = {{0, 0}, {9, 2}, {2, 9}, {-3, 4}, {7, 7}, {12, -1}, {5, 13}, {0, 11}};
    const int origin_x = 30;
    const int origin_y = 30;
    for (const auto& a : ends)
        for (const auto& b : ends) {
            const int x1 = origin_x + a[0], y1 = origin_y + a[1];
            const int x2 = origin_x + b[0], y2 = origin_y + b[1];
            const PixelSet forward = line_pixels(x1, y1, x2, y2);
            const PixelSet backward = line_pixels(x2, y2, x1, y1);
            const size_t expected = std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1;
            SCOPED_TRACE(testing::Message() << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ")");
            EXPECT_EQ(forward.size(), expected);
            EXPECT_EQ(forward.count({x1, y1}), 1u);
            EXPECT_EQ(forward.count({x2, y2}), 1u);
            EXPECT_EQ(forward, backward);
        }
}

TEST_F(Raster, LineNearTheLimitsOfItsIntegersEnds)
{
    qwin_line(INT_MAX - 3, 5, INT_MAX, 5, red);
    qwin_line(5, INT_MIN, 5, INT_MIN + 3, red);
    EXPECT_EQ(only_pixels({}, red), "");
}

TEST_F(Raster, BoxModes)
{
    qwin_setcolor(red);
    EXPECT_EQ(qwin_box(2, 10, 10, 20, 20), 0);
    PixelSet closed = pixel_block(10, 10, 21, 21);
    for (const auto& p : pixel_block(11, 11, 20, 20))
        closed.erase(p);
    EXPECT_EQ(only_pixels(closed, red), "") << "mode 2 includes column 20 and row 20";

    qwin_cls();
    qwin_box(2, 20, 20, 10, 10);
    EXPECT_EQ(only_pixels(closed, red), "") << "mode 2 with the corners reversed";

    qwin_cls();
    EXPECT_EQ(qwin_box(3, 10, 10, 20, 20), 0);
    EXPECT_EQ(only_outlined_rect(10, 10, 20, 20, red), "");
}

TEST_F(Raster, CurrentColourAndClear)
{
    EXPECT_EQ(qwin_setcolor(5), 5);
    EXPECT_EQ(qwin_getcolor(), 5);
    qwin_boxf(0, 0, 639, 399, red);
    qwin_pset(639, 399, red);
    qwin_cls();
    EXPECT_EQ(only_pixels({}, red), "");
    EXPECT_EQ(qwin_getcolor(), 5) << "clearing keeps the current colour";
}
}  // namespace
