#include "sim/model/status_model.h"

#include <gtest/gtest.h>

#include "network/stations.h"

namespace {

const SimNetwork& net()
{
    static const SimNetwork n = buildSimNetwork();
    return n;
}

std::int64_t at(int hour, int minute)
{
    return 1413212400 + hour * 3600 + minute * 60;  // 2014-10-14T00:00:00+09:00
}

}  // namespace

TEST(StatusModel, NineNoticesInRailwayOrder)
{
    std::vector<SimNotice> notices = currentNotices(net(), 1, at(10, 0), ForcedNotice{});
    ASSERT_EQ(notices.size(), 9u);
    for (int k = 0; k < railwayCount; ++k) {
        EXPECT_EQ(notices[k].railwayId, railways[k].railwayId);
        EXPECT_EQ(notices[k].status.empty(), notices[k].text == normalNoticeText);
        EXPECT_LE(notices[k].date, at(10, 0));
    }
}

TEST(StatusModel, DateChangesExactlyWhenTheTextChanges)
{
    int disruptions = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        std::vector<SimNotice> prev = currentNotices(net(), seed, at(4, 0), ForcedNotice{});
        for (std::int64_t t = at(4, 1); t < at(26, 59); t += 60) {  // one service day
            std::vector<SimNotice> now = currentNotices(net(), seed, t, ForcedNotice{});
            for (int k = 0; k < railwayCount; ++k) {
                bool textChanged = now[k].text != prev[k].text;
                EXPECT_EQ(textChanged, now[k].date != prev[k].date) << seed << " " << k << " " << t;
                if (textChanged && !now[k].status.empty()) {
                    ++disruptions;
                    EXPECT_NE(now[k].text.find("〜"), std::string::npos);
                    EXPECT_NE(now[k].text.find("分頃"), std::string::npos);
                    EXPECT_EQ(now[k].date, now[k].origin);
                }
            }
            prev = now;
        }
    }
    EXPECT_GT(disruptions, 0) << "disruptions happen now and then";
}

TEST(StatusModel, ForcedNoticeOverridesItsRailwayOnly)
{
    ForcedNotice forced{3, "車両故障の影響で、運転を見合わせています。", at(9, 12)};
    std::vector<SimNotice> a = currentNotices(net(), 1, at(9, 30), forced);
    std::vector<SimNotice> b = currentNotices(net(), 1, at(9, 30), ForcedNotice{});
    EXPECT_EQ(a[3].text, forced.text);
    EXPECT_EQ(a[3].status, "運転見合わせ");
    EXPECT_EQ(a[3].date, at(9, 12));
    for (int k = 0; k < railwayCount; ++k)
        if (k != 3) {
            EXPECT_EQ(a[k].text, b[k].text);
        }

    forced.text = "信号故障の影響で遅れています。";
    EXPECT_EQ(currentNotices(net(), 1, at(9, 30), forced)[3].status, "ダイヤ乱れ");
}

TEST(StatusModel, BranchNoticeFollowsItsShuttleAndItsOwnForcedNotice)
{
    ForcedNotice onBranch{kBranchIndex, "方南町駅で車両点検のため遅れています。", at(9, 12)};
    const SimNotice forced = branchNotice(net(), 1, at(9, 30), onBranch);
    EXPECT_EQ(forced.railwayId, "odpt.Railway:TokyoMetro.MarunouchiBranch");
    EXPECT_EQ(forced.text, onBranch.text);
    EXPECT_EQ(forced.status, "ダイヤ乱れ");
    // the nine railways do not see a notice forced on the branch
    std::vector<SimNotice> nine = currentNotices(net(), 1, at(9, 30), onBranch);
    std::vector<SimNotice> plain = currentNotices(net(), 1, at(9, 30), ForcedNotice{});
    for (int k = 0; k < railwayCount; ++k)
        EXPECT_EQ(nine[k].text, plain[k].text) << k;

    // Without a forced notice the branch is disrupted now and then by its own delays.
    int disrupted = 0;
    for (std::uint32_t seed = 1; seed <= 8; ++seed)
        for (std::int64_t t = at(6, 0); t < at(23, 0); t += 600)
            disrupted += !branchNotice(net(), seed, t, ForcedNotice{}).status.empty();
    EXPECT_GT(disrupted, 0);
}
