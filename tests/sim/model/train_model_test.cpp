#include "sim/model/train_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "opendata/calendar.h"
#include "sim/feed/responses.h"
#include "tests/japan_time.h"

namespace {

const SimNetwork& net()
{
    static const SimNetwork n = buildSimNetwork();
    return n;
}

// Unix time of a Japan time of day on 2014-10-14 (a Tuesday).
std::int64_t at(int hour, int minute, int second = 0)
{
    return 1413212400 + hour * 3600 + minute * 60 + second;  // 2014-10-14T00:00:00+09:00
}

// Position of a stop along the route in its train's direction of travel.
int progress(const SimTrain& t)
{
    const SimRoute& r = net().routes[t.route];
    for (size_t i = 0; i < r.stops.size(); ++i) {
        if (r.stops[i].sameAs != t.fromStation)
            continue;
        bool forward = t.direction.substr(t.direction.rfind('.')) ==
                       r.stops.back().sameAs.substr(r.stops.back().sameAs.rfind('.'));
        int k = static_cast<int>(forward ? i : r.stops.size() - 1 - i);
        return 2 * k + (t.toStation.empty() ? 0 : 1);
    }
    return -1;
}

}  // namespace

TEST(TrainModel, ServiceFollowsTheTimeOfDay)
{
    EXPECT_TRUE(runningTrains(net(), 1, at(3, 0)).empty());
    EXPECT_TRUE(runningTrains(net(), 1, at(4, 40)).empty());
    size_t early = runningTrains(net(), 1, at(5, 40)).size();
    size_t rush = runningTrains(net(), 1, at(8, 30)).size();
    size_t midday = runningTrains(net(), 1, at(13, 0)).size();
    size_t late = runningTrains(net(), 1, at(24, 20)).size();
    EXPECT_GT(early, 0u);
    EXPECT_GT(rush, midday * 3 / 2);
    EXPECT_GT(midday, late);
    EXPECT_GT(late, 0u) << "the last trains still run after midnight";
    for (int minute = 0; minute < 24 * 60; minute += 10)
        EXPECT_LE(runningTrains(net(), 1, at(0, minute)).size(), 400u) << "fits the monitor's table";

    EXPECT_EQ(headwaySeconds(0, 8 * 60), 150);
    EXPECT_EQ(headwaySeconds(0, 12 * 60), 300);
    EXPECT_GE(headwaySeconds(9, 12 * 60), 480) << "the branch is a shuttle";
}

// The feed runs the timetable the monitor asks for: B numbers on Saturdays,
// Sundays, holidays and 30 December to 3 January, A numbers on other days.
TEST(TrainModel, TheCalendarChoosesTheTimetable)
{
    const char* days[] = {"2026-12-28", "2026-12-29", "2026-12-30", "2026-12-31", "2027-01-01",
                          "2027-01-02", "2027-01-03", "2027-01-04", "2027-01-05"};
    const char expected[] = "AABBBBBAA";
    for (int i = 0; i < 9; ++i) {
        const std::int64_t noon = japanTime(std::string(days[i]) + "T12:00");
        // twenty past midnight is still the same service day
        for (std::int64_t t : {noon, noon + 12 * 3600 + 20 * 60}) {
            const std::vector<SimTrain> trains = runningTrains(net(), 1, t);
            ASSERT_FALSE(trains.empty()) << japanIso(t);
            for (const SimTrain& tr : trains)
                EXPECT_EQ(tr.number[0], expected[i]) << japanIso(t) << " " << tr.number;
        }
    }
}

