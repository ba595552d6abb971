#include "sim/feed/responses.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>

#include "opendata/v2_members.h"
#include "sim/model/clock.h"
#include "sim/model/network_model.h"

using nlohmann::ordered_json;

namespace {

std::vector<std::string> keysOf(const ordered_json& object)
{
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
    return keys;
}

// The keys of a version-2 member list, which the client's parser reads in
// this order: the feed must write them so.
template <std::size_t N>
std::vector<std::string> keysOf(const V2Member (&members)[N])
{
    std::vector<std::string> keys;
    for (const V2Member& m : members)
        keys.emplace_back(m.key);
    return keys;
}

SimTrain sampleTrain(const std::string& to)
{
    return SimTrain{4,
                    "odpt.Railway:TokyoMetro.Chiyoda",
                    "A2029K4",
                    "odpt.TrainType:TokyoMetro.Local",
                    "odpt.Station:JR-East.Joban.Abiko",
                    "odpt.Station:TokyoMetro.Chiyoda.YoyogiUehara",
                    "odpt.Station:TokyoMetro.Chiyoda.Yushima",
                    to,
                    "odpt.RailDirection:TokyoMetro.YoyogiUehara",
                    "odpt.TrainOwner:JR-East",
                    120};
}

// 2014-09-08T20:53:51+09:00
constexpr std::int64_t sampleTime = 1410177231;

}  // namespace

TEST(Responses, TrainObjectsKeepTheLiveKeyOrderAndShapes)
{
    std::string body =
        trainsBody({sampleTrain(""), sampleTrain("odpt.Station:TokyoMetro.Chiyoda.Nezu")}, sampleTime);
    EXPECT_EQ(body.find('\n'), std::string::npos) << "minified on one line";
    EXPECT_EQ(body.find(": "), std::string::npos);
    ordered_json doc = ordered_json::parse(body);
    ASSERT_EQ(doc.size(), 2u);
    const std::vector<std::string> order = keysOf(kTrainMembers);
    for (const auto& t : doc)
        EXPECT_EQ(keysOf(t), order);

    const ordered_json& standing = doc[0];
    EXPECT_TRUE(standing["odpt:toStation"].is_null());
    EXPECT_EQ(doc[1]["odpt:toStation"], "odpt.Station:TokyoMetro.Chiyoda.Nezu");
    EXPECT_EQ(standing["dc:date"], "2014-09-08T20:53:51+09:00");
    EXPECT_EQ(standing["dct:valid"], "2014-09-08T20:55:21+09:00");
    EXPECT_EQ(standing["odpt:frequency"], 90);
    EXPECT_EQ(standing["odpt:delay"], 120);
    EXPECT_EQ(standing["owl:sameAs"], "odpt.Train:TokyoMetro.Chiyoda.A2029K4");
    EXPECT_EQ(standing["@type"], "odpt:Train");
    EXPECT_TRUE(std::regex_match(standing["@id"].get<std::string>(), std::regex("urn:ucode:_[0-9A-F]{32}")));
    EXPECT_EQ(trainsBody({}, sampleTime), "[]");
}

TEST(Responses, NoticesPutTheStatusBeforeTheTextAndTheTypeLast)
{
    std::vector<SimNotice> notices = {
        {"odpt.Railway:TokyoMetro.Ginza", sampleTime - 600, sampleTime - 600, "", normalNoticeText},
        {"odpt.Railway:TokyoMetro.Hibiya", sampleTime - 60, sampleTime - 120, "運転見合わせ",
         "人身事故の影響で"},
    };
    ordered_json doc = ordered_json::parse(noticesBody(notices, sampleTime));
    ASSERT_EQ(doc.size(), 2u);
    std::vector<std::string> normal = keysOf(kStatusMembers);
    normal.erase(std::find(normal.begin(), normal.end(), "odpt:trainInformationStatus"));
    EXPECT_EQ(keysOf(doc[0]), normal);
    EXPECT_EQ(keysOf(doc[1]), keysOf(kStatusMembers));
    EXPECT_EQ(doc[0]["dc:date"], "2014-09-08T20:43:51+09:00");
    EXPECT_EQ(doc[1]["odpt:timeOfOrigin"], "2014-09-08T20:51:51+09:00");
    EXPECT_EQ(doc[1]["odpt:trainInformationText"], "人身事故の影響で");
    EXPECT_EQ(doc[0]["odpt:trainInformationText"], "現在、平常どおり運転しています。");
}

TEST(Responses, FareObjectMatchesTheSampleLayout)
{
    ordered_json doc =
        ordered_json::parse(fareBody("odpt.Station:TokyoMetro.Ginza.Asakusa",
                                     "odpt.Station:TokyoMetro.Ginza.Tawaramachi", SimFare{170, 90, 165, 82}));
    ASSERT_EQ(doc.size(), 1u);
    EXPECT_EQ(keysOf(doc[0]), keysOf(kFareMembers));
    EXPECT_EQ(doc[0]["owl:sameAs"], "odpt.RailwayFare:TokyoMetro.Ginza.Asakusa.TokyoMetro.Ginza.Tawaramachi");
    EXPECT_EQ(doc[0]["odpt:ticketFare"], 170);
    EXPECT_EQ(doc[0]["odpt:childIcCardFare"], 82);
}

TEST(Responses, StringsAreEscapedUnlessVerbatimIsAsked)
{
    std::string out;
    appendJsonString(out,
                     "a\"b\\c\x01\x1b"
                     "d");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\u0001\\u001bd\"");

    std::vector<SimNotice> notices = {
        {"odpt.Railway:TokyoMetro.Ginza", sampleTime, sampleTime, "", "x\x1b[2Jy"}};
    EXPECT_NE(noticesBody(notices, sampleTime).find("x\\u001b[2Jy"), std::string::npos);
    EXPECT_NE(noticesBody(notices, sampleTime, true).find("x\x1b[2Jy"), std::string::npos);
}

TEST(Clock, JapanTimeStampsAndStartOffsets)
{
    EXPECT_EQ(japanIso(0), "1970-01-01T09:00:00+09:00");
    EXPECT_EQ(japanIso(sampleTime), "2014-09-08T20:53:51+09:00");
    // 20:53:51 Japan time; 08:15 that day was 12 h 38 min 51 s earlier
    EXPECT_EQ(japanTimeToday(8 * 60 + 15, sampleTime), sampleTime - (12 * 3600 + 38 * 60 + 51));
    EXPECT_EQ(japanIso(japanTimeToday(23 * 60 + 59, sampleTime)), "2014-09-08T23:59:00+09:00");
    // 00:30 Japan time is still the previous day in UTC
    EXPECT_EQ(japanIso(japanTimeToday(6 * 60, 1413214200)), "2014-10-14T06:00:00+09:00");
}
