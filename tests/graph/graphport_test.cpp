// GraphPort page layout, clearing modes and shapes on the headless bitmap.
#include "graph/graphport.h"
#include "qwin/qwin.h"
#include "tests/qwin/pixel_check.h"

#include <gtest/gtest.h>

namespace {
class Shapes : public ::testing::Test {
protected:
    GraphPort port;
    void SetUp() override { port.gopen("RATIO"); }
    // Background that black fills stand out from: all green but the last
    // column and row, which a filled box never reaches.
    static void green_background()
    {
        qwin_boxf(0, 0, 639, 399, green);
        qwin_line(639, 0, 639, 399, green);
        qwin_line(0, 399, 639, 399, green);
    }
};

TEST(GraphPortLayout, FrameAfterGopen)
{
    GraphPort port;
    EXPECT_EQ(port.getxmax(), 640);
    EXPECT_EQ(port.getymax(), 400);
    port.gopen("RATIO");
    EXPECT_EQ(port.getxmax(), 640);
    EXPECT_EQ(port.getymax(), 400);
    EXPECT_EQ(port.colours, 16);
    EXPECT_EQ(port.sizeratio, 1.0f);
    EXPECT_EQ(port.fontcount, 4387);
    EXPECT_EQ(port.xsize, 640);
    EXPECT_EQ(port.ysize, 400);
    EXPECT_EQ(port.xshift, 10);
    EXPECT_EQ(port.yshift, 30);
    EXPECT_EQ(port.xmin, 74);
    EXPECT_EQ(port.xmax, 586);
    EXPECT_EQ(port.ymin, 70);
    EXPECT_EQ(port.ymax, 390);
    EXPECT_EQ(port.left, 74);
    EXPECT_EQ(port.right, 586);
    EXPECT_EQ(port.top, 70);
    EXPECT_EQ(port.bottom, 390);
    EXPECT_EQ(port.xspan, 512);
    EXPECT_EQ(port.yspan, 320);
    EXPECT_EQ(port.xcentre, 330);
    EXPECT_EQ(port.ycentre, 230);
    for (int i = 0; i < 34; ++i)
        EXPECT_EQ(port.glyph[i], 0) << "glyph buffer byte " << i;

    port.left = 0;
    port.top = 5;
    port.yspan = 7;
    port.gopen("RATIO");
    EXPECT_EQ(port.left, 74) << "a second gopen lays the frame out afresh";
    EXPECT_EQ(port.top, 70);
    EXPECT_EQ(port.yspan, 320);
}

TEST_F(Shapes, ClearModes)
{
    const PixelSet frame_area = pixel_block(74, 70, 586, 390);
    const auto expect_cleared = [](const PixelSet& black) {
        return bitmap_mismatches([&black](int x, int y) {
            return black.count({x, y}) != 0 ? qwin_rgb(0) : qwin_rgb(green);
        });
    };

    for (int mode : {-1, 3, 4, -5 + 3}) {
        green_background();
        port.cls(mode);
        EXPECT_EQ(expect_cleared({}), "") << "mode " << mode;
    }
    for (int mode : {1, 2, 6}) {
        green_background();
        port.cls(mode);
        EXPECT_EQ(expect_cleared(frame_area), "") << "mode " << mode;
    }
    // The application moves the plot frame; clearing keeps to the laid-out one.
    port.left = 0;
    port.top = 0;
    port.right = 100;
    port.bottom = 100;
    green_background();
    port.cls(1);
    EXPECT_EQ(expect_cleared(frame_area), "");

    for (int mode : {0, 5, -5}) {
        green_background();
        port.cls(mode);
        EXPECT_EQ(only_pixels({}, green), "") << "mode " << mode;
    }
}

TEST_F(Shapes, ColourIsANoOp)
{
    qwin_setcolor(9);
    EXPECT_EQ(port.color(3), 0);
    EXPECT_EQ(qwin_getcolor(), 9);
}

TEST_F(Shapes, FilledBoxWithFrame)
{
    green_background();
    EXPECT_EQ(port.boxf(10, 10, 20, 20, 0, grey), 0);
    EXPECT_EQ(bitmap_mismatches([](int x, int y) {
                  if (x < 10 || x > 20 || y < 10 || y > 20)
                      return qwin_rgb(green);
                  if (x == 10 || x == 20 || y == 10 || y == 20)
                      return qwin_rgb(grey);
                  return qwin_rgb(0);
              }),
              "")
        << "black fill x/y 10-19, grey outline on 10 and 20";

    for (int frame : {red, -1, -7}) {
        qwin_cls();
        port.boxf(10, 10, 20, 20, red, static_cast<int16_t>(frame));
        EXPECT_EQ(only_pixels(pixel_block(10, 10, 20, 20), red), "") << "frame " << frame;
    }
}

TEST_F(Shapes, FrameOfADroppedFillIsStillDrawnAndClipped)
{
    port.boxf(600, 10, 650, 20, red, grey);
    PixelSet outline = pixel_block(600, 10, 640, 11);
    for (const auto& p : pixel_block(600, 20, 640, 21))
        outline.insert(p);
    for (const auto& p : pixel_block(600, 10, 601, 21))
        outline.insert(p);
    EXPECT_EQ(only_pixels(outline, grey), "");
}

TEST_F(Shapes, BoxOutlineIsClosedAndOrderFree)
{
    EXPECT_EQ(port.box(10, 10, 20, 20, red), 0);
    const PixelSet forward = pixels_in(red);
    PixelSet expected = pixel_block(10, 10, 21, 21);
    for (const auto& p : pixel_block(11, 11, 20, 20))
        expected.erase(p);
    EXPECT_EQ(forward, expected);

    qwin_cls();
    port.box(20, 20, 10, 10, red);
    EXPECT_EQ(pixels_in(red), expected);
    qwin_cls();
    port.box(20, 10, 10, 20, red);
    EXPECT_EQ(pixels_in(red), expected);
}

TEST_F(Shapes, LineWidensItsArgumentsWithTheirSign)
{
    EXPECT_EQ(port.line(-3, 5, 3, 5, red), 0);
    EXPECT_EQ(only_pixels(pixel_block(0, 5, 4, 6), red), "");
}
}  // namespace
