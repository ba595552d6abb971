// Tick marks and labels of the four axis operations on the default frame.
#include <sstream>
#include <string>
#include <vector>

#include "page_support.h"

namespace {

// The statements of one kind ("J", "L" or "Z") in a page body, in order,
// without the operator.
std::vector<std::string> statements(const std::string& text, const std::string& op)
{
    std::vector<std::string> found;
    std::istringstream lines(text);
    const std::string tail = " " + op;
    for (std::string line; std::getline(lines, line);)
        if (line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
            found.push_back(line.substr(0, line.size() - tail.size()));
    return found;
}

using PsdrawAxes = PageTest;

TEST_F(PsdrawAxes, RealXAxisHasSixTicksAlongTheBottom)
{
    psdraw page;
    page.gopen(nullptr);
    page.xaxis(0.0f, 1.0f, 0);
    const std::string text = body(page);
    EXPECT_EQ(statements(text, "J"),
              (std::vector<std::string>{"92 81", "92 64", "175 81", "175 64", "258 81", "258 64", "341 81",
                                        "341 64", "424 81", "424 64", "507 81", "507 64"}));
    EXPECT_EQ(statements(text, "L"),
              (std::vector<std::string>{"92 76", "175 76", "258 76", "341 76", "424 76", "507 76"}));
    EXPECT_EQ(statements(text, "Z"), (std::vector<std::string>{"(0.000000)", "(0.199519)", "(0.399038)",
                                                               "(0.598558)", "(0.798077)", "(0.997596)"}));
    // Ticks and labels are black.
    EXPECT_EQ(text.rfind(" 0.000000 A\nN\n92 81 J\n92 76 L\nS\n 0.000000 A\n92 64 J\n(0.000000) Z\n", 0), 0u);
}

TEST_F(PsdrawAxes, IntegerXAxisCentresItsLabelsOneLineLower)
{
    psdraw page;
    page.gopen(nullptr);
    page.xaxis(-1000, 7320);
    const std::string text = body(page);
    EXPECT_EQ(statements(text, "Z"),
              (std::vector<std::string>{"(-1000)", "(660)", "(2320)", "(3980)", "(5640)", "(7300)"}));
    EXPECT_EQ(statements(text, "J"),
              (std::vector<std::string>{"92 81", "62 52", "175 81", "157 52", "258 81", "234 52", "341 81",
                                        "317 52", "424 81", "400 52", "507 81", "483 52"}));
}

TEST_F(PsdrawAxes, RealYAxisHasElevenTicksPointingLeft)
{
    psdraw page;
    page.gopen(nullptr);
    page.yaxis(0.0f, 588.0f, 0);
    const std::string text = body(page);
    std::vector<std::string> ticks, ends, labelsAt, labels;
    for (int i = 0; i <= 580; i += 58) {
        ticks.push_back("92 " + std::to_string(76 + i));
        ends.push_back("88 " + std::to_string(76 + i));
        labelsAt.push_back("47 " + std::to_string(70 + i));
        labels.push_back("(" + std::to_string(i) + ".000000)");
    }
    std::vector<std::string> moves;
    for (std::size_t k = 0; k < ticks.size(); ++k) {
        moves.push_back(ticks[k]);
        moves.push_back(labelsAt[k]);
    }
    EXPECT_EQ(statements(text, "J"), moves);
    EXPECT_EQ(statements(text, "L"), ends);
    EXPECT_EQ(statements(text, "Z"), labels);
}

TEST_F(PsdrawAxes, IntegerYAxisMarksMultiplesOfItsScaleWithTicksPointingRight)
{
    psdraw page;
    page.gopen(nullptr);
    page.yaxis(0, 100);
    const std::string text = body(page);
    const int offsets[] = {0, 58, 117, 176, 235, 294, 352, 411, 470, 529, 588};
    const int baselines[] = {58, 116, 175, 234, 293, 352, 410, 469, 528, 587, 646};
    std::vector<std::string> moves, ends, labels;
    for (int k = 0; k < 11; ++k) {
        moves.push_back("92 " + std::to_string(76 + offsets[k]));
        moves.push_back("47 " + std::to_string(baselines[k]));
        ends.push_back("96 " + std::to_string(76 + offsets[k]));
        labels.push_back("(" + std::to_string(10 * k) + ")");
    }
    EXPECT_EQ(statements(text, "J"), moves);
    EXPECT_EQ(statements(text, "L"), ends);
    EXPECT_EQ(statements(text, "Z"), labels);
}

TEST_F(PsdrawAxes, IntegerYAxisStartsAtTheFirstMultipleAndMarksEveryValueOnSmallRanges)
{
    psdraw page;
    page.gopen(nullptr);
    page.yaxis(-25, 25);
    EXPECT_EQ(statements(body(page), "Z"),
              (std::vector<std::string>{"(-20)", "(-10)", "(0)", "(10)", "(20)"}));

    std::string small = "small";
    psdraw each;
    each.gopen(reinterpret_cast<unsigned char*>(small.data()));
    each.yaxis(-3, 3);
    EXPECT_EQ(statements(body(each), "Z"),
              (std::vector<std::string>{"(-3)", "(-2)", "(-1)", "(0)", "(1)", "(2)", "(3)"}));

    std::string wide = "wide";
    psdraw huge;
    huge.gopen(reinterpret_cast<unsigned char*>(wide.data()));
    huge.yaxis(-2000000000, 2000000000);
    const std::vector<std::string> labels = statements(body(huge), "Z");
    ASSERT_EQ(labels.size(), 19u);
    EXPECT_EQ(labels.front(), "(-1932735276)");
    EXPECT_EQ(labels[9], "(0)");
    EXPECT_EQ(labels.back(), "(1932735276)");
}

TEST_F(PsdrawAxes, EmptyRangesAndTooSmallFramesDrawNothing)
{
    psdraw page;
    page.gopen(nullptr);
    page.xaxis(5, 5);
    page.xaxis(9, 2);
    page.xaxis(1.0f, 1.0f, 0);
    page.yaxis(5.0f, 2.0f, 0);
    page.yaxis(5, 5);
    page.yaxis(7, 3);
    EXPECT_EQ(body(page), "");

    page.setratio(0.01f, 3, 50);
    ASSERT_LT(page.xspan, 5);
    ASSERT_LT(page.yspan, 10);
    page.xaxis(0.0f, 1.0f, 0);
    page.xaxis(0, 10);
    page.yaxis(0.0f, 1.0f, 0);
    EXPECT_EQ(body(page), "");
}

TEST_F(PsdrawAxes, FramesAtTheEdgeOfTheIntRangeStillDrawTheirTicks)
{
    psdraw page;
    page.gopen(nullptr);
    // Offsets this large push xshift, left and bottom to the int limits,
    // where the label column (xshift + left) / 2 and the label line
    // bottom + 12 would overflow.
    page.setratio(1.0f, 2147483647, -2147483647 - 1);
    ASSERT_EQ(page.xshift, 2147483647);
    ASSERT_EQ(page.left, 2147483647);
    ASSERT_EQ(page.yspan, 588);
    page.yaxis(0.0f, 1.0f, 0);
    page.yaxis(0, 100);
    // Every tick starts at left, written as the 16-bit x -1.
    std::vector<std::string> starts = statements(body(page), "J");
    EXPECT_EQ(statements(body(page), "L").size(), 22u);
    for (const std::string& at : starts)
        EXPECT_EQ(at.substr(0, 3), "-1 ") << at;

    page.setxratio(1.0f, 3);
    page.bottom = 2147483647;
    page.xaxis(0, 100);
    EXPECT_EQ(statements(body(page), "L").size(), 22u + 6);
}

}  // namespace
