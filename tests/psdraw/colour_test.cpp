// Colour, grey-level and dash statements, in both output forms.
#include <cmath>
#include <string>

#include "page_support.h"

namespace {

using PsdrawColour = PageTest;

TEST_F(PsdrawColour, IndexedColoursFoldIntoTheSixteen)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.color(short(-3)), 0);
    EXPECT_EQ(page.color(short(16)), 0);
    EXPECT_EQ(page.color(short(19)), 3);
    EXPECT_EQ(page.color(short(8)), 8);
    EXPECT_EQ(page.color(short(14)), 14);
    EXPECT_EQ(body(page),
              " 0.000000 A\n"
              " 0.000000 A\n"
              " 1.000000 0.000000 0.000000 C\n"
              " 0.200000 0.200000 0.200000 C\n"
              " 0.000000 0.500000 0.500000 C\n");
}

TEST_F(PsdrawColour, ConsoleFormSpellsEveryIndexOutBlackIncluded)
{
    psdraw page;
    openQuietly(page, 2);
    StdoutCapture colours;
    page.color(short(0));
    page.color(short(6));
    EXPECT_EQ(colours.take(),
              " 0.000000 setgray\n"
              " 0.000000 0.000000 0.000000 setrgbcolor\n"
              " 0.000000 1.000000 1.000000 setrgbcolor\n");
    EXPECT_EQ(body(page), " 0.000000 A\n 0.000000 1.000000 1.000000 C\n");
}

TEST_F(PsdrawColour, RealColoursAreClampedAndHaveNoConsoleForm)
{
    psdraw page;
    openQuietly(page, 2);
    StdoutCapture colours;
    EXPECT_EQ(page.color(0.0f, 0.0f, 0.0f), 0);
    EXPECT_EQ(page.color(2.0f, -1.0f, 0.5f), 1);
    EXPECT_EQ(page.color(std::nanf(""), 0.25f, 1.0f), 1);
    EXPECT_EQ(colours.take(), " 0.000000 setgray\n");
    EXPECT_EQ(body(page),
              " 0.000000 A\n"
              " 1.000000 0.000000 0.500000 C\n"
              " 0.000000 0.250000 1.000000 C\n");
}

TEST_F(PsdrawColour, GreyLevels)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.colorBW(5), 5);
    EXPECT_EQ(page.colorBW(15), 15);
    EXPECT_EQ(page.colorBW(16), 0);
    EXPECT_EQ(page.colorBW(22), 6);
    EXPECT_EQ(page.colorBW(-4), -4);
    EXPECT_EQ(page.color256(255), 255);
    EXPECT_EQ(page.color256(16), 16);
    EXPECT_EQ(page.color256(257), 1);
    EXPECT_EQ(page.color256(0), 0);
    EXPECT_EQ(body(page),
              " 0.312500 A\n"
              " 0.937500 A\n"
              " 0.000000 A\n"
              " 0.562500 A\n"
              " 0.000000 A\n"
              " 0.996094 A\n"
              " 0.003906 A\n"
              " 0.062500 A\n"
              " 0.000000 A\n");

    StdoutCapture out;
    page.outmode = 1;
    page.colorBW(5);
    page.color256(255);
    EXPECT_EQ(out.take(), " 0.312500 setgray\n 0.996094 setgray\n");
}

TEST_F(PsdrawColour, QbcolorMapsScreenNumbersAndWritesNothing)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.qbcolor(7), 0);
    EXPECT_EQ(page.qbcolor(-1), 0);
    EXPECT_EQ(page.qbcolor(23), 7);
    EXPECT_EQ(page.qbcolor(5), 5);
    EXPECT_EQ(page.qbcolor(16), 0);
    EXPECT_EQ(page.bkcolor(0x123456L), 0);
    page.getcolor();
    page.getmaxcolor();
    page.getbkcolor();
    unsigned char mask[8] = {};
    page.setfillmask(mask);
    EXPECT_EQ(body(page), "");
}

TEST_F(PsdrawColour, LineStylesFoldIntoSevenDashPatterns)
{
    psdraw page;
    openQuietly(page, 2);
    StdoutCapture dashes;
    page.setlinestyle(11);
    page.setlinestyle(0);
    page.setlinestyle(6);
    page.setlinestyle(65535);
    EXPECT_EQ(body(page), "[3 5 1 5] 0 B\n[ ] 0 B\n[6 4 2 4] 0 B\n[2 4] 0 B\n");
    EXPECT_EQ(dashes.take(), "[3 5 1 5] 0 setdash\n[ ] 0 setdash\n[6 4 2 4] 0 setdash\n[2 4] 0 setdash\n");
}

}  // namespace
