// Ghostscript as the judge: pages must be accepted and put ink where the
// drawing is and nowhere else.
#include <fstream>
#include <string>

#include "page_support.h"

namespace {

using PsdrawRender = PageTest;

// A PostScript-space rectangle, edges inclusive.
struct Area {
    int x0, y0, x1, y1;
    bool holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Every pixel inside `solid` has colour rgb and every pixel outside `reach`
// is white; returns the number of pixels that break this.
int strayPixels(const Pixmap& map, Area solid, Area reach, const unsigned char rgb[3])
{
    int stray = 0;
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x) {
            const unsigned char* p = map.at(x, y);
            if (solid.holds(x, y) && (p[0] != rgb[0] || p[1] != rgb[1] || p[2] != rgb[2]))
                ++stray;
            if (!reach.holds(x, y) && map.ink(x, y))
                ++stray;
        }
    return stray;
}

const unsigned char kRed[3] = {255, 0, 0};

// boxf (100, 100, 200, 150) covers x 100..200 and PostScript y 590..640;
// one point either side is left to the rasteriser's edge rule.
const Area kBoxInside{101, 591, 199, 639};
const Area kBoxReach{99, 589, 201, 641};

TEST_F(PsdrawRender, FilledBoxInksItsAreaAndNothingElse)
{
    {
        psdraw page;
        ASSERT_EQ(page.gopen(nullptr), 0);
        page.boxf(100, 100, 200, 150, 3, 3);
    }
    const Pixmap map = renderPixmap("0.ps");
    ASSERT_GT(map.width, 0);
    EXPECT_EQ(strayPixels(map, kBoxInside, kBoxReach, kRed), 0);
}

TEST_F(PsdrawRender, ConsoleFormIsAPageOfItsOwn)
{
    StdoutCapture out;
    {
        psdraw page;
        page.outmode = 1;
        page.gopen(nullptr);
        page.boxf(100, 100, 200, 150, 3, 3);
    }
    std::string page = out.take();
    // The first line is gopen's echo of the file name, not PostScript.
    page.erase(0, page.find('\n') + 1);
    std::ofstream("console.ps") << page;
    const Pixmap map = renderPixmap("console.ps");
    ASSERT_GT(map.width, 0);
    EXPECT_EQ(strayPixels(map, kBoxInside, kBoxReach, kRed), 0);
}

TEST_F(PsdrawRender, UnbalancedParenthesesAndBackslashesPrintAsText)
{
    {
        psdraw page;
        page.gopen(nullptr);
        char open[] = "((((";
        char close[] = "a)) \\";
        unsigned char mixed[] = "\\)(\\n";
        page.print(open, 100, 100, 0);
        page.print(close, 100, 140, 0);
        page.print(mixed, 100, 180, 0);
    }
    const PngRender verdict = renderPng("0.ps", "text.png");
    EXPECT_EQ(verdict.status, 0);
    EXPECT_TRUE(verdict.picture);

    // Three lines at baselines 628, 588 and 548, starting at x 100.
    const Pixmap map = renderPixmap("0.ps");
    ASSERT_GT(map.width, 0);
    const Area lines[] = {{100, 624, 160, 642}, {100, 584, 160, 602}, {100, 544, 160, 562}};
    for (const Area& line : lines) {
        int inked = 0;
        for (int y = line.y0; y <= line.y1; ++y)
            for (int x = line.x0; x <= line.x1; ++x)
                inked += map.ink(x, y);
        EXPECT_GT(inked, 10) << "line at " << line.y0;
    }
    const unsigned char none[3] = {255, 255, 255};
    EXPECT_EQ(strayPixels(map, Area{0, 0, -1, -1}, Area{98, 540, 200, 645}, none), 0);
}

TEST_F(PsdrawRender, EveryOperationTogetherMakesAValidMultiPageFile)
{
    std::string name = "all";
    {
        psdraw page;
        page.gopen(reinterpret_cast<unsigned char*>(name.data()));
        for (unsigned short style = 0; style < 8; ++style) {
            page.setlinestyle(style);
            page.line(100, 100 + 10 * style, 300, 100 + 10 * style, style);
        }
        page.setlinestyle(0);
        page.box(50, 50, 550, 700, 8);
        page.boxf(60, 60, 90, 90, 4, 1);
        page.circle(100, 200, 200, 300, 5);
        page.circlef(200, 200, 260, 260, 6, 0);
        page.pset(400, 400, 3);
        const _xycoord points[] = {{300, 300}, {350, 320}, {330, 380}};
        page._polygon(0, points, 3);
        page.color(0.3f, 0.6f, 0.9f);
        page.colorBW(9);
        page.color256(200);
        page.cls(0);
        page.xaxis(0.0f, 10.0f, 0);
        page.yaxis(-5.0f, 5.0f, 0);
        page.xaxis(0, 2000);
        page.yaxis(0, 50);
        char label[] = "legend (f(x) = x\\2";
        page.print(label, 300, 500, 2);
        page.print(3.25, 300, 520, 1);
        page.plotnumD(123, 300, 540, 20, 1);
        page.Show();
    }
    const PngRender verdict = renderPng("all.ps", "all.png");
    EXPECT_EQ(verdict.status, 0);
    EXPECT_TRUE(verdict.picture);
}

}  // namespace
