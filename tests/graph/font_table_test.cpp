// The compiled-in font table: its code set, order, filler and a few glyphs.
#include "graph/font.h"
#include "tests/graph/font_check.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

int inkCount(const FontRecord& r)
{
    int n = 0;
    for (std::uint8_t b : r.bitmap)
        n += static_cast<int>(std::bitset<8>(b).count());
    return n;
}

// Number of rows and the longest horizontal run of ink.
struct InkShape {
    int rows;
    int longestRun;
};

InkShape shapeOf(const FontRecord& r)
{
    InkShape s{0, 0};
    for (int row = 0; row < 16; ++row) {
        int run = 0;
        bool any = false;
        for (int col = 0; col < 16; ++col) {
            run = hasInk(r, col, row) ? run + 1 : 0;
            any = any || run > 0;
            s.longestRun = std::max(s.longestRun, run);
        }
        s.rows += any;
    }
    return s;
}

}  // namespace

TEST(FontTable, HoldsExactlyTheCodeSetInAscendingOrder)
{
    std::vector<std::uint16_t> expected;
    for (int lead = 0x81; lead <= 0x98; ++lead) {
        const int last = lead == 0x85 ? 0xDD : lead == 0x98 ? 0x9E : 0xFC;
        for (int trail = 0x40; trail <= last; ++trail)
            if (trail != 0x7F)
                expected.push_back(static_cast<std::uint16_t>(lead * 256 + trail));
    }
    ASSERT_EQ(expected.size(), 4387u);
    ASSERT_EQ(sizeof fontTable / sizeof fontTable[0], expected.size());

    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(fontTable[i].code, expected[i]) << "record " << i;
        EXPECT_EQ(fontTable[i].width, 16) << std::hex << fontTable[i].code;
        EXPECT_EQ(fontTable[i].height, 16) << std::hex << fontTable[i].code;
    }
    // The code is stored lead byte second, as the record layout promises.
    unsigned char first[2];
    std::memcpy(first, &fontTable[0], 2);
    EXPECT_EQ(first[0], 0x40);
    EXPECT_EQ(first[1], 0x81);
}

TEST(FontTable, CodesWithoutCharactersCarryTheMiddleDot)
{
    const FontRecord* dot = fontRecord(0x8145);
    ASSERT_NE(dot, nullptr);
    EXPECT_TRUE(isMiddleDot(*dot));

    // Gaps in rows 1-8 and 13, and the first and last codes of the table's
    // empty stretches.
    std::vector<std::uint16_t> holes = {0x8240, 0x81AD, 0x84BF, 0x875E, 0x8776, 0x879D, 0x879E};
    for (const FontRecord& r : fontTable) {
        const bool rows9to12 = r.code >= 0x8540 && r.code <= 0x86FC;
        const bool rows14and15 = r.code >= 0x879F && r.code <= 0x889E;
        const bool afterLastKanji = r.code >= 0x9873;
        if (rows9to12 || rows14and15 || afterLastKanji)
            holes.push_back(r.code);
    }
    EXPECT_EQ(holes.size(), 7u + (157 + 188) + 188 + 43);
    for (std::uint16_t code : holes) {
        const FontRecord* r = fontRecord(code);
        ASSERT_NE(r, nullptr) << std::hex << code;
        EXPECT_TRUE(isMiddleDot(*r)) << std::hex << code;
    }
}

TEST(FontTable, OnlyTheIdeographicSpaceIsBlank)
{
    int blanks = 0;
    for (const FontRecord& r : fontTable) {
        if (inkCount(r) == 0) {
            ++blanks;
            EXPECT_EQ(r.code, 0x8140);
        }
    }
    EXPECT_EQ(blanks, 1);
    EXPECT_EQ(fontRecord(0x989F), nullptr);
    EXPECT_EQ(fontRecord(0x9940), nullptr);
}

TEST(FontTable, CharactersHavePlausibleGlyphs)
{
    // あ 亜 腕 ① Ⅰ ㍉ ∑ ▼ Ａ ア
    for (std::uint16_t code :
         {0x82A0, 0x889F, 0x9872, 0x8740, 0x8754, 0x875F, 0x8794, 0x81A5, 0x8260, 0x8341}) {
        const FontRecord* r = fontRecord(code);
        ASSERT_NE(r, nullptr) << std::hex << code;
        EXPECT_FALSE(isMiddleDot(*r)) << std::hex << code;
        EXPECT_GE(inkCount(*r), 12) << std::hex << code;
        EXPECT_LE(inkCount(*r), 160) << std::hex << code;
    }

    // Shapes that a row/cell slip would break: 一 is one bar, 三 three bars,
    // ｜ and Ⅰ are upright strokes.
    const InkShape one = shapeOf(*fontRecord(0x88EA));
    EXPECT_LE(one.rows, 2);
    EXPECT_GE(one.longestRun, 12);
    const InkShape three = shapeOf(*fontRecord(0x8E4F));
    EXPECT_GE(three.rows, 3);
    EXPECT_LE(three.rows, 6);
    for (std::uint16_t code : {0x8162, 0x8754}) {
        const InkShape bar = shapeOf(*fontRecord(code));
        EXPECT_GE(bar.rows, 10) << std::hex << code;
        EXPECT_LE(bar.longestRun, 8) << std::hex << code;
    }

    // Row 13's copies of row-2 symbols share their glyphs: ≒ and ∪.
    EXPECT_EQ(0, std::memcmp(fontRecord(0x8790)->bitmap, fontRecord(0x81E0)->bitmap, 32));
    EXPECT_EQ(0, std::memcmp(fontRecord(0x879C)->bitmap, fontRecord(0x81BE)->bitmap, 32));
    // Hiragana small and full sizes differ: ぁ has less ink than あ.
    EXPECT_LT(inkCount(*fontRecord(0x829F)), inkCount(*fontRecord(0x82A0)));
}

TEST(FontTable, KanaAndKanjiGlyphsAreDistinct)
{
    // A mapping fault (a source row read twice, a cell slip) repeats glyphs.
    // Latin, Greek and Cyrillic lookalikes and row 13's copies of row-2
    // symbols may share glyphs; kana and kanji never do.
    std::vector<const FontRecord*> glyphs;
    for (const FontRecord& r : fontTable)
        if (!isMiddleDot(r) && r.code != 0x8140)
            glyphs.push_back(&r);
    // 524 characters in rows 1-8, 83 in row 13 and 2965 kanji, less the
    // ideographic space and the middle dot.
    EXPECT_EQ(glyphs.size(), 524u + 83u + 2965u - 2u);
    auto kanaOrKanji = [](std::uint16_t code) {
        return (code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8396) || code >= 0x889F;
    };
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        for (std::size_t j = i + 1; j < glyphs.size(); ++j) {
            if (!kanaOrKanji(glyphs[i]->code) && !kanaOrKanji(glyphs[j]->code))
                continue;
            EXPECT_NE(0, std::memcmp(glyphs[i]->bitmap, glyphs[j]->bitmap, 32))
                << std::hex << glyphs[i]->code << " " << glyphs[j]->code;
        }
    }
}
