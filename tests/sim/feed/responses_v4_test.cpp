// Version-4 bodies: the key order of every object (nested too), language
// objects, members present only while disrupted, and the fare object's shape.
#include "sim/feed/responses_v4.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "sim/model/network_model.h"
#include "sim/model/train_model.h"
#include "sim/feed/responses.h"
#include "sim/feed/v4_object.h"

namespace {

using Ordered = nlohmann::ordered_json;

bool v4Before(const std::string& a, const std::string& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Every object in value, nested ones too, has its keys in the version-4 order.
void expectV4Order(const Ordered& value, const std::string& where = "")
{
    if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i)
            expectV4Order(value[i], where + "[" + std::to_string(i) + "]");
        return;
    }
    if (!value.is_object())
        return;
    std::string previous;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (it != value.begin()) {
            EXPECT_TRUE(v4Before(previous, it.key())) << where << ": " << previous << " then " << it.key();
        }
        previous = it.key();
        expectV4Order(it.value(), where + "." + it.key());
    }
}

std::vector<std::string> keysOf(const Ordered& object)
{
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
    return keys;
}

SimNotice normalNotice(const std::string& line)
{
    return {"odpt.Railway:TokyoMetro." + line, 1700000000, 1700000000, "", normalNoticeText};
}

}  // namespace

TEST(V4Object, KeysByLengthThenUnsignedBytesWhateverTheOrderGiven)
{
    V4Object inner;
    v4Text(inner, "zz", "1");
    v4Text(inner, "ab", "2");
    V4Object o;
    v4Raw(o, "odpt:trainInformationText", v4Json(inner));
    v4Text(o, "dc:date", "d");
    v4Text(o, "\xC3\xA9x", "high byte");  // 3 bytes, sorts after "xyz"
    v4Text(o, "xyz", "x");
    v4Text(o, "@context", "c");
    v4Text(o, "@type", "t");
    v4Text(o, "@id", "i");
    v4Raw(o, "n", "[1,\"a\\\"b\"]");
    EXPECT_EQ(
        v4Json(o),
        "{\"n\":[1,\"a\\\"b\"],\"@id\":\"i\",\"xyz\":\"x\",\"\xC3\xA9x\":\"high byte\",\"@type\":\"t\","
        "\"dc:date\":\"d\",\"@context\":\"c\",\"odpt:trainInformationText\":{\"ab\":\"2\",\"zz\":\"1\"}}");
    EXPECT_EQ(v4Array({}), "[]");
    EXPECT_EQ(jsonQuoted("say \"hi\"\n"), "\"say \\\"hi\\\"\\u000a\"");
}

TEST(ResponsesV4, NoticesCarryLanguageObjectsAndStatusOnlyWhileDisrupted)
{
    SimNotice disrupted = normalNotice("Tozai");
    disrupted.status = "運転見合わせ";
    disrupted.text = "運転を見合わせています。";
    disrupted.origin = 1699999000;
    const std::vector<SimNotice> notices = {normalNotice("Ginza"), disrupted};

    for (bool multilingual : {false, true}) {
        // generated at 07:13:20, the notices' own dates
        const Ordered body = Ordered::parse(noticesBodyV4(notices, multilingual, 1700000000));
        expectV4Order(body);
        ASSERT_EQ(body.size(), 2u);
        const Ordered& normal = body[0];
        EXPECT_EQ(keysOf(normal)[3], "@context");
        EXPECT_EQ(keysOf(normal).back(), "odpt:trainInformationText");
        EXPECT_FALSE(normal.contains("odpt:trainInformationStatus"));
        EXPECT_FALSE(normal.contains("odpt:timeOfOrigin"));
        EXPECT_EQ(normal["odpt:trainInformationText"]["ja"], normalNoticeText);
        EXPECT_EQ(normal["odpt:railway"], "odpt.Railway:TokyoMetro.Ginza");
        EXPECT_EQ(normal["dc:date"], "2023-11-15T07:10:00+09:00");
        EXPECT_EQ(normal["dct:valid"], "2023-11-15T07:15:00+09:00");
        EXPECT_EQ(normal["@id"].get<std::string>().rfind("urn:uuid:", 0), 0u);

        const Ordered& d = body[1];
        EXPECT_EQ(keysOf(d).back(), "odpt:trainInformationStatus");
        EXPECT_EQ(d["odpt:trainInformationStatus"]["ja"], "運転見合わせ");
        EXPECT_EQ(d["odpt:trainInformationText"]["ja"], "運転を見合わせています。");
        EXPECT_EQ(d["odpt:timeOfOrigin"], "2023-11-15T06:56:40+09:00");
        const std::size_t languages = multilingual ? 5u : 1u;
        EXPECT_EQ(d["odpt:trainInformationText"].size(), languages);
        EXPECT_EQ(d["odpt:trainInformationStatus"].size(), languages);
        if (multilingual) {
            EXPECT_EQ(d["odpt:trainInformationStatus"]["en"], "Suspended");
        }
    }
}

