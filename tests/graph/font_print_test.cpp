// GraphPort::print, findglyph and putglyph, checked pixel by pixel on the
// headless off-screen bitmap.
#include "graph/font.h"
#include "graph/graphport.h"
#include "tests/graph/font_check.h"
#include "qwin/qwin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pixel = std::pair<int, int>;
using PixelSet = std::set<Pixel>;

constexpr int ink = 14;
const char middleDot[] = "\x81\x45";

// Every pixel of the bitmap that is not black; each must be in colour `ink`.
PixelSet litPixels()
{
    PixelSet lit;
    for (int y = 0; y < qwin_height; ++y) {
        for (int x = 0; x < qwin_width; ++x) {
            const std::uint32_t p = qwin_pixel(x, y);
            if (p == 0)
                continue;
            EXPECT_EQ(p, qwin_rgb(ink)) << x << "," << y;
            lit.insert({x, y});
        }
    }
    return lit;
}

// The pixels of a rectangle of points, x0..x1 by y0..y1, both inclusive.
void addBlock(PixelSet& s, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            s.insert({x, y});
}

// The inked pixels of a font record drawn at scale 1.0 from (x, y).
PixelSet glyphPixels(const FontRecord& r, int x, int y)
{
    PixelSet s;
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col)
            if (hasInk(r, col, row))
                s.insert({x + col, y + row});
    return s;
}

const FontRecord& recordOf(std::uint16_t code)
{
    if (const FontRecord* r = fontRecord(code))
        return *r;
    ADD_FAILURE() << "no record " << std::hex << code;
    return fontTable[0];
}

// A 34-byte glyph with ink at the given (column, row) dots.
std::vector<unsigned char> glyphWith(std::initializer_list<Pixel> dots)
{
    std::vector<unsigned char> g(kGlyphByteCount, 0);
    g[0] = g[1] = 16;
    for (auto [c, r] : dots)
        g[2 + r * 2 + c / 8] |= static_cast<unsigned char>(0x80 >> (c % 8));
    return g;
}

class FontPrint : public ::testing::Test {
protected:
    GraphPort port;
};

}  // namespace

TEST_F(FontPrint, MiddleDotAtScaleOneAndTwo)
{
    port.print(middleDot, 0, 0, ink, 1.0f, 0);
    PixelSet expected;
    addBlock(expected, 6, 5, 8, 7);
    EXPECT_EQ(litPixels(), expected);

    // At 2.0 the dots spread to every other pixel and are joined into a
    // lattice; the gaps between the lines stay empty.
    qwin_cls();
    port.print(middleDot, 0, 0, ink, 2.0f, 0);
    PixelSet lattice;
    for (int y : {10, 12, 14})
        addBlock(lattice, 12, y, 16, y);
    for (int x : {12, 14, 16})
        addBlock(lattice, x, 10, x, 14);
    const PixelSet lit = litPixels();
    EXPECT_EQ(lit, lattice);
    EXPECT_EQ(lit.count({13, 11}), 0u);
}

TEST_F(FontPrint, CharactersAdvanceInEachDirection)
{
    struct Case {
        int direction;
        int secondX;
        int secondY;
    };
    for (Case c :
         {Case{0, 116, 50}, Case{1, 100, 66}, Case{2, 116, 66}, Case{7, 116, 50}, Case{-1, 116, 50}}) {
        qwin_cls();
        port.print("\x81\x45\x81\x45", 100, 50, ink, 1.0f, c.direction);
        PixelSet expected;
        addBlock(expected, 106, 55, 108, 57);
        addBlock(expected, c.secondX + 6, c.secondY + 5, c.secondX + 8, c.secondY + 7);
        EXPECT_EQ(litPixels(), expected) << "direction " << c.direction;
    }
}

