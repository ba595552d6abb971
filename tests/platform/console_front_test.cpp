// The console's front, the same on every platform: what capture receives,
// and keys and lines read from a script.
#include "platform/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads keys until the script is used up.
std::vector<int> allKeys()
{
    std::vector<int> k;
    while (console_key_waiting())
        k.push_back(console_read_key());
    return k;
}

}  // namespace

TEST(ConsoleOutput, ControlCharactersNeverReachTheTerminal)
{
    std::string sink;
    console_capture(&sink);
    console_print(
        "a\x1b[2Jb\x07"
        "c\r\n\t%s|%d",
        "x\x01y\x7fz", 42);
    console_print("データ再取得まで %2d 秒\r", 7);
    // A carriage return inside a text would let it overwrite its own line.
    console_print("%s %s\n", "2014-10-14T10:15:02 銀座線", "\r\b\x1b[31m平常\r\n");
    console_capture(nullptr);
    EXPECT_EQ(sink,
              "a[2Jbc\n\txyz|42データ再取得まで  7 秒\r"
              "2014-10-14T10:15:02 銀座線 [31m平常\n\n");

    // A text longer than the formatting buffer arrives whole.
    sink.clear();
    console_capture(&sink);
    std::string big(1500, 'w');
    console_print("<%s>", big.c_str());
    console_capture(nullptr);
    EXPECT_EQ(sink, "<" + big + ">");
}

TEST(ConsoleOutput, LongLinesAreCutOnCharacterBoundaries)
{
    // a megabyte of full-width characters after one ASCII byte, so that the
    // cut falls inside a character
    std::string wide;
    for (int i = 0; i < (1 << 19); ++i)
        wide += "駅";
    std::string sink;
    console_capture(&sink);
    console_print("a%s\r", wide.c_str());
    const std::string overwritable = sink;
    sink.clear();
    console_print("%s\nshort\n%s|", wide.c_str(), std::string(2053, 'x').c_str());
    console_capture(nullptr);

    ASSERT_EQ(overwritable.size(), 2048u) << "a, 1,022 characters, …, \\r";
    EXPECT_EQ(overwritable.substr(0, 2045), "a" + wide.substr(0, 2044));
    EXPECT_EQ(overwritable.substr(2045), "…\r");
    const std::size_t first = sink.find('\n');
    ASSERT_EQ(first, 2048u);
    EXPECT_EQ(sink.substr(0, 2046), wide.substr(0, 2046));
    EXPECT_EQ(sink.substr(2046, 2), "…");
    EXPECT_EQ(sink.substr(first, 7), "\nshort\n");
    EXPECT_EQ(sink.substr(first + 7), std::string(2046, 'x') + "…") << "the last line, without an end, too";
    // a line of exactly the cap is left alone
    sink.clear();
    console_capture(&sink);
    console_print("%s\n", std::string(2048, 'y').c_str());
    console_capture(nullptr);
    EXPECT_EQ(sink, std::string(2048, 'y') + "\n");
}

TEST(ConsoleKeys, ArrowsArriveAsPrefixAndSecondCode)
{
    std::string script =
        "x\x1b[A\x1b[B\x1b[C\x1b[D\x1bOC\x1b[1;5D\x1b[5~"
        "q\x1b";
    console_script(&script);
    const int P = kConsoleArrowPrefix;
    EXPECT_EQ(allKeys(), (std::vector<int>{'x', P, kConsoleArrowUp, P, kConsoleArrowDown, P,
                                           kConsoleArrowRight, P, kConsoleArrowLeft, P, kConsoleArrowRight, P,
                                           kConsoleArrowLeft, 0x1B, 'q', 0x1B}));
    // Past the end of input every read is q.
    EXPECT_FALSE(console_key_waiting());
    EXPECT_EQ(console_read_key(), 'q');
    console_script(nullptr);
}

TEST(ConsoleLines, ScriptedLinesAreShiftJisCutToCapacityOnCharacterBoundaries)
{
    // a script is the program's own text: never converted, whatever the locale
    std::string script = "hello world\r\nabcdefghij\nz\nあああ\n\nla\rst";
    console_script(&script);
    char buf[6];
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "hello");
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "abcde");
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "z");
    // Five bytes hold two double-byte characters, not two and a half.
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "ああ");
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "");
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "last") << "a carriage return inside the line is dropped too";
    EXPECT_FALSE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "");
    console_script(nullptr);
}

TEST(ConsoleLines, AKeyHalfReadBeforeALineIsDropped)
{
    std::string script = "\x1b[A12\nx";
    console_script(&script);
    EXPECT_EQ(console_read_key(), kConsoleArrowPrefix);
    char buf[8];
    ASSERT_TRUE(console_read_line(buf, sizeof buf));
    EXPECT_STREQ(buf, "12");
    EXPECT_EQ(console_read_key(), 'x') << "not the arrow's second code";
    // a new script starts with no half-read key either
    script = "\x1b[B";
    EXPECT_EQ(console_read_key(), kConsoleArrowPrefix);
    std::string next = "y";
    console_script(&next);
    EXPECT_EQ(console_read_key(), 'y');
    console_script(nullptr);
}