// Every answer is generated anew: all its objects carry one dc:date, the
// moment of generation floored to 5 minutes, whatever their texts' age.
TEST(ResponsesV4, NoticesCarryTheGenerationTimeRenewedEveryFiveMinutes)
{
    SimNotice disrupted = normalNotice("Tozai");
    disrupted.date = disrupted.origin = 1699990000;  // 04:26:40
    disrupted.status = "ダイヤ乱れ";
    disrupted.text = "ダイヤが乱れています。";
    const std::vector<SimNotice> notices = {normalNotice("Ginza"), disrupted};
    const std::int64_t at0900 = 1700006400;
    const Ordered first = Ordered::parse(noticesBodyV4(notices, false, at0900 + 299));
    const Ordered later = Ordered::parse(noticesBodyV4(notices, false, at0900 + 300));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(first[i]["dc:date"], "2023-11-15T09:00:00+09:00") << i;
        EXPECT_EQ(first[i]["dct:valid"], "2023-11-15T09:05:00+09:00") << i;
        EXPECT_EQ(later[i]["dc:date"], "2023-11-15T09:05:00+09:00") << i;
        EXPECT_EQ(later[i]["dct:valid"], "2023-11-15T09:10:00+09:00") << i;
        EXPECT_EQ(later[i]["@id"], first[i]["@id"]) << "the same notice keeps its identifier";
    }
    EXPECT_EQ(later[1]["odpt:timeOfOrigin"], "2023-11-15T04:26:40+09:00") << "the cause keeps its time";
    EXPECT_FALSE(later[0].contains("odpt:timeOfOrigin"));
}

TEST(ResponsesV4, TrainsSendOriginAndDestinationAsArrays)
{
    SimTrain moving{0,
                    "odpt.Railway:TokyoMetro.Ginza",
                    "A1001",
                    "odpt.TrainType:TokyoMetro.Local",
                    "odpt.Station:TokyoMetro.Ginza.Shibuya",
                    "odpt.Station:TokyoMetro.Ginza.Asakusa",
                    "odpt.Station:TokyoMetro.Ginza.Ueno",
                    "odpt.Station:TokyoMetro.Ginza.Inaricho",
                    "odpt.RailDirection:TokyoMetro.Asakusa",
                    "odpt.TrainOwner:TokyoMetro",
                    120};
    SimTrain standing = moving;
    standing.toStation.clear();
    const Ordered body = Ordered::parse(trainsBodyV4({moving, standing}, 1700000000));
    expectV4Order(body);
    ASSERT_EQ(body.size(), 2u);
    EXPECT_EQ(body[0]["odpt:originStation"], Ordered::array({"odpt.Station:TokyoMetro.Ginza.Shibuya"}));
    EXPECT_EQ(body[0]["odpt:destinationStation"], Ordered::array({"odpt.Station:TokyoMetro.Ginza.Asakusa"}));
    EXPECT_EQ(body[0]["odpt:toStation"], "odpt.Station:TokyoMetro.Ginza.Inaricho");
    EXPECT_EQ(body[0]["odpt:delay"], 120);
    EXPECT_EQ(body[0]["owl:sameAs"], "odpt.Train:TokyoMetro.Ginza.A1001");
    EXPECT_TRUE(body[1]["odpt:toStation"].is_null());
    EXPECT_EQ(keysOf(body[0]).back(), "odpt:destinationStation");
}