TEST_F(FontPrint, ReducedScalesTruncateInDoublePrecision)
{
    // Column offsets of a glyph, read back from the dot grid.
    struct Case {
        float scale;
        int columns[16];
        int starts[7];
    };
    const Case cases[] = {
        {0.8f, {0, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12}, {0, 12, 25, 38, 51, 64, 76}},
        {0.7f, {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 9, 9, 10}, {0, 11, 22, 33, 44, 55, 67}},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> g = glyphWith({});
        port.putglyph(g.data(), 20, 30, ink, c.scale);
        for (int col = 0; col < 16; ++col) {
            EXPECT_EQ(port.dots[col][0].x, 20 + c.columns[col]) << c.scale << " column " << col;
            EXPECT_EQ(port.dots[0][col].y, 30 + c.columns[col]) << c.scale << " row " << col;
        }

        // Seven middle dots: each character's dot lands at its start plus the
        // offsets of columns 6-8 and rows 5-7.
        qwin_cls();
        std::string text;
        for (int k = 0; k < 7; ++k)
            text += middleDot;
        port.print(text.c_str(), 0, 0, ink, c.scale, 0);
        PixelSet expected;
        for (int start : c.starts)
            for (int col = 6; col <= 8; ++col)
                for (int row = 5; row <= 7; ++row)
                    expected.insert({start + c.columns[col], c.columns[row]});
        EXPECT_EQ(litPixels(), expected) << "scale " << c.scale;
    }
}

TEST_F(FontPrint, TextsThatDrawNothingOrLess)
{
    // Single-byte text forms codes outside the font; an empty text and a
    // code missing after a drawn glyph leave nothing (the buffer was consumed).
    port.print("AB", 10, 10, ink, 1.0f, 0);
    port.print("", 10, 10, ink, 1.0f, 0);
    port.print("\x98\x9F", 10, 10, ink, 1.0f, 0);
    port.print(nullptr, 10, 10, ink, 1.0f, 0);
    EXPECT_TRUE(litPixels().empty());

    // A trailing odd byte is not a character.
    port.print("\x81\x45\x81", 0, 0, ink, 1.0f, 0);
    PixelSet one;
    addBlock(one, 6, 5, 8, 7);
    EXPECT_EQ(litPixels(), one);

    // A missing code, the ideographic space and a code of an empty cell each
    // take a character's place; the empty cell shows the middle dot.
    qwin_cls();
    port.print("\x81\x45\x98\x9F\x81\x45\x81\x40\x82\x40", 0, 100, ink, 1.0f, 0);
    PixelSet places;
    for (int start : {0, 32, 64})
        addBlock(places, start + 6, 105, start + 8, 107);
    EXPECT_EQ(litPixels(), places);
}

TEST_F(FontPrint, OutOfRangeArgumentsAreReplaced)
{
    // Negative positions become 100.
    port.print(middleDot, -5, 0, ink, 1.0f, 0);
    port.print(middleDot, 200, -1, ink, 1.0f, 0);
    PixelSet expected;
    addBlock(expected, 106, 5, 108, 7);
    addBlock(expected, 206, 105, 208, 107);
    EXPECT_EQ(litPixels(), expected);

    // Scales below 0.1, or not a number, become 4.0: a lattice of 4-pixel steps.
    PixelSet lattice;
    for (int y : {20, 24, 28})
        addBlock(lattice, 24, y, 32, y);
    for (int x : {24, 28, 32})
        addBlock(lattice, x, 20, x, 28);
    for (float scale : {0.05f, 0.0f, -2.0f, std::nanf("")}) {
        qwin_cls();
        std::vector<unsigned char> g =
            glyphWith({{6, 5}, {7, 5}, {8, 5}, {6, 6}, {7, 6}, {8, 6}, {6, 7}, {7, 7}, {8, 7}});
        port.putglyph(g.data(), 0, 0, ink, scale);
        EXPECT_EQ(litPixels(), lattice) << "scale " << scale;
    }
}

TEST_F(FontPrint, DotsJoinSidewaysDownwardsAndDiagonally)
{
    struct Case {
        const char* what;
        std::vector<unsigned char> glyph;
        PixelSet expected;
    };
    const Case cases[] = {
        // A lone dot is one pixel however large the scale.
        {"lone", glyphWith({{1, 1}}), {{3, 3}}},
        // Down-right diagonal: one line from the upper dot.
        {"diagonal", glyphWith({{0, 0}, {1, 1}}), {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        // Down-left diagonal.
        {"anti-diagonal", glyphWith({{1, 0}, {0, 1}}), {{3, 0}, {2, 1}, {1, 2}, {0, 3}}},
        // No diagonal when the dot is already joined through its left neighbour.
        {"corner",
         glyphWith({{0, 0}, {0, 1}, {1, 1}}),
         {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}}},
        // Down-left diagonal from the last column.
        {"edge", glyphWith({{15, 0}, {14, 1}}), {{45, 0}, {44, 1}, {43, 2}, {42, 3}}},
    };
    for (const Case& c : cases) {
        qwin_cls();
        std::vector<unsigned char> g = c.glyph;
        port.putglyph(g.data(), 0, 0, ink, 3.0f);
        EXPECT_EQ(litPixels(), c.expected) << c.what;
    }
}

TEST_F(FontPrint, ScaleOneSetsExactlyTheInkedPixels)
{
    // あ 亜 腕 ① ㍉ ∑ ▼ Ｚ: each drawn alone must reproduce its bitmap.
    for (std::uint16_t code : {0x82A0, 0x889F, 0x9872, 0x8740, 0x875F, 0x8794, 0x81A5, 0x8279}) {
        qwin_cls();
        const char text[] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), 0};
        port.print(text, 300, 200, ink, 1.0f, 0);
        EXPECT_EQ(litPixels(), glyphPixels(recordOf(code), 300, 200)) << std::hex << code;
    }
}

