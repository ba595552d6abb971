// The plot frame and the tick-step helpers.
#include <cmath>
#include <vector>

#include "page_support.h"

namespace {

using PsdrawFrame = PageTest;

std::vector<int> xHalf(const psdraw& p)
{
    return {p.xsize, p.xshift, p.xmax, p.xmin, p.xspan, p.left, p.xcentre, p.right};
}

std::vector<int> yHalf(const psdraw& p)
{
    return {p.ysize, p.ybase, p.ymax, p.ymin, p.yspan, p.top, p.ycentre, p.bottom};
}

TEST_F(PsdrawFrame, GopenSetsTheA4DefaultsAndForgetsEarlierRatios)
{
    psdraw page;
    page.setratio(0.5f, 9, 9);
    page.xratio = 2.0f;
    page.gopen(nullptr);
    EXPECT_EQ(page.getxmax(), 595);
    EXPECT_EQ(page.getymax(), 839);
    EXPECT_EQ(xHalf(page), (std::vector<int>{595, 3, 508, 92, 416, 92, 300, 508}));
    EXPECT_EQ(yHalf(page), (std::vector<int>{839, 789, 664, 76, 588, 76, 370, 664}));
    EXPECT_EQ(page.colours, 16);
    EXPECT_FLOAT_EQ(page.sizeratio, 1.0f);
}

TEST_F(PsdrawFrame, RatiosRescaleTheBandButNotThePage)
{
    psdraw page;
    page.gopen(nullptr);
    page.setratio(0.5f, 3, 50);
    EXPECT_EQ(xHalf(page), (std::vector<int>{297, 3, 255, 47, 208, 47, 151, 255}));
    EXPECT_EQ(yHalf(page), (std::vector<int>{419, 789, 727, 433, 294, 433, 580, 727}));
    EXPECT_FLOAT_EQ(page.xratio, 1.0f);
    EXPECT_EQ(page.getxmax(), 595);

    page.yratio = 2.0f;
    EXPECT_EQ(page.getymax(), 1678);
    page.setyratio(1.0f, 0);
    EXPECT_EQ(page.ybase, 1678);
    EXPECT_EQ(page.ysize, 1678);
}

TEST_F(PsdrawFrame, BandProductsAreCutInExtendedPrecision)
{
    // 20 x 0.85 and 20 x 0.15 round up to 17 and 3 in double precision but
    // stay just below them with the full product.
    psdraw page;
    page.gopen(nullptr);
    page.xratio = 0.034f;
    page.yratio = 0.034f;
    ASSERT_EQ(page.getxmax(), 20);
    page.setratio(1.0f, 0, 0);
    ASSERT_EQ(page.getymax(), 28);
    EXPECT_EQ(xHalf(page), (std::vector<int>{20, 0, 16, 2, 14, 2, 9, 16}));
    page.yratio = 0.0239f;
    ASSERT_EQ(page.getymax(), 20);
    page.setyratio(1.0f, 0);
    EXPECT_EQ(yHalf(page), (std::vector<int>{20, 20, 18, 4, 14, 4, 11, 18}));
}

TEST_F(PsdrawFrame, AbsurdRatiosSaturateInsteadOfOverflowing)
{
    psdraw page;
    page.gopen(nullptr);
    page.setratio(1e30f, 2000000000, -2000000000);
    EXPECT_EQ(page.xsize, 2147483647);
    EXPECT_EQ(page.xmax, 2147483647);
    page.setratio(std::nanf(""), 3, 50);
    EXPECT_EQ(page.xsize, 0);
    EXPECT_EQ(page.xspan, 0);
}

TEST_F(PsdrawFrame, ScalPicksTwoOrFiveTimesAPowerOfTen)
{
    psdraw page;
    EXPECT_FLOAT_EQ(page.scal(3.0f), 0.2f);
    EXPECT_EQ(page.decade, 1);
    EXPECT_FLOAT_EQ(page.scal(7.0f), 0.5f);
    EXPECT_FLOAT_EQ(page.scal(1.0f), 0.2f);
    EXPECT_FLOAT_EQ(page.scal(10.0f), 2.0f);
    EXPECT_EQ(page.decade, 2);
    EXPECT_FLOAT_EQ(page.scal(49.0f), 2.0f);
    EXPECT_FLOAT_EQ(page.scal(50.0f), 5.0f);
    EXPECT_FLOAT_EQ(page.scal(0.03f), 0.002f);
    EXPECT_EQ(page.decade, -1);
    page.scal(0.0f);
    EXPECT_EQ(page.decade, -13);
    page.scal(-4.0f);
    EXPECT_EQ(page.decade, -13);
    EXPECT_FLOAT_EQ(page.scal(5e20f), 5e11f);
    EXPECT_EQ(page.decade, 13);
}

TEST_F(PsdrawFrame, ScaleStepsByRange)
{
    psdraw page;
    const int ranges[] = {20000, 10001, 10000, 6000, 5001, 5000, 1501, 1500, 501, 500, 11, 10, 0, -7};
    const int steps[] = {2000, 1000, 1000, 1000, 1000, 500, 500, 100, 100, 10, 10, 1, 1, 1};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(page.scale(ranges[i], 123), steps[i]) << ranges[i];
}

TEST_F(PsdrawFrame, AxisLimitsAreCutToThreeDigits)
{
    psdraw page;
    EXPECT_FLOAT_EQ(page.getminvalg(1.23456f), 1.23f);
    EXPECT_FLOAT_EQ(page.getmaxvalg(1.23456f), 1.24f);
    EXPECT_FLOAT_EQ(page.getminvalg(123.7f), 123.0f);
    EXPECT_FLOAT_EQ(page.getmaxvalg(123.2f), 124.0f);
    EXPECT_FLOAT_EQ(page.getminvalg(0.045678f), 0.0456f);
    EXPECT_FLOAT_EQ(page.getmaxvalg(0.045678f), 0.0457f);
    EXPECT_FLOAT_EQ(page.getminvalg(98765.4f), 98765.0f);
    EXPECT_FLOAT_EQ(page.getmaxvalg(2.0f), 2.0f);
}

}  // namespace
