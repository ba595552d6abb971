// Text and number statements: the eight print overloads, escaping, the
// off-page rules and the digit family.
#include <string>

#include "page_support.h"

namespace {

using PsdrawText = PageTest;

TEST_F(PsdrawText, EveryValueTypeIsWrittenAtTheBaselineOfItsLine)
{
    psdraw page;
    page.gopen(nullptr);
    char abc[] = "ABC";
    unsigned char raw[] = "raw";
    page.print(abc, 100, 100, 0);
    page.print(raw, 0, 0, 1);
    page.print(7u, 1, 2, 0);
    page.print(4000000000u, 1, 2, 0);
    page.print(-42, 1, 2, 0);
    page.print(short(-7), 1, 2, 0);
    page.print(-9000000000L, 1, 2, 0);
    page.print(2.5f, 1, 2, 0);
    page.print(-0.125, 1, 2, 0);
    EXPECT_EQ(body(page),
              " 0.000000 A\n100 628 J\n(ABC) Z\n"
              " 0.000000 0.000000 1.000000 C\n0 728 J\n(raw) Z\n"
              " 0.000000 A\n1 726 J\n(7) Z\n"
              " 0.000000 A\n1 726 J\n(4000000000) Z\n"
              " 0.000000 A\n1 726 J\n(-42) Z\n"
              " 0.000000 A\n1 726 J\n(-7) Z\n"
              " 0.000000 A\n1 726 J\n(-9000000000) Z\n"
              " 0.000000 A\n1 726 J\n(2.500000) Z\n"
              " 0.000000 A\n1 726 J\n(-0.125000) Z\n");
}

TEST_F(PsdrawText, ConstantTextFollowsTheRulesOfMutableText)
{
    psdraw page;
    page.gopen(nullptr);
    char mutableText[] = "T(1)";
    page.print(mutableText, 100, 100, 3);
    const std::string expected = body(page);
    page.print("T(1)", 100, 100, 3);
    page.print("gone", -1, 100, 3);
    EXPECT_EQ(expected, " 1.000000 0.000000 0.000000 C\n100 628 J\n(T\\(1\\)) Z\n");
    EXPECT_EQ(body(page), expected + expected);
}

TEST_F(PsdrawText, ParenthesesAndBackslashesAreEscaped)
{
    psdraw page;
    page.gopen(nullptr);
    char unbalanced[] = "f(x))) \\ (";
    unsigned char trailing[] = "end\\";
    char plain[] = "50% of 100";
    page.print(unbalanced, 10, 10, 0);
    page.print(trailing, 10, 30, 0);
    page.print(plain, 10, 50, 0);
    EXPECT_EQ(body(page),
              " 0.000000 A\n10 718 J\n(f\\(x\\)\\)\\) \\\\ \\() Z\n"
              " 0.000000 A\n10 698 J\n(end\\\\) Z\n"
              " 0.000000 A\n10 678 J\n(50% of 100) Z\n");
}

TEST_F(PsdrawText, TextStartingOffThePageIsDropped)
{
    psdraw page;
    openQuietly(page, 2);

    StdoutCapture dropped;
    char text[] = "gone";
    page.print(42, 10, 740, 0);  // baseline -12
    page.print(text, -1, 10, 0);
    page.print(1.0, 10, 729, 0);  // baseline -1
    EXPECT_EQ(dropped.take(), "");
    EXPECT_EQ(body(page), "");

    StdoutCapture edge;
    page.print(3, 0, 728, 0);  // baseline 0 is still on the page
    EXPECT_EQ(edge.take(),
              " 0.000000 setgray\n 0.000000 0.000000 0.000000 setrgbcolor\n0 0 moveto\n(3) show\n");
    EXPECT_EQ(body(page), " 0.000000 A\n0 0 J\n(3) Z\n");
}

TEST_F(PsdrawText, UnsignedCharTextAlwaysSetsItsColourAndStillReachesTheConsole)
{
    StdoutCapture out;
    psdraw page;
    page.gopen(nullptr);
    unsigned char text[] = "x(";
    page.print(text, 10, 740, 2);
    EXPECT_EQ(body(page), " 0.000000 1.000000 0.000000 C\n");

    page.outmode = 1;
    out.take();
    StdoutCapture console;
    page.print(text, 10, 740, 2);
    EXPECT_EQ(console.take(), " 0.000000 1.000000 0.000000 setrgbcolor\n10 -12 moveto\n(x\\() show\n");
    EXPECT_EQ(body(page), " 0.000000 1.000000 0.000000 C\n");
}

TEST_F(PsdrawText, ConsoleModeWritesNoColourForOrdinaryText)
{
    psdraw page;
    openQuietly(page, 1);
    StdoutCapture console;
    char abc[] = "A)B";
    page.print(abc, 100, 100, 3);
    page.print(12L, 100, 100, 3);
    EXPECT_EQ(console.take(), "100 628 moveto\n(A\\)B) show\n100 628 moveto\n(12) show\n");
}

TEST_F(PsdrawText, PlotnumIsPrintIgnoringSize)
{
    psdraw page;
    page.gopen(nullptr);
    page.print(1.5f, 40, 50, 3);
    page.print(short(-12), 40, 50, 3);
    const std::string printed = body(page);
    std::string other = "other";
    psdraw plotted;
    plotted.gopen(reinterpret_cast<unsigned char*>(other.data()));
    plotted.plotnum(1.5f, 40, 50, 99, 3);
    plotted.plotnum(short(-12), 40, 50, 7, 3);
    EXPECT_EQ(body(plotted), printed);
    EXPECT_NE(printed, "");
}

TEST_F(PsdrawText, SevenSegmentDigitsRecordTheirCellAndLeaveThePageAlone)
{
    psdraw page;
    page.gopen(nullptr);
    page.plotnumD(305, 10, 10, 36, 1);
    EXPECT_EQ(page.digw, 36);
    EXPECT_EQ(page.digh, 36);
    EXPECT_EQ(page.diggap, 3);
    page.plotnumD(-305, 10, 10, 90, 1);
    EXPECT_EQ(page.diggap, 6);
    page.plotnumD(32767, 10, 10, 5, 1);
    EXPECT_EQ(page.diggap, 1);
    page.plotminus(1, 2, 3, 4);
    page.plothyphone(1, 2, 3, 4);
    page.plotdot(1, 2, 3, 4);
    page.usefont();
    page.endfont();
    page.setfontpara(1, 2, 3);
    page.setfontsize(short(1), short(2));
    page.setfontsize(1, 2);
    page.tateyoko(1);
    EXPECT_EQ(body(page), "");
}

}  // namespace
