// The area of the bitmap changed since the window last presented it: every
// figure drawn lies inside it, and a pixel inside it already leaves it as it is.
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <gtest/gtest.h>

namespace {

PixelRect take_changed()
{
    std::lock_guard<std::mutex> lock(surface_mutex);
    return surface_take_changed();
}

void expect_area(const PixelRect& area, int left, int top, int right, int bottom, const char* after)
{
    EXPECT_EQ(area.left, left) << after;
    EXPECT_EQ(area.top, top) << after;
    EXPECT_EQ(area.right, right) << after;
    EXPECT_EQ(area.bottom, bottom) << after;
}

TEST(Surface, TheChangedAreaHoldsEveryFigureSinceItWasTaken)
{
    qwin_open();
    take_changed();
    const PixelRect none = take_changed();
    EXPECT_LE(none.right, none.left) << "nothing drawn, nothing changed";

    qwin_pset(0, 0, 1);
    expect_area(take_changed(), 0, 0, 1, 1, "a pixel at the corner");

    qwin_pset(5, 5, 1);
    qwin_pset(5, 5, 2);
    expect_area(take_changed(), 5, 5, 6, 6, "the same pixel twice");

    qwin_pset(5, 5, 1);
    qwin_pset(3, 9, 1);
    qwin_pset(4, 6, 1);  // inside already
    expect_area(take_changed(), 3, 5, 6, 10, "a pixel inside the area");

    // the pixels just beyond each edge of the half-open area grow it
    qwin_pset(5, 5, 1);
    qwin_pset(6, 5, 1);
    qwin_pset(5, 6, 1);
    qwin_pset(4, 5, 1);
    qwin_pset(5, 4, 1);
    expect_area(take_changed(), 4, 4, 7, 7, "pixels around one");

    qwin_boxf(10, 20, 30, 40, 3);
    qwin_pset(qwin_width - 1, qwin_height - 1, 1);
    qwin_pset(qwin_width, 0, 1);  // off the bitmap: no change
    expect_area(take_changed(), 10, 20, qwin_width, qwin_height, "a box and the last pixel");
}

}  // namespace
