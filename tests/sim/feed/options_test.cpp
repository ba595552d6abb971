#include "opendata/calendar.h"
#include "sim/feed/options.h"
#include "sim/model/status_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool parse(std::vector<const char*> args, FeedOptions* o, std::string* error)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("linewatch-feed"));
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    return parseFeedOptions(static_cast<int>(argv.size()), argv.data(), 1, o, error);
}

}  // namespace

TEST(FeedOptions, ReadsEveryOption)
{
    FeedOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--port",   "8123",      "--seed",          "99",
                       "--time",   "07:45",     "--no-rate-limit", "--fault",
                       "500",      "--disrupt", "Tozai",           "運転見合わせ中",
                       "--replay", "/tmp/rec",  "--consumer-key",  "k1",
                       "--cert",   "c.pem",     "--key",           "k.pem",
                       "--host",   "127.0.0.2", "--multilingual",  "--v4-positions"},
                      &o, &error))
        << error;
    EXPECT_EQ(o.port, 8123);
    EXPECT_EQ(o.seed, 99u);
    ASSERT_TRUE(o.startTime);
    EXPECT_EQ(japanIso(*o.startTime).substr(11), "07:45:00+09:00");
    EXPECT_FALSE(o.rateLimit);
    EXPECT_EQ(o.fault, FeedFault::Error500);
    EXPECT_EQ(o.disruptRailway, 3);
    EXPECT_TRUE(o.multilingual);
    EXPECT_TRUE(o.v4Positions);
    EXPECT_EQ(o.disruptText, "運転見合わせ中");
    EXPECT_EQ(o.replayDir, "/tmp/rec");
    EXPECT_EQ(o.key, "k1");
    EXPECT_EQ(o.certFile, "c.pem");
    EXPECT_EQ(o.keyFile, "k.pem");
    EXPECT_EQ(o.host, "127.0.0.2");
}

TEST(FeedOptions, RejectsBadValuesWithAReason)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--port", "70000"},    {"--port"},
        {"--time", "25:00"},    {"--time", "7:45"},
        {"--fault", "boom"},    {"--disrupt", "9", "x"},
        {"--disrupt", "Ginza"}, {"--seed", "-1"},
        {"--bogus", "1"},       {"--cert", "c.pem"},
        {"--consumer-key", ""},
    };
    for (const auto& args : bad) {
        FeedOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(FeedOptions, RailwayNamesAndClockTimes)
{
    EXPECT_EQ(parseRailwayName("0"), 0);
    EXPECT_EQ(parseRailwayName("8"), 8);
    EXPECT_EQ(parseRailwayName("odpt.Railway:TokyoMetro.Namboku"), 7);
    EXPECT_EQ(parseRailwayName("Hanzomon"), 6);
    EXPECT_EQ(parseRailwayName("MarunouchiBranch"), kBranchIndex);
    EXPECT_EQ(parseRailwayName("odpt.Railway:TokyoMetro.MarunouchiBranch"), kBranchIndex);
    EXPECT_EQ(parseRailwayName("Branch"), -1);
    EXPECT_EQ(parseRailwayName("9"), -1);
}

TEST(FeedOptions, ClockWithDateAndSeconds)
{
    FeedOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--time", "2027-01-11T07:45:30"}, &o, &error)) << error;
    ASSERT_TRUE(o.startTime);
    EXPECT_EQ(japanIso(*o.startTime), "2027-01-11T07:45:30+09:00");
    for (const char* bad : {"12:60", "noon", "2027-02-30T08:00", "7:45"}) {
        FeedOptions rejected;
        EXPECT_FALSE(parse({"--time", bad}, &rejected, &error)) << bad;
    }
}