TEST(TrainModel, TrainsStandOrRunBetweenNeighbouringStopsOfTheirRoute)
{
    for (std::int64_t t : {at(7, 59, 13), at(12, 0, 41), at(18, 30, 2)}) {
        std::vector<SimTrain> trains = runningTrains(net(), 3, t);
        std::set<std::string> numbers;
        std::map<std::string, int> perRailway;
        for (const SimTrain& tr : trains) {
            EXPECT_TRUE(numbers.insert(tr.railwayId + " " + tr.number).second) << "duplicate " << tr.number;
            const SimRoute& r = net().routes[tr.route];
            EXPECT_EQ(tr.railwayId, r.railwayId);
            auto index = [&](const std::string& id) {
                for (size_t i = 0; i < r.stops.size(); ++i)
                    if (r.stops[i].sameAs == id)
                        return static_cast<int>(i);
                return -1;
            };
            int from = index(tr.fromStation);
            ASSERT_GE(from, 0) << tr.fromStation << " on " << r.railwayId;
            if (!tr.toStation.empty()) {
                EXPECT_EQ(std::abs(index(tr.toStation) - from), 1) << tr.number;
            }
            EXPECT_EQ(tr.delay % 60, 0);
            EXPECT_EQ(tr.number.size(), 6u);
            ++perRailway[tr.railwayId];
        }
        EXPECT_EQ(perRailway.size(), 10u) << "every railway and the branch run";
    }
}

TEST(TrainModel, BranchShuttleUsesTheBranchRecords)
{
    const SimRoute& branch = net().routes[9];
    ASSERT_EQ(branch.stops.size(), 4u);
    EXPECT_EQ(branch.railwayId, "odpt.Railway:TokyoMetro.MarunouchiBranch");
    EXPECT_EQ(branch.stops.front().sameAs, "odpt.Station:TokyoMetro.MarunouchiBranch.NakanoSakaue");
    EXPECT_EQ(branch.stops.back().sameAs, "odpt.Station:TokyoMetro.MarunouchiBranch.Honancho");
    EXPECT_EQ(net().routes[1].stops.size(), 25u);
    EXPECT_EQ(net().routes[1].stops[19].sameAs, "odpt.Station:TokyoMetro.Marunouchi.NakanoSakaue");
    EXPECT_EQ(net().routes[8].stops.front().sameAs, "odpt.Station:TokyoMetro.Yurakucho.Wakoshi");
}

TEST(TrainModel, SameSeedAndTimeGiveTheSameTrainsOtherSeedsOtherDelays)
{
    std::int64_t t = at(17, 45, 9);
    EXPECT_EQ(trainsBody(runningTrains(net(), 42, t), t), trainsBody(runningTrains(net(), 42, t), t));
    int differences = 0;
    for (int minute = 6 * 60; minute < 23 * 60; minute += 15)
        for (int route = 0; route < kSimRouteCount; ++route)
            differences += routeLag(1, route, at(0, minute)) != routeLag(2, route, at(0, minute));
    EXPECT_GT(differences, 0);
}

TEST(TrainModel, DelaysBuildAndFadeSmoothlyAndTrainsNeverRunBackwards)
{
    // find a long delay episode in the day for some route
    DelayEpisode found{0, 0, 0};
    int route = -1;
    for (int r = 0; r < kSimRouteCount && route < 0; ++r)
        for (const DelayEpisode& e : delayEpisodes(5, r, at(7, 0) / 3600 + 9, at(20, 0) / 3600 + 9))
            if (e.peak >= 300 && route < 0)
                found = e, route = r;
    ASSERT_GE(route, 0) << "seed 5 has a delay episode of five minutes or more";

    double peak = 0, prev = routeLag(5, route, found.start - 1);
    EXPECT_EQ(prev, 0.0);
    std::map<std::string, int> lastProgress;
    for (std::int64_t t = found.start - 60; t <= found.end + 60; t += 5) {
        double lag = routeLag(5, route, t);
        EXPECT_LE(std::abs(lag - prev), 5 * 0.5 + 1e-9) << "lag changes at most half a second per second";
        prev = lag;
        peak = std::max(peak, lag);
        for (const SimTrain& tr : runningTrains(net(), 5, t)) {
            if (tr.route != route)
                continue;
            EXPECT_EQ(tr.delay, static_cast<int>(lag / 60) * 60);
            int p = progress(tr);
            ASSERT_GE(p, 0);
            auto it = lastProgress.find(tr.number);
            if (it != lastProgress.end()) {
                EXPECT_GE(p, it->second) << tr.number << " went back";
            }
            lastProgress[tr.number] = p;
        }
    }
    EXPECT_DOUBLE_EQ(peak, found.peak);
    EXPECT_EQ(routeLag(5, route, found.end), 0.0);
}
