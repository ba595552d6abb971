// The monitor's refresh against the feed, in-process on the headless window:
// one console line per train of the answer, and a count box that shows the
// train total and the answer's time exactly as drawn text.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/cycle.h"
#include "app/fullwidth.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "opendata/calendar.h"
#include "sim/feed/feed.h"
#include "sim/model/network_model.h"
#include "sim/feed/responses.h"
#include "sim/model/train_model.h"
#include "tests/app/monitor_fixture.h"
#include "tests/japan_time.h"

namespace {

// The count box and the time under it, in window pixels.
constexpr int boxLeft = 2, boxTop = 4, boxRight = 107, boxBottom = 41;

std::vector<uint32_t> countBoxPixels()
{
    std::vector<uint32_t> pixels;
    for (int y = boxTop; y <= boxBottom; ++y)
        for (int x = boxLeft; x <= boxRight; ++x)
            pixels.push_back(qwin_pixel(x, y));
    return pixels;
}

class CountBoxAgainstFeed : public MonitorFixture {};

}  // namespace

TEST_F(CountBoxAgainstFeed, FirstRefreshShowsEveryTrainAndTheTotal)
{
    // a rush-hour answer of the model, served as a recording so that it cannot change meanwhile
    const std::int64_t t = japanTime("2014-10-14T08:15");
    const std::vector<SimTrain> trains = runningTrains(buildSimNetwork(), 1, t);
    ASSERT_GT(trains.size(), 100u);
    ASSERT_LE(trains.size(), 400u);
    std::filesystem::path rec = std::filesystem::path(dir) / "rec";
    std::filesystem::create_directories(rec);
    std::ofstream(rec / "Train.json") << trainsBody(trains, t);

    FeedOptions o;
    o.replayDir = rec.string();
    o.startTime = t;
    std::string error;
    Feed* feed = feed_start(o, &error);
    ASSERT_NE(feed, nullptr) << error;
    config.api.root = feed_root(feed);
    config.api.consumerKey = kFeedDefaultKey;
    applyConfig(config);

    start();
    refreshOnce(*st, realCycleEnv(nullptr, t - std::time(nullptr)));
    feed_stop(feed);

    EXPECT_EQ(trainCount, static_cast<int>(trains.size()));
    for (const SimTrain& tr : trains)
        EXPECT_NE(out.find(tr.number + ":"), std::string::npos) << tr.number << " has no console line";

    std::vector<uint32_t> shown = countBoxPixels();
    port->boxf(boxLeft, boxTop, boxRight + 1, boxBottom + 1, 0, -1);
    char total[16];  // "%03d" of a count below 1000
    std::snprintf(total, sizeof total, "%03d", static_cast<int>(trains.size()));
    port->print(utf8ToCp932("列車総数：").c_str(), 3, 5, 2, 0.8f, 0);
    port->print(to_fullwidth(total).c_str(), 63, 5, 2, 0.8f, 0);
    port->print(to_fullwidth(japanIso(t).substr(11, 8)).c_str(), 3, 25, 7, 0.73f, 0);
    EXPECT_EQ(shown, countBoxPixels()) << "the count box differs from the total " << total;
}
