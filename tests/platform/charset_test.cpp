// UTF-8 -> CP932 streaming conversion and CP932 -> UTF-8.

#include "platform/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string geta = "\x81\xAC";

// Converts text fed in pieces of the given sizes (the last piece takes the rest).
std::string convertInPieces(const std::string& text, std::initializer_list<std::size_t> sizes)
{
    Cp932Stream stream;
    cp932_begin(stream);
    std::string out;
    std::size_t at = 0;
    for (std::size_t size : sizes) {
        cp932_feed(stream, std::string_view(text).substr(at, size), out);
        at += std::min(size, text.size() - at);
    }
    cp932_feed(stream, std::string_view(text).substr(at), out);
    cp932_end(stream, out);
    return out;
}

TEST(Charset, LeadBytesStartEveryDoubleByteCharacterAndNoSingleOne)
{
    // Every character of the Basic Multilingual Plane that has a CP932 form:
    // a two-byte form starts with a lead byte, a one-byte form is none.
    int doubles = 0;
    for (char32_t u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        char utf8[4];
        std::size_t n = 0;
        if (u < 0x80) {
            utf8[n++] = static_cast<char>(u);
        } else if (u < 0x800) {
            utf8[n++] = static_cast<char>(0xC0 | u >> 6);
            utf8[n++] = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            utf8[n++] = static_cast<char>(0xE0 | u >> 12);
            utf8[n++] = static_cast<char>(0x80 | (u >> 6 & 0x3F));
            utf8[n++] = static_cast<char>(0x80 | (u & 0x3F));
        }
        const std::string cp932 = utf8ToCp932(std::string_view(utf8, n));
        if (cp932 == geta && u != U'〓')
            continue;
        ASSERT_TRUE(cp932.size() == 1 || cp932.size() == 2) << std::hex << static_cast<unsigned>(u);
        EXPECT_EQ(isShiftJisLead(static_cast<unsigned char>(cp932[0])), cp932.size() == 2)
            << std::hex << static_cast<unsigned>(u);
        doubles += cp932.size() == 2;
    }
    EXPECT_GT(doubles, 7000);
}

TEST(Charset, KnownCharactersConvertToTheirCp932Bytes)
{
    struct Case {
        const char* utf8;
        const char* cp932;
    };
    const Case cases[] = {
        {"odpt:Train", "odpt:Train"},
        {"東京", "\x93\x8C\x8B\x9E"},
        {"現在、平常どおり", "\x8C\xBB\x8D\xDD\x81\x41\x95\xBD\x8F\xED\x82\xC7\x82\xA8\x82\xE8"},
        {"〜", "\x81\x60"},  // U+301C, used in disruption texts
        {"～", "\x81\x60"},  // U+FF5E
        {"Ａ１", "\x82\x60\x82\x50"},
        {"ｱ", "\xB1"},  // half-width katakana stays one byte
        {"①", "\x87\x40"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932) << c.utf8;
}

TEST(Charset, CharactersWithoutCp932FormBecomeGetaAndTheTextGoesOn)
{
    EXPECT_EQ(utf8ToCp932("a😀b"), "a" + geta + "b");
    EXPECT_EQ(utf8ToCp932("caf\xC3\xA9!"), "caf" + geta + "!");
    EXPECT_EQ(utf8ToCp932("😀😀"), geta + geta);
}

TEST(Charset, InvalidUtf8BecomesOneGetaPerBrokenSequence)
{
    EXPECT_EQ(utf8ToCp932("x\x80y"), "x" + geta + "y");
    // A three-byte lead with only one continuation, then ASCII: one broken character.
    EXPECT_EQ(utf8ToCp932("\xE3\x81"
                          "A"),
              geta + "A");
    EXPECT_EQ(utf8ToCp932("\xFF\xFE"), geta + geta);
    // Cut inside a character at the very end of the stream.
    EXPECT_EQ(utf8ToCp932("ok\xE6\x9D"), "ok" + geta);
}

TEST(Charset, EverySplitOfAChunkGivesTheSameTextAsTheWhole)
{
    const std::string text = "[{\"t\":\"東京メトロ〜😀é銀座線①ｱ\"}]\xE3\x81";
    const std::string whole = utf8ToCp932(text);
    for (std::size_t a = 0; a <= text.size(); ++a) {
        EXPECT_EQ(convertInPieces(text, {a}), whole) << "split at " << a;
        for (std::size_t b = 0; a + b <= text.size(); ++b)
            ASSERT_EQ(convertInPieces(text, {a, b}), whole) << "splits at " << a << "," << a + b;
    }
    std::string byByte;
    Cp932Stream stream;
    cp932_begin(stream);
    for (char c : text)
        cp932_feed(stream, std::string_view(&c, 1), byByte);
    cp932_end(stream, byByte);
    EXPECT_EQ(byByte, whole);
}

TEST(Charset, ConversionLongerThanOneOutputStep)
{
    std::string utf8;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        utf8 += i % 7 == 0 ? "😀" : "駅";
        expected += i % 7 == 0 ? geta : "\x89\x77";
    }
    EXPECT_EQ(utf8ToCp932(utf8), expected);
    EXPECT_EQ(convertInPieces(utf8, {4095, 1, 4097}), expected);
}

TEST(Charset, Cp932ToUtf8RoundTripsAndReplacesBadBytes)
{
    const std::string japanese = "現在、平常どおり運転しています。～Ａ①ｱ";
    EXPECT_EQ(cp932ToUtf8(utf8ToCp932(japanese)), japanese);
    // Both wave dashes share one CP932 code, which reads back as the full-width tilde.
    EXPECT_EQ(cp932ToUtf8(utf8ToCp932("〜")), "～");
    EXPECT_EQ(cp932ToUtf8("a\x80"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(cp932ToUtf8("end\x81"), "end\xEF\xBF\xBD");
    // A lead byte followed by a byte that cannot trail it keeps that byte.
    EXPECT_EQ(cp932ToUtf8("\x81 x"), "\xEF\xBF\xBD x");
    EXPECT_EQ(cp932ToUtf8(""), "");
}

}  // namespace
