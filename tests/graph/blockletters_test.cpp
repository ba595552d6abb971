// Block-letter cells: dot boxes at several sizes, glyph choice, cell advance
// and the current-colour bookkeeping, checked on the headless bitmap.
#include "graph/graphport.h"
#include "qwin/qwin.h"
#include "tests/qwin/pixel_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Column (and row) boundaries of the 8 x 8 dot grid for a cell size, worked
// out by hand: dot i spans [b[i], b[i + 1]).
const std::vector<int> bounds_4 = {0, 0, 1, 1, 2, 2, 3, 3, 4};
const std::vector<int> bounds_8 = {0, 1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<int> bounds_10 = {0, 1, 2, 3, 5, 6, 7, 8, 10};
const std::vector<int> bounds_14 = {0, 1, 3, 5, 7, 8, 10, 12, 14};

// The picture of glyph `rows` (bit 7 = column 0) in the cell at (x, y).
PixelSet glyph_pixels(const std::vector<unsigned>& rows, const std::vector<int>& b, int x, int y)
{
    PixelSet pixels;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            if (rows[r] & (0x80u >> c))
                for (const auto& p : pixel_block(x + b[c], y + b[r], x + b[c + 1], y + b[r + 1]))
                    pixels.insert(p);
    return pixels;
}

const std::vector<unsigned> glyph_a = {0x08, 0x14, 0x24, 0x00, 0x7E, 0x00, 0x81, 0x81};
const std::vector<unsigned> glyph_b = {0xF8, 0x84, 0x84, 0xF8, 0x86, 0x81, 0x82, 0xFC};
const std::vector<unsigned> glyph_o = {0x3C, 0x42, 0x81, 0x81, 0x81, 0x41, 0x22, 0x1C};
const std::vector<unsigned> glyph_1 = {0x08, 0x18, 0x08, 0x08, 0x08, 0x08, 0x08, 0x1C};

class BlockLetters : public ::testing::Test {
protected:
    GraphPort port;
    void SetUp() override { port.gopen("RATIO"); }
};

TEST_F(BlockLetters, DotBoxesAtEachCellSize)
{
    port.plotstr("A", 100, 50, 8, red);
    EXPECT_EQ(only_pixels(glyph_pixels(glyph_a, bounds_8, 100, 50), red), "") << "size 8: one pixel a dot";
    // The worked reading of 'A', row 4: columns 1-6.
    EXPECT_EQ(pixels_in(red).count({101, 54}), 1u);
    EXPECT_EQ(pixels_in(red).count({107, 54}), 0u);

    qwin_cls();
    port.plotstr("A", 100, 50, 14, red);
    EXPECT_EQ(only_pixels(glyph_pixels(glyph_a, bounds_14, 100, 50), red), "") << "size 14";

    qwin_cls();
    port.plotstr("B", 200, 20, 10, red);
    EXPECT_EQ(only_pixels(glyph_pixels(glyph_b, bounds_10, 200, 20), red), "") << "size 10";

    // Size 4: column 0 and the even rows have no width or height, so of 'H'
    // only column 7 (x + 3) in rows 1, 3, 5, 7 (y 0-3) remains.
    qwin_cls();
    port.plotstr("H", 300, 30, 4, red);
    EXPECT_EQ(only_pixels(pixel_block(303, 30, 304, 34), red), "") << "size 4";
    EXPECT_EQ(glyph_pixels({0x81, 0x81, 0x81, 0x81, 0xFF, 0x81, 0x81, 0x81}, bounds_4, 300, 30),
              pixel_block(303, 30, 304, 34));
}

TEST_F(BlockLetters, ZeroIsTheLetterOWithTheStemOfOne)
{
    std::vector<unsigned> zero(8);
    for (int r = 0; r < 8; ++r)
        zero[r] = glyph_o[r] | glyph_1[r];
    port.plotstr("0O", 0, 0, 8, red);
    PixelSet expected = glyph_pixels(zero, bounds_8, 0, 0);
    for (const auto& p : glyph_pixels(glyph_o, bounds_8, 8, 0))
        expected.insert(p);
    EXPECT_EQ(only_pixels(expected, red), "");
    EXPECT_EQ(expected.count({4, 3}), 1u) << "stem inside the zero";
    EXPECT_EQ(expected.count({12, 3}), 0u) << "no stem in the O";
}

TEST_F(BlockLetters, LowerCaseDrawsTheUpperCaseGlyph)
{
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    port.plotstr(upper.c_str(), 0, 0, 12, red);
    const PixelSet upper_picture = pixels_in(red);
    qwin_cls();
    port.plotstr("abcdefghijklmnopqrstuvwxyz", 0, 0, 12, red);
    EXPECT_EQ(pixels_in(red), upper_picture);
    EXPECT_GT(upper_picture.size(), 26u * 4);
}

TEST_F(BlockLetters, BytesWithoutGlyphsStillTakeTheirCells)
{
    port.plotstr("A B", 10, 10, 10, red);
    PixelSet expected = glyph_pixels(glyph_a, bounds_10, 10, 10);
    for (const auto& p : glyph_pixels(glyph_b, bounds_10, 30, 10))
        expected.insert(p);
    EXPECT_EQ(only_pixels(expected, red), "") << "space leaves the second cell empty";

    // 亜 in Shift_JIS is two bytes from 0x80 up: two empty cells.
    qwin_cls();
    port.plotstr(
        "\x88\x9f"
        "A",
        10, 10, 10, red);
    EXPECT_EQ(only_pixels(glyph_pixels(glyph_a, bounds_10, 30, 10), red), "");

    qwin_cls();
    port.plotstr("#!?,\x7f", 10, 10, 10, red);
    EXPECT_EQ(only_pixels({}, red), "");
}

TEST_F(BlockLetters, DefaultCellIsTen)
{
    port.plotstr("W7", 40, 60, red);
    const PixelSet short_form = pixels_in(red);
    qwin_cls();
    port.plotstr("W7", 40, 60, 10, red);
    EXPECT_EQ(pixels_in(red), short_form);
    EXPECT_FALSE(short_form.empty());
}

TEST_F(BlockLetters, UnderscoreIsAWhiteFilledBarOverRowsSixAndSeven)
{
    // Size 10: the bar is qwin_box mode 3 from (x, y + 7) to (x + 8, y + 8),
    // a single row of outline.
    port.plotstr("_", 10, 10, 10, red);
    EXPECT_EQ(only_pixels(pixel_block(10, 17, 18, 18), red), "");

    qwin_cls();
    port.plotstr("_", 10, 10, 14, red);
    EXPECT_EQ(only_pixels(pixel_block(10, 20, 22, 22), red), "") << "from (x, y + 10) to (x + 12, y + 12)";

    // Size 32: from (x, y + 24) to (x + 28, y + 28), big enough for an interior.
    qwin_cls();
    port.plotstr("_", 10, 10, 32, red);
    EXPECT_EQ(only_outlined_rect(10, 34, 38, 38, red), "");
}

TEST_F(BlockLetters, CurrentColourIsLeftAsFound)
{
    qwin_setcolor(9);
    port.plotstr("", 0, 0, 10, red);
    EXPECT_EQ(qwin_getcolor(), 9);
    port.plotstr("A_", 0, 0, 10, red);
    EXPECT_EQ(qwin_getcolor(), 9);
    EXPECT_EQ(pixels_in(9).size(), 0u) << "the bar is drawn in the glyph colour, not the saved one";

    qwin_setcolor(red);
    port.plotstr("A_", 0, 0, 10, red);
    EXPECT_EQ(qwin_getcolor(), red);
}

TEST_F(BlockLetters, TextIsCutAtTheWorkBuffer)
{
    // At size 2 an 'H' is the two pixels (x + 1, y) and (x + 1, y + 1); only
    // the first 255 of 300 letters are drawn.
    const std::string text(300, 'H');
    port.plotstr(text.c_str(), 0, 100, 2, red);
    const PixelSet drawn = pixels_in(red);
    EXPECT_EQ(drawn.size(), 255u * 2);
    EXPECT_EQ(drawn.count({254 * 2 + 1, 100}), 1u);
    EXPECT_EQ(drawn.count({255 * 2 + 1, 100}), 0u);
}

TEST_F(BlockLetters, FillCellBoxes)
{
    port.fillcell(3, 2, 50, 60, 16, red, 8);
    EXPECT_EQ(only_pixels(pixel_block(56, 64, 58, 66), red), "");
    qwin_cls();
    port.fillcell(1, 1, 50, 60, 16, red, 4);
    EXPECT_EQ(only_pixels(pixel_block(54, 64, 58, 68), red), "");
    qwin_cls();
    port.fillcell(1, 1, 50, 60, 16, red, 0);
    EXPECT_EQ(only_pixels({}, red), "") << "a cell divided no ways has no dots";
}
}  // namespace
