// Masking the consumer key in the forms servers and proxies echo it in, in
// UTF-8 and in Shift_JIS; and the last masking step of what is shown.

#include "platform/key_mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string key = "ace98bd9a9a823da79ff03890f565fe33c1b3beae37c9057fe02e24fb87db290";

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Every character %-escaped, hex digits in the given case.
std::string escaped(const std::string& s, bool upperHex)
{
    static const char lowerDigits[] = "0123456789abcdef";
    static const char upperDigits[] = "0123456789ABCDEF";
    const char* digits = upperHex ? upperDigits : lowerDigits;
    std::string out;
    for (unsigned char c : s) {
        out += '%';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Every character as JSON's \u00XX, hex digits in the given case.
std::string jsonEscaped(const std::string& s, bool upperHex)
{
    std::string out;
    for (char c : s)
        out += "\\u00" + escaped(std::string(1, c), upperHex).substr(1);
    return out;
}

// sep between every two characters.
std::string spread(const std::string& s, const std::string& sep)
{
    std::string out;
    for (char c : s)
        out += (out.empty() ? "" : sep) + std::string(1, c);
    return out;
}

std::string masked(const std::string& text)
{
    return maskKey(text, text.size(), key);
}

std::string maskedShiftJis(const std::string& text)
{
    return maskKey(text, text.size(), key, MaskEncoding::ShiftJis);
}

// s's letters and digits in their full-width forms, UTF-8 or Shift_JIS.
std::string fullWidth(const std::string& s, MaskEncoding encoding)
{
    std::string out;
    for (char c : s) {
        const bool digit = c >= '0' && c <= '9';
        if (encoding == MaskEncoding::ShiftJis) {
            out += '\x82';
            out += static_cast<char>(digit ? 0x4F + (c - '0') : 0x81 + (c - 'a'));
        } else {
            const int code = 0xFF00 + (c - 0x20);  // U+FF10.. digits, U+FF41.. letters
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

TEST(KeyMask, EchoesInEveryFormAreMasked)
{
    struct Case {
        const char* form;
        std::string text;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"verbatim", "bad key " + key + " refused", "bad key *** refused"},
        {"upper case", "KEY=" + upper(key) + ";", "KEY=***;"},
        {"mixed case", "k=" + upper(key.substr(0, 30)) + key.substr(30), "k=***"},
        {"cut at 16", "Invalid key '" + key.substr(0, 16) + "'", "Invalid key '***'"},
        {"cut in the middle", "..." + key.substr(20, 17) + "...", "...***..."},
        {"tail only", "key=" + key.substr(40), "key=***"},
        {"line feed", "key=" + key.substr(0, 40) + "\n" + key.substr(40) + " x", "key=*** x"},
        {"CR LF and indent", "<p>" + key.substr(0, 10) + "\r\n    " + key.substr(10) + "</p>", "<p>***</p>"},
        {"escaped whole", "consumerKey%3D" + escaped(key, false) + "&x", "consumerKey%3D***&x"},
        {"escaped upper hex", "k=" + escaped(key, true), "k=***"},
        {"escaped in part", "k=" + key.substr(0, 8) + escaped(key.substr(8, 10), true) + key.substr(18) + "!",
         "k=***!"},
        {"escaped and upper case", "k=" + escaped(upper(key.substr(0, 20)), false), "k=***"},
        {"twice", key + " and " + upper(key), "*** and ***"},
        {"run of 15 is not an echo", "x" + key.substr(0, 15) + "x", "x" + key.substr(0, 15) + "x"},
        {"line break before a run of 15", "x\n" + key.substr(5, 15) + "\n", "x\n" + key.substr(5, 15) + "\n"},
        {"bad escape stays text", "%G" + key, "%G***"},
        {"a control byte inside", "oops " + key.substr(0, 4) + "\x01" + key.substr(4) + ".", "oops ***."},
        {"control bytes between all", "e=" + spread(key, "\x01"), "e=***"},
        {"escape and DEL between", "e=" + spread(key.substr(0, 20), "\x1b\x7f") + ";", "e=***;"},
        {"C1 between", "e=" + spread(key.substr(0, 20), "\xc2\x85") + ";", "e=***;"},
        {"escaped controls between", "e=" + spread(key.substr(0, 20), "%01"), "e=***"},
        {"JSON escaped", "{\"key\":\"" + jsonEscaped(key, false) + "\"}", "{\"key\":\"***\"}"},
        {"JSON escaped upper hex", "k=" + jsonEscaped(key.substr(0, 20), true), "k=***"},
        {"JSON escaped in part", "k=" + key.substr(0, 10) + jsonEscaped(key.substr(10, 10), false), "k=***"},
        {"a blank is not skipped", "x" + key.substr(0, 10) + " " + key.substr(10, 10),
         "x" + key.substr(0, 10) + " " + key.substr(10, 10)},
        {"zero-width spaces between", "z=" + spread(key.substr(0, 20), "\xe2\x80\x8b") + ";", "z=***;"},
        {"joiners, word joiner, mark",
         "z=" + spread(key.substr(0, 16), "\xe2\x80\x8d\xe2\x81\xa0\xef\xbb\xbf"), "z=***"},
        {"soft hyphens between", "z=" + spread(key.substr(0, 20), "\xc2\xad"), "z=***"},
        {"full width", "k=" + fullWidth(key, MaskEncoding::Utf8) + "!", "k=***!"},
        {"full width in part", "k=" + key.substr(0, 10) + fullWidth(key.substr(10, 10), MaskEncoding::Utf8),
         "k=***"},
        {"other wide characters break a run", "k=" + spread(key.substr(0, 20), "\xef\xbc\x8d"),
         "k=" + spread(key.substr(0, 20), "\xef\xbc\x8d")},
        {"no key", "Internal Server Error", "Internal Server Error"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(masked(c.text), c.shown) << c.form;
}

TEST(KeyMask, AnEchoStartingWithinTheLimitIsMaskedWhole)
{
    const std::string head(70, '-');
    EXPECT_EQ(maskKey(head + key + " tail", 80, key), head + "***");
    // Escaped, the echo runs far past the limit and still counts.
    EXPECT_EQ(maskKey(head + escaped(key, false), 80, key), head + "***");
    // Ten characters shown, the rest beyond the limit: masked from what follows.
    EXPECT_EQ(maskKey(std::string(79, '-') + key.substr(0, 20), 80, key), std::string(79, '-') + "***");
    // An echo that starts at the limit shows nothing of itself.
    EXPECT_EQ(maskKey(std::string(80, '-') + key, 80, key), std::string(80, '-'));
    EXPECT_EQ(maskKey("short " + key, 3, key), "sho");
}

TEST(KeyMask, InShiftJisACharacterIsNeverCutAndWideOnesReadAsTheirs)
{
    // "\x88\x61" is one kanji: the key's first letter is its second byte, so
    // what shows is the kanji and the key's other 63 characters
    EXPECT_EQ(maskedShiftJis("\x88" + key + "\x81\x42"), "\x88\x61***\x81\x42");
    EXPECT_EQ(maskedShiftJis("\x93\x8c" + key.substr(0, 20)), "\x93\x8c***") << "a whole character before";
    // a lead byte whose next byte cannot be a trail stands alone, as the
    // conversions read it, and hides no key character
    EXPECT_EQ(maskedShiftJis("\x88" + key.substr(3, 16)), "\x88***");
    EXPECT_EQ(maskedShiftJis("k=" + fullWidth(key, MaskEncoding::ShiftJis)), "k=***");
    EXPECT_EQ(
        maskedShiftJis(fullWidth(key.substr(0, 8), MaskEncoding::ShiftJis) + key.substr(8, 8) + "\x81\x42"),
        "***\x81\x42");
    EXPECT_EQ(maskedShiftJis("k=" + spread(key.substr(0, 20), "\x80") + spread(key.substr(20, 4), "\xa0")),
              "k=***")
        << "unassigned single bytes show nothing";
    EXPECT_EQ(maskedShiftJis("k=" + spread(key.substr(0, 20), "\x01") + "."), "k=***.");
    // a kanji between key characters breaks the run; in UTF-8 0xC2 0x85
    // would be C1, in Shift_JIS it is a half-width katakana and a kanji
    const std::string kanjiBetween = "k=" + spread(key.substr(0, 20), "\x88\x9f");
    EXPECT_EQ(maskedShiftJis(kanjiBetween), kanjiBetween);
    const std::string katakanaBetween = "k=" + spread(key.substr(0, 20), "\xc2\x85\x40");
    EXPECT_EQ(maskedShiftJis(katakanaBetween), katakanaBetween);
}

TEST(KeyMask, WhatIsShownIsMaskedWithTheConfiguredKey)
{
    configureShownKey(key);
    EXPECT_EQ(maskShown("key " + key, MaskEncoding::Utf8), "key ***");
    EXPECT_EQ(maskShown("\x88" + key, MaskEncoding::ShiftJis), "\x88\x61***");
    configureShownKey("");
    EXPECT_EQ(maskShown("key " + key, MaskEncoding::Utf8), "key " + key);
}

TEST(KeyMask, AKeyShorterThanARunIsMaskedOnlyWhole)
{
    const std::string shortKey = "S3cret";
    EXPECT_EQ(maskKey("a s3CRET b", 10, shortKey), "a *** b");
    EXPECT_EQ(maskKey("a s3cre b", 9, shortKey), "a s3cre b");
    EXPECT_EQ(maskKey("any text", 8, ""), "any text");
    EXPECT_EQ(maskKey("s3cret", 6, shortKey), "***") << "a text as long as the key";
    EXPECT_EQ(maskKey("s3cre", 3, shortKey), "s3c");
}

TEST(KeyMask, ATextAsLongAsARun)
{
    EXPECT_EQ(masked(key.substr(7, 16)), "***");
    EXPECT_EQ(masked(key.substr(7, 15)), key.substr(7, 15));
    EXPECT_EQ(maskKey(key.substr(7, 15), 4, key), key.substr(7, 4));
    // the one character each of the 16 takes need not be one byte
    EXPECT_EQ(masked(escaped(key.substr(7, 6), false) + key.substr(13, 10)), "***");
}

}  // namespace