TEST(ResponsesV4, FareHasTheMembersOfTheExampleInItsOrder)
{
    const Ordered fare = Ordered::parse(fareObjectV4(
        "odpt.Station:TokyoMetro.Ginza.Shibuya", "odpt.Station:TokyoMetro.Ginza.Ueno", {260, 130, 252, 126}));
    const std::vector<std::string> exampleKeys = {"@id",
                                                  "@type",
                                                  "dc:date",
                                                  "@context",
                                                  "dct:issued",
                                                  "owl:sameAs",
                                                  "odpt:operator",
                                                  "odpt:toStation",
                                                  "odpt:icCardFare",
                                                  "odpt:ticketFare",
                                                  "odpt:fromStation",
                                                  "odpt:childIcCardFare",
                                                  "odpt:childTicketFare"};
    EXPECT_EQ(keysOf(fare), exampleKeys);
    EXPECT_EQ(fare["owl:sameAs"], "odpt.RailwayFare:TokyoMetro.Ginza.Shibuya.TokyoMetro.Ginza.Ueno");
    EXPECT_EQ(fare["odpt:ticketFare"], 260);
    EXPECT_EQ(fare["odpt:childTicketFare"], 130);
    EXPECT_EQ(fare["odpt:icCardFare"], 252);
    EXPECT_EQ(fare["odpt:childIcCardFare"], 126);
}

TEST(ResponsesV4, TimetablesHaveTheExampleShape)
{
    const SimNetwork net = buildSimNetwork();
    const int tozai = 3;
    const std::vector<SimScheduledTrip> trips = scheduledTrips(net, tozai);
    const std::vector<std::string> weekday = timetableObjectsV4(net, trips, false);
    ASSERT_EQ(weekday.size(), trips.size());
    const std::vector<std::string> exampleKeys = {"@id",
                                                  "@type",
                                                  "dc:date",
                                                  "@context",
                                                  "dct:issued",
                                                  "odpt:train",
                                                  "owl:sameAs",
                                                  "odpt:railway",
                                                  "odpt:calendar",
                                                  "odpt:operator",
                                                  "odpt:trainType",
                                                  "odpt:trainNumber",
                                                  "odpt:originStation",
                                                  "odpt:railDirection",
                                                  "odpt:destinationStation",
                                                  "odpt:trainTimetableObject"};
    int passedStops = 0, wrapped = 0;
    for (const std::string& text : weekday) {
        ASSERT_EQ(text.find_first_of(" \n"), std::string::npos) << "minified";
        const Ordered t = Ordered::parse(text);
        expectV4Order(t);
        ASSERT_EQ(keysOf(t), exampleKeys);
        EXPECT_EQ(t["odpt:calendar"], "odpt.Calendar:Weekday");
        EXPECT_EQ(t["odpt:trainNumber"].get<std::string>()[0], 'A');
        EXPECT_TRUE(t["odpt:originStation"].is_array());
        const Ordered& stops = t["odpt:trainTimetableObject"];
        ASSERT_EQ(stops.size(), net.routes[tozai].stops.size());
        for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
            EXPECT_TRUE(stops[k].contains("odpt:departureStation"));
            EXPECT_FALSE(stops[k].contains("odpt:arrivalTime"));
            passedStops += !stops[k].contains("odpt:departureTime");
        }
        EXPECT_EQ(keysOf(stops.back()),
                  (std::vector<std::string>{"odpt:arrivalTime", "odpt:arrivalStation"}));
        const std::string first = stops.front()["odpt:departureTime"],
                          last = stops.back()["odpt:arrivalTime"];
        wrapped += first > last;
    }
    EXPECT_GT(passedStops, 0) << "rapids pass stations without a time";
    EXPECT_GT(wrapped, 0) << "the last trains run past midnight";
    const Ordered holiday = Ordered::parse(timetableObjectsV4(net, {trips.front()}, true).front());
    EXPECT_EQ(holiday["odpt:calendar"], "odpt.Calendar:SaturdayHoliday");
    EXPECT_EQ(holiday["odpt:trainNumber"].get<std::string>()[0], 'B');
    EXPECT_EQ(holiday["owl:sameAs"], "odpt.TrainTimetable:TokyoMetro.Tozai." +
                                         holiday["odpt:trainNumber"].get<std::string>() + ".SaturdayHoliday");
}