TEST_F(FontPrint, FindglyphCopiesOrLeavesTheBuffer)
{
    unsigned char buffer[kGlyphByteCount];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(port.findglyph(0x989F, buffer), 0);
    EXPECT_EQ(port.findglyph(0x4142, buffer), 0);
    EXPECT_EQ(port.findglyph(0xFFFF, buffer), 0);
    for (unsigned char b : buffer)
        EXPECT_EQ(b, 0xAA);

    for (std::uint16_t code : {0x8140, 0x889F, 0x989E}) {
        ASSERT_EQ(port.findglyph(code, buffer), 1);
        EXPECT_EQ(buffer[0], 16);
        EXPECT_EQ(buffer[1], 16);
        EXPECT_EQ(0, std::memcmp(buffer + 2, recordOf(code).bitmap, 32)) << std::hex << code;
    }

    // Drawing consumes the glyph buffer's bitmap, not its size bytes.
    port.print("\x88\x9F", 0, 0, ink, 1.0f, 0);
    EXPECT_EQ(port.glyphbytes, 34);
    EXPECT_EQ(port.fontcount, kFontRecordCount);
    EXPECT_EQ(port.glyph[0], 16);
    EXPECT_EQ(port.glyph[1], 16);
    for (int i = 2; i < kGlyphByteCount; ++i)
        EXPECT_EQ(port.glyph[i], 0) << i;
}

TEST_F(FontPrint, ExtremeArgumentsStayInBounds)
{
    // A text filling the whole 512-byte capacity without a terminator is
    // read no further (ASan would report the overrun).
    std::vector<char> full(512);
    for (std::size_t i = 0; i < full.size(); i += 2) {
        full[i] = '\x81';
        full[i + 1] = '\x45';
    }
    port.print(full.data(), 0, 0, ink, 1.0f, 0);
    EXPECT_EQ(litPixels().count({6, 5}), 1u);
    EXPECT_EQ(litPixels().count({16 * 39 + 8, 7}), 1u);

    // Positions and scales far beyond the window draw nothing and overflow nothing.
    qwin_cls();
    port.print(middleDot, 2'000'000'000, 10, ink, 1.0f, 0);
    port.print(middleDot, 10, 40'000, ink, 1.0f, 1);
    port.print("\x81\x45\x81\x45", 700, 0, ink, 1e30f, 0);
    EXPECT_TRUE(litPixels().empty());
}

TEST_F(FontPrint, FontSheetShowsEveryRow)
{
    // The first 20 cells of each of the table's 47 rows, two rows to a line,
    // every glyph exactly as its bitmap; the picture is kept for a look.
    PixelSet expected;
    int line = 0;
    for (int lead = 0x81; lead <= 0x98; ++lead) {
        for (int half = 0; half < (lead == 0x98 ? 1 : 2); ++half) {
            const int firstTrail = half == 0 ? 0x40 : 0x9F;
            const int x = half * 320;
            const int y = 8 + (line / 2) * 16;
            std::string text;
            for (int cell = 0; cell < 20; ++cell) {
                text += static_cast<char>(lead);
                text += static_cast<char>(firstTrail + cell);
                const PixelSet g = glyphPixels(
                    recordOf(static_cast<std::uint16_t>(lead * 256 + firstTrail + cell)), x + cell * 16, y);
                expected.insert(g.begin(), g.end());
            }
            port.print(text.c_str(), x, y, ink, 1.0f, 0);
            ++line;
        }
    }
    EXPECT_EQ(litPixels(), expected);
    EXPECT_TRUE(qwin_snapshot("font_sheet.png").saved);
}
