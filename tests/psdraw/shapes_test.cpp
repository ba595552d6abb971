// Paths written by the shape operations, in both output forms.
#include <cstdlib>
#include <string>

#include "page_support.h"

namespace {

using PsdrawShapes = PageTest;

const char kBoxPath[] = "N\n100 640 J\n100 590 L\n200 590 L\n200 640 L\n100 640 L\n";

TEST_F(PsdrawShapes, FilledBoxWithADifferentEdgeIsFilledThenOutlined)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.boxf(100, 100, 200, 150, 3, 0), 0);
    EXPECT_EQ(body(page), std::string(" 1.000000 0.000000 0.000000 C\n") + kBoxPath + "F\nS\n" +
                              " 0.000000 A\n" + kBoxPath + "S\n");
}

TEST_F(PsdrawShapes, FilledBoxWithoutADistinctEdgeHasNoOutline)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.boxf(100, 100, 200, 150, 2, 2), 2);
    EXPECT_EQ(page.boxf(100, 100, 200, 150, 2, -1), 2);
    const std::string fill = std::string(" 0.000000 1.000000 0.000000 C\n") + kBoxPath + "F\nS\n";
    EXPECT_EQ(body(page), fill + fill);
}

TEST_F(PsdrawShapes, BoxAndLineFlipYOnly)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.box(100, 100, 200, 150, 21), 5);
    EXPECT_EQ(page.line(100, 664, -20, 800, 0), 0);
    EXPECT_EQ(body(page), std::string(" 1.000000 1.000000 0.000000 C\n") + kBoxPath + "S\n" +
                              " 0.000000 A\nN\n100 76 J\n-20 -60 L\nS\n");
}

TEST_F(PsdrawShapes, CircleIsInscribedInTheBoxWidth)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.circle(100, 100, 200, 150, 2), 2);
    EXPECT_EQ(page.circle(7, 0, 0, 100, 1), 1);
    EXPECT_EQ(body(page),
              " 0.000000 1.000000 0.000000 C\nN\n150 615 50 0 360 arc\nS\n"
              " 0.000000 0.000000 1.000000 C\nN\n3 690 3 0 360 arc\nS\n");
}

TEST_F(PsdrawShapes, FilledCircleIsOutlinedOnlyInADistinctEdge)
{
    psdraw page;
    page.gopen(nullptr);
    EXPECT_EQ(page.circlef(100, 100, 200, 150, 3, 1), 1);
    EXPECT_EQ(page.circlef(100, 100, 200, 150, 3, 3), 3);
    const std::string fill = " 1.000000 0.000000 0.000000 C\nN\n150 615 50 0 360 arc\nF\nS\n";
    EXPECT_EQ(body(page), fill + " 0.000000 0.000000 1.000000 C\nN\n150 615 50 0 360 arc\nS\n" + fill);
}

TEST_F(PsdrawShapes, ModeTwoWritesFileFormThenConsoleFormExceptForCircles)
{
    psdraw page;
    openQuietly(page, 2);

    StdoutCapture line;
    page.line(10, 20, 30, 40, 2);
    EXPECT_EQ(line.take(),
              " 0.000000 1.000000 0.000000 setrgbcolor\nnewpath\n10 720 moveto\n30 700 lineto\nstroke\n");
    EXPECT_EQ(body(page), " 0.000000 1.000000 0.000000 C\nN\n10 720 J\n30 700 L\nS\n");

    StdoutCapture round;
    page.circlef(0, 0, 10, 10, 4, -1);
    EXPECT_EQ(round.take(), " 1.000000 0.000000 1.000000 setrgbcolor\n");

    page.outmode = 1;
    StdoutCapture console;
    page.circlef(0, 0, 10, 10, 4, 0);
    page.boxf(0, 0, 10, 10, 6, 6);
    EXPECT_EQ(console.take(),
              " 1.000000 0.000000 1.000000 setrgbcolor\nnewpath\n5 735 5 0 360 arc\nfill\nstroke\n"
              " 0.000000 setgray\n 0.000000 0.000000 0.000000 setrgbcolor\n"
              "newpath\n5 735 5 0 360 arc\nstroke\n"
              " 0.000000 1.000000 1.000000 setrgbcolor\nnewpath\n0 740 moveto\n0 730 lineto\n"
              "10 730 lineto\n10 740 lineto\n0 740 lineto\nfill\nstroke\n");
}

TEST_F(PsdrawShapes, DotsAndPolylines)
{
    psdraw page;
    page.gopen(nullptr);
    page.pset(10, 10, 3);
    EXPECT_EQ(body(page),
              " 1.000000 0.000000 0.000000 C\n 1.000000 0.000000 0.000000 C\nN\n10 730 J\n11 729 L\nS\n");

    psdraw chain;
    std::string name = "chain";
    chain.gopen(reinterpret_cast<unsigned char*>(name.data()));
    const _xycoord points[3] = {{0, 0}, {10, 0}, {10, 20}};
    chain._polygon(99, points, 3);
    chain._polygon(99, points, 1);
    chain._polygon(99, nullptr, 3);
    EXPECT_EQ(body(chain), " 0.000000 A\nN\n0 740 J\n10 740 L\nS\n 0.000000 A\nN\n10 740 J\n10 720 L\nS\n");
}

TEST_F(PsdrawShapes, ImageMembersDrawNothingAndFreeimgReleases)
{
    psdraw page;
    page.gopen(nullptr);
    char buffer[16] = {};
    page.getimage(buffer, 0, 0, 10, 10);
    page.getimage(0, 0, 10, 10);
    page.putimage(buffer, 0, 0, 0);
    page.putimage(0, 0, 0);
    page.pics(1, 2);
    EXPECT_EQ(page.img, nullptr);
    page.img = static_cast<char*>(std::malloc(64));
    page.freeimg();
    EXPECT_EQ(page.img, nullptr);
    page.freeimg();
    page.img = static_cast<char*>(std::malloc(64));  // released by the destructor
    EXPECT_EQ(body(page), "");
}

}  // namespace
