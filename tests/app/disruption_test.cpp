// Reading notices: notices in the operator's phrasing, both wave dashes and
// both kinds of digits, and which trains a suspended section keeps.
#include "app/disruption.h"
#include "network/stations.h"
#include "platform/charset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int slotOf(int line, const char* title)
{
    for (int s = 0; s < railways[line].stationCount; ++s)
        if (std::strcmp(lineStations[line][s], title) == 0)
            return s;
    return -1;
}

const char* serviceName(LineService s)
{
    switch (s) {
    case LineService::Unknown:
        return "Unknown";
    case LineService::Normal:
        return "Normal";
    case LineService::Delayed:
        return "Delayed";
    case LineService::SectionSuspended:
        return "SectionSuspended";
    case LineService::Suspended:
        return "Suspended";
    case LineService::Disrupted:
        return "Disrupted";
    }
    return "?";
}

}  // namespace

TEST(Disruption, NoticesAreReadAsTheirLinesService)
{
    struct Case {
        int line;
        std::string status, text;
        LineService service;
        int delay;
        const char *from, *to;  // titles of a suspended section's ends
    };
    using S = LineService;
    const Case cases[] = {
        {0, "", "現在、平常どおり運転しています。", S::Normal, 0, nullptr, nullptr},
        {3, "ダイヤ乱れ",
         "９時４５分頃、東陽町駅で線路に人が立ち入った影響で、ダイヤが乱れています。１０分～１５分程度の遅れ"
         "が出ています。",
         S::Delayed, 10, nullptr, nullptr},
        // U+301C, written as the API sends it and converted as the client does
        {5, "ダイヤ乱れ", utf8ToCp932(u8"車両の点検を行った影響で、５分\u301C１０分程度の遅れが出ています。"),
         S::Delayed, 5, nullptr, nullptr},
        {5, "ダイヤ乱れ", utf8ToCp932(u8"車両の点検を行った影響で、５分\uFF5E１０分程度の遅れが出ています。"),
         S::Delayed, 5, nullptr, nullptr},
        {6, "", "信号を確認した影響で、20分程度の遅れが出ています。", S::Delayed, 20, nullptr, nullptr},
        // the time of the cause is no delay
        {2, "ダイヤ乱れ", "８時１２分頃に発生した車両故障の影響で、遅れが出ています。", S::Delayed, 0,
         nullptr, nullptr},
        {7, "", "乗客対応の影響で、一部列車に遅延が発生しています。", S::Delayed, 0, nullptr, nullptr},
        {1, "運転見合わせ",
         "１０時頃、新宿駅で信号故障が発生したため、池袋駅～新宿駅間で運転を見合わせています。",
         S::SectionSuspended, 0, "池袋", "新宿"},
        {1, "運転見合わせ", "茗荷谷～後楽園間で運転を見合わせています。", S::SectionSuspended, 0, "茗荷谷",
         "後楽園"},
        // the longest title that ends there: 西新宿, not 新宿
        {1, "運転見合わせ",
         "西新宿駅～荻窪駅間の運転を見合わせています。その他の区間は１５分程度の遅れで運転しています。",
         S::SectionSuspended, 15, "西新宿", "荻窪"},
        {1, "運転見合わせ", "中野富士見町駅～方南町駅間で運転を見合わせています。", S::SectionSuspended, 0,
         "中野富士見町", "方南町"},
        {8, "運転見合わせ", "人身事故の影響で、全線で運転を見合わせています。", S::Suspended, 0, nullptr,
         nullptr},
        {4, "運転見合わせ", "信号確認の影響で、運転を見合わせています。", S::Suspended, 0, nullptr, nullptr},
        // a section of another railway, direct service: the line runs, disrupted
        {8, "運転見合わせ", "横浜駅～元町・中華街駅間で運転を見合わせています。", S::Disrupted, 0, nullptr,
         nullptr},
        {8, "直通運転中止", "東急線内で発生した人身事故の影響で、東急線との直通運転を中止しています。",
         S::Disrupted, 0, nullptr, nullptr},
        // resumed: what is left is the delay
        {1, "運転再開",
         "池袋駅～新宿駅間で運転を見合わせていましたが、１１時２０分頃、運転を再開しました。現在、２０分程度"
         "の遅れが出ています。",
         S::Delayed, 20, nullptr, nullptr},
        {3, "ダイヤ乱れ", "８時１２分頃、門前仲町駅で急病人の救護を行った影響で、ダイヤが乱れています。",
         S::Disrupted, 0, nullptr, nullptr},
        {3, "その他", "お知らせがあります。", S::Disrupted, 0, nullptr, nullptr},
        {3, "", "", S::Unknown, 0, nullptr, nullptr},
        {3, "", "データがありません", S::Unknown, 0, nullptr, nullptr},
        {3, "", "駅構内の工事のお知らせです。", S::Unknown, 0, nullptr, nullptr},
        // hostile: a delay beyond all reason, a line outside the table, a cut character
        {0, "", "９９９９９９９９９９分程度の遅れが出ています。", S::Delayed, kStatedDelayLimit, nullptr,
         nullptr},
        {9, "運転見合わせ", "全線で運転を見合わせています。", S::Unknown, 0, nullptr, nullptr},
        {0, "", std::string("１０分程度の遅れ\x81"), S::Delayed, 10, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const LineCondition got = classifyNotice(c.status, c.text, c.line);
        const std::string trace = cp932ToUtf8(c.text);
        EXPECT_STREQ(serviceName(got.service), serviceName(c.service)) << trace;
        EXPECT_EQ(got.delayMinutes, c.delay) << trace;
        EXPECT_EQ(got.sectionFrom, c.from ? slotOf(c.line, c.from) : -1) << trace;
        EXPECT_EQ(got.sectionTo, c.to ? slotOf(c.line, c.to) : -1) << trace;
    }
}

TEST(Disruption, ASuspendedSectionHoldsTheTrainsBetweenItsStationsButNotAtItsEnds)
{
    auto section = [](const char* text) { return classifyNotice("運転見合わせ", text, 1); };
    auto inside = [](const LineCondition& c, const char* from, const char* to) {
        return insideSuspendedSection(c, 1, slotOf(1, from), to ? slotOf(1, to) : -1);
    };
    const LineCondition main = section("池袋駅～新宿駅間で運転を見合わせています。");
    EXPECT_TRUE(inside(main, "池袋", "新大塚"));
    EXPECT_TRUE(inside(main, "新宿三丁目", "新宿"));
    EXPECT_TRUE(inside(main, "御茶ノ水", nullptr));
    EXPECT_FALSE(inside(main, "池袋", nullptr)) << "trains turn back at the ends";
    EXPECT_FALSE(inside(main, "新宿", nullptr));
    EXPECT_FALSE(inside(main, "新宿", "西新宿"));
    EXPECT_FALSE(inside(main, "中野坂上", "中野新橋"));
    // named the other way round, the same section
    EXPECT_EQ(inside(section("新宿駅～池袋駅間で運転を見合わせています。"), "四ツ谷", "赤坂見附"), true);

    // Across the branch's join: 新中野 to 中野新橋 runs through 中野坂上.
    const LineCondition join = section("新中野駅～中野新橋駅間で運転を見合わせています。");
    EXPECT_TRUE(inside(join, "中野坂上", "新中野"));
    EXPECT_TRUE(inside(join, "中野坂上", "中野新橋"));
    EXPECT_TRUE(inside(join, "中野坂上", nullptr));
    EXPECT_FALSE(inside(join, "西新宿", "中野坂上"));
    EXPECT_FALSE(inside(join, "新中野", "東高円寺"));
    EXPECT_FALSE(inside(join, "中野新橋", "中野富士見町"));

    // Nothing but a section suspension holds a train; a station outside the row none.
    EXPECT_FALSE(
        insideSuspendedSection(classifyNotice("運転見合わせ", "全線で運転を見合わせています。", 1), 1, 3, 4));
    EXPECT_FALSE(insideSuspendedSection(main, 1, -1, 3));
    EXPECT_FALSE(insideSuspendedSection(main, 1, 3, 99));
}
