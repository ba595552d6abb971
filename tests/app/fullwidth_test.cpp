// to_fullwidth: single-byte Shift_JIS characters to their full-width forms.
#include "app/fullwidth.h"
#include "graph/font.h"
#include "platform/charset.h"
#include "tests/graph/font_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

TEST(Fullwidth, ConvertsLettersDigitsPunctuationAndKana)
{
    // The literals of this test are Shift_JIS, like the program's.
    EXPECT_EQ(to_fullwidth("A1234S"), "Ａ１２３４Ｓ");
    EXPECT_EQ(to_fullwidth(""), "");
    EXPECT_EQ(to_fullwidth(" "), "\x81\x40");
    EXPECT_EQ(to_fullwidth("0"), "\x82\x4F");
    EXPECT_EQ(to_fullwidth("A"), "\x82\x60");
    EXPECT_EQ(to_fullwidth(":"), "\x81\x46");
    EXPECT_EQ(to_fullwidth("-"), "\x81\x7C");
    EXPECT_EQ(to_fullwidth("10:15:02"), "１０：１５：０２");
    EXPECT_EQ(to_fullwidth("z~"), "ｚ￣");
    EXPECT_EQ(to_fullwidth("\xB1\xB6\xDD\xDE\xDF\xA1\xB0"), "アカン゛゜。ー");
}

TEST(Fullwidth, DropsDoubleByteAndUnmappedCharacters)
{
    // 銀 is a double-byte character, 0x7F and 0x80 have no full-width form;
    // a trail byte that looks like ASCII ("\x83\x41" is ア) is not converted.
    EXPECT_EQ(to_fullwidth("A銀B"), "ＡＢ");
    EXPECT_EQ(to_fullwidth("\x83\x41"
                           "1"),
              "１");
    EXPECT_EQ(to_fullwidth("1\x7F\x80\xA0\xFD"
                           "2"),
              "１２");
    // A lead byte at the very end has no trail and is dropped.
    EXPECT_EQ(to_fullwidth("9\x88"), "９");
    EXPECT_EQ(to_fullwidth(std::string("4\0"
                                       "5",
                                       3)),
              "４５");
}

TEST(Fullwidth, StopsAfter127Characters)
{
    const std::string out = to_fullwidth(std::string(200, '7'));
    EXPECT_EQ(out.size(), 254u);
    for (std::size_t i = 0; i < out.size(); i += 2)
        ASSERT_EQ(out.substr(i, 2), "７") << i;

    // Characters that produce nothing still count toward the 127.
    std::string mixed;
    for (int i = 0; i < 100; ++i)
        mixed += "銀";
    mixed += std::string(50, 'A');
    EXPECT_EQ(to_fullwidth(mixed).size(), 2u * 27u);
}

TEST(Fullwidth, EveryFormIsTheMatchingDrawableCharacter)
{
    for (int b = 0x20; b <= 0xDF; ++b) {
        if (b > 0x7E && b < 0xA1)
            continue;
        const std::string in(1, static_cast<char>(b));
        const std::string out = to_fullwidth(in);
        ASSERT_EQ(out.size(), 2u) << std::hex << b;

        // Each form has a real glyph in the font, not the filler of an empty code.
        const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) * 256 +
                                                     static_cast<unsigned char>(out[1]));
        const FontRecord* glyph = fontRecord(code);
        ASSERT_NE(glyph, nullptr) << std::hex << b;
        // ･ becomes ・, the middle dot itself.
        EXPECT_TRUE(b == 0xA5 || !isMiddleDot(*glyph)) << std::hex << b;

        // ASCII forms are the Unicode full-width forms, except where the byte
        // reads as JIS X 0201 (" ' \ ~ become ” ’ ￥ ￣).
        const std::string utf8 = cp932ToUtf8(out);
        if (b < 0x7F && b != '"' && b != '\'' && b != '\\' && b != '~') {
            const char32_t expected = b == ' ' ? U'\u3000' : static_cast<char32_t>(0xFF00 + b - 0x20);
            const std::string expectedUtf8 = {static_cast<char>(0xE0 | (expected >> 12)),
                                              static_cast<char>(0x80 | ((expected >> 6) & 0x3F)),
                                              static_cast<char>(0x80 | (expected & 0x3F))};
            EXPECT_EQ(utf8, expectedUtf8) << std::hex << b;
        }
    }
}
