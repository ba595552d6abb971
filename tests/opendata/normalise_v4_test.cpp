// The version-4 rewrite, read back through parseResponse as the monitor does:
// the examples, the branch rule, hostile variants and full-size answers.

#include "opendata/normalise_v4.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "network/stations.h"
#include "opendata/parse.h"
#include "opendata/v2_members.h"
#include "platform/charset.h"

namespace {

using Ordered = nlohmann::ordered_json;

const std::string earlier = "earlier";
const std::string normalText = "現在、平常どおり運転しています。";

std::string readExample(const char* name)
{
    std::ifstream in(std::string(LINEWATCH_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return text.str();
}

// Keys ordered as version 4 orders them: by length, then bytewise, nested too.
Ordered v4Order(const Ordered& value)
{
    if (value.is_array()) {
        Ordered out = Ordered::array();
        for (const Ordered& v : value)
            out.push_back(v4Order(v));
        return out;
    }
    if (!value.is_object())
        return value;
    std::vector<std::string> keys;
    for (auto it = value.begin(); it != value.end(); ++it)
        keys.push_back(it.key());
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    Ordered out = Ordered::object();
    for (const std::string& k : keys)
        out[k] = v4Order(value.at(k));
    return out;
}

// A status notice of version 4; empty arguments leave the member out.
Ordered notice(const std::string& railway, const std::string& text, const std::string& status = "",
               const std::string& origin = "")
{
    Ordered n = {{"@id", "urn:uuid:" + railway},
                 {"@type", "odpt:TrainInformation"},
                 {"dc:date", "2026-11-20T08:40:00+09:00"},
                 {"@context", "http://vocab.odpt.org/context_odpt_TrainInformation.jsonld"},
                 {"odpt:railway", "odpt.Railway:TokyoMetro." + railway},
                 {"odpt:operator", "odpt.Operator:TokyoMetro"},
                 {"odpt:trainInformationText", {{"ja", text}}}};
    if (!origin.empty())
        n["odpt:timeOfOrigin"] = origin;
    if (!status.empty())
        n["odpt:trainInformationStatus"] = {{"ja", status}};
    return n;
}

// Rewrites, converts to Shift_JIS and parses, as the client does.
V4Rewrite load(ResponseKind kind, const std::string& answer)
{
    V4Rewrite r = normaliseV4(kind, answer);
    responseText[kind] = utf8ToCp932(r.text);
    parseResponse(kind);
    return r;
}

class Rewrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (TrainInfoRecord& r : infoRecords) {
            r = TrainInfoRecord{};
            r.date = r.railway = r.informationText = r.timeOfOrigin = r.informationStatus = earlier;
        }
        for (TrainRecord& r : trainRecords) {
            r = TrainRecord{};
            r.trainNumber = r.toStation = r.startingStation = earlier;
            r.delay = r.frequency = -7;
        }
        fareRecord = FareRecord{};
        trainCount = -1;
    }

    // The nine slots hold the nine railways in table order.
    static void expectNineRailways(const char* branchOr = nullptr)
    {
        for (int k = 0; k < railwayCount; ++k) {
            const std::string id = k == 1 && branchOr ? branchOr : railways[k].railwayId;
            EXPECT_EQ(infoRecords[k].railway, id) << k;
        }
    }
};

TEST_F(Rewrite, StatusExampleFillsTheNineSlotsWithPlainTexts)
{
    const V4Rewrite r = load(ResponseKind::Status, readExample("v4-traininformation-example.json"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.objects, 3u);
    expectNineRailways("odpt.Railway:TokyoMetro.MarunouchiBranch");

    const TrainInfoRecord& ginza = infoRecords[0];
    EXPECT_EQ(ginza.context, "http://vocab.odpt.org/context_odpt_TrainInformation.jsonld");
    EXPECT_EQ(ginza.id, "urn:uuid:0b6a3d2e-1f4c-4e8a-9c1d-000000000001");
    EXPECT_EQ(ginza.date, "2026-11-20T08:40:00+09:00");
    EXPECT_EQ(ginza.valid, "2026-11-20T08:45:00+09:00");
    EXPECT_EQ(ginza.operatorId, "odpt.Operator:TokyoMetro");
    EXPECT_EQ(ginza.type, "odpt:TrainInformation");
    EXPECT_EQ(ginza.informationText, utf8ToCp932(normalText));
    EXPECT_EQ(ginza.timeOfOrigin, "");  // absent: no earlier value may stay
    EXPECT_EQ(ginza.informationStatus, "");

    // The main line is missing, so its branch (five languages) speaks for it.
    EXPECT_EQ(infoRecords[1].informationText, utf8ToCp932(normalText));

    const TrainInfoRecord& tozai = infoRecords[3];
    EXPECT_EQ(tozai.timeOfOrigin, "2026-11-20T08:12:00+09:00");
    EXPECT_EQ(tozai.informationText,
              utf8ToCp932("8時12分頃、門前仲町駅で急病人救護のため、ダイヤが乱れています。"));
    EXPECT_EQ(tozai.informationStatus, utf8ToCp932("ダイヤ乱れ"));

    // Lines the answer leaves out keep their railway and lose every old value.
    for (int k : {2, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(infoRecords[k].date, "") << k;
        EXPECT_EQ(infoRecords[k].informationText, "") << k;
        EXPECT_EQ(infoRecords[k].timeOfOrigin, "") << k;
    }
}

TEST_F(Rewrite, BranchTakesTheMainLinesSlotOnlyWithNewsOfItsOwn)
{
    struct Case {
        bool withMain;
        bool mainDisrupted;
        bool branchDisrupted;
        bool branchWins;
    };
    const Case cases[] = {
        {true, false, true, true},  {true, true, true, false},   {true, false, false, false},
        {true, true, false, false}, {false, false, false, true}, {false, false, true, true},
    };
    for (const Case& c : cases) {
        SetUp();
        Ordered answer = Ordered::array();
        answer.push_back(notice("Ginza", normalText));
        // the branch first: its slot must not depend on the order of the answer
        answer.push_back(c.branchDisrupted
                             ? notice("MarunouchiBranch", "方南町支線で遅れ", "ダイヤ乱れ", "x-origin")
                             : notice("MarunouchiBranch", normalText));
        if (c.withMain)
            answer.push_back(c.mainDisrupted ? notice("Marunouchi", "本線で遅れ", "運転見合わせ", "y-origin")
                                             : notice("Marunouchi", normalText));
        for (const char* line :
             {"Hibiya", "Tozai", "Chiyoda", "Yurakucho", "Hanzomon", "Namboku", "Fukutoshin"})
            answer.push_back(notice(line, normalText));
        load(ResponseKind::Status, v4Order(answer).dump());
        const char* trace = c.branchWins ? "branch expected" : "main expected";
        EXPECT_EQ(infoRecords[1].railway, std::string("odpt.Railway:TokyoMetro.") +
                                              (c.branchWins ? "MarunouchiBranch" : "Marunouchi"))
            << trace << c.withMain << c.mainDisrupted << c.branchDisrupted;
        EXPECT_EQ(infoRecords[2].railway, "odpt.Railway:TokyoMetro.Hibiya");
        EXPECT_EQ(infoRecords[8].railway, "odpt.Railway:TokyoMetro.Fukutoshin");
        // The branch's own notice follows, whichever the line shows.
        EXPECT_EQ(infoRecords[9].railway, "odpt.Railway:TokyoMetro.MarunouchiBranch");
        EXPECT_EQ(infoRecords[9].informationText,
                  utf8ToCp932(c.branchDisrupted ? "方南町支線で遅れ" : normalText));
    }
}

TEST_F(Rewrite, OriginIsKeptAsSentAndADisruptionWithoutOneKeepsItsStatus)
{
    Ordered answer = Ordered::array();
    answer.push_back(notice("Ginza", "遅れています", "ダイヤ乱れ"));  // no origin
    answer.push_back(notice("Hibiya", normalText, "", "2026-11-20T05:00:00+09:00"));
    answer.push_back(notice("Tozai", normalText));
    load(ResponseKind::Status, answer.dump());
    // The answer's generation date is no origin: the monitor stamps such a
    // notice with the moment it first sees it.
    EXPECT_EQ(infoRecords[0].timeOfOrigin, "");
    EXPECT_EQ(infoRecords[0].informationStatus, utf8ToCp932("ダイヤ乱れ"));
    EXPECT_EQ(infoRecords[2].timeOfOrigin, "2026-11-20T05:00:00+09:00");
    EXPECT_EQ(infoRecords[3].timeOfOrigin, "");
    EXPECT_EQ(infoRecords[3].informationStatus, "");
    // No branch in the answer: its record keeps nothing of an earlier one.
    EXPECT_EQ(infoRecords[9].railway, "odpt.Railway:TokyoMetro.MarunouchiBranch");
    EXPECT_EQ(infoRecords[9].informationText, "");
}

TEST_F(Rewrite, HostileValuesStillGivePlainTexts)
{
    struct Case {
        std::string textMember;  // JSON of odpt:trainInformationText
        std::string expected;    // UTF-8 text in the record
    };
    const std::vector<Case> cases = {
        {R"({"en":"Normal","ko":"정상","zh-Hant":"正常","ja":"平常どおり","zh-Hans":"正常","fr":"x"})",
         "平常どおり"},
        {R"({"en":"only English"})", ""},
        {R"("plain string")", "plain string"},
        {R"(["first","second"])", "first"},
        {R"([{"ja":"in an array"}])", "in an array"},
        {R"({"ja":{"ja":[["deep"]]}})", "deep"},
        {R"(42)", ""},
        {R"(null)", ""},
        {R"({"ja":"say \"stop\" now\u0007\n"})", "say ”stop” now  "},
        {R"({"ja":"a\\b}],\"x\":1"})", "a\\b}],”x”:1"},
        {R"([[[[[[[[[[[[[[[[["too deep"]]]]]]]]]]]]]]]]])", ""},
    };
    for (const Case& c : cases) {
        SetUp();
        const std::string answer =
            R"([{"@id":"i","@type":"odpt:TrainInformation","odpt:railway":"odpt.Railway:TokyoMetro.Ginza",)"
            R"("odpt:trainInformationText":)" +
            c.textMember + "}]";
        const V4Rewrite r = load(ResponseKind::Status, answer);
        ASSERT_TRUE(r.ok) << c.textMember;
        EXPECT_EQ(cp932ToUtf8(infoRecords[0].informationText), c.expected) << c.textMember;
        EXPECT_EQ(infoRecords[0].type, "odpt:TrainInformation") << c.textMember;
        expectNineRailways();
    }

    // Identifiers sent as arrays, a repeated railway, elements that are no objects.
    SetUp();
    load(ResponseKind::Status,
         R"([7,"x",null,{"odpt:railway":["odpt.Railway:TokyoMetro.Ginza"],"dc:date":["2026-01-01T00:00:00"],)"
         R"("odpt:trainInformationText":{"ja":"first"}},)"
         R"({"odpt:railway":"odpt.Railway:TokyoMetro.Ginza","odpt:trainInformationText":{"ja":"second"}}])");
    EXPECT_EQ(infoRecords[0].informationText, "first");
    EXPECT_EQ(infoRecords[0].date, "2026-01-01T00:00:00");
    expectNineRailways();
}

TEST_F(Rewrite, AnswersThatAreNoArrayGiveNothing)
{
    const std::string good = readExample("v4-traininformation-example.json");
    for (const std::string& text :
         {std::string(""), std::string("{}"), std::string("Invalid acl:consumerKey."),
          std::string("[{\"a\":1},]"), std::string("[\"\xFF\"]"), good + "x"}) {
        for (ResponseKind kind : {ResponseKind::Status, ResponseKind::Trains, ResponseKind::Fare}) {
            const V4Rewrite r = normaliseV4(kind, text);
            EXPECT_FALSE(r.ok) << text;
            EXPECT_EQ(r.text, "") << text;
        }
    }
    // Every cut of a real-shaped answer is refused, none crashes.
    for (std::size_t n = 0; n + 1 < good.size(); ++n)
        EXPECT_FALSE(normaliseV4(ResponseKind::Status, good.substr(0, n)).ok) << n;
    // An empty answer still gives nine empty slots rather than keeping old ones.
    const V4Rewrite empty = load(ResponseKind::Status, "[]");
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.objects, 0u);
    expectNineRailways();
    EXPECT_EQ(infoRecords[0].date, "");
}

TEST_F(Rewrite, TrainsTakeTheFirstOriginAndDestinationAndDefaultTheirNumbers)
{
    const std::string answer = v4Order(Ordered::parse(R"([
        {"@id":"urn:ucode:_1","@type":"odpt:Train","dc:date":"2026-11-20T08:40:00+09:00",
         "@context":"http://vocab.odpt.org/context_odpt_Train.jsonld","owl:sameAs":"odpt.Train:TokyoMetro.Hanzomon.A2398K",
         "odpt:railway":"odpt.Railway:TokyoMetro.Hanzomon","odpt:trainNumber":"A2398K",
         "odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:fromStation":"odpt.Station:TokyoMetro.Hanzomon.Shibuya",
         "odpt:toStation":"odpt.Station:TokyoMetro.Hanzomon.OmoteSando",
         "odpt:originStation":["odpt.Station:Tokyu.DenEnToshi.ChuoRinkan","odpt.Station:X"],
         "odpt:destinationStation":["odpt.Station:TokyoMetro.Hanzomon.Oshiage"],
         "odpt:railDirection":"odpt.RailDirection:TokyoMetro.Oshiage","odpt:trainOwner":"odpt.TrainOwner:Tokyu"},
        {"@id":"urn:ucode:_2","@type":"odpt:Train","@context":"c","odpt:trainNumber":"B0917S","odpt:delay":180,
         "odpt:frequency":90.0,"odpt:toStation":null,"odpt:fromStation":"odpt.Station:TokyoMetro.Ginza.Ueno"},
        {"@id":"urn:ucode:_3","@type":"odpt:Train","@context":"c","odpt:trainNumber":"B1","odpt:delay":"late",
         "odpt:frequency":99999999999}
    ])"))
                                   .dump();
    const V4Rewrite r = load(ResponseKind::Trains, answer);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(trainCount, 3);
    const TrainRecord& a = trainRecords[0];
    EXPECT_EQ(a.context, "http://vocab.odpt.org/context_odpt_Train.jsonld");
    EXPECT_EQ(a.trainNumber, "A2398K");
    EXPECT_EQ(a.frequency, 0);
    EXPECT_EQ(a.delay, 0);
    EXPECT_EQ(a.startingStation, "odpt.Station:Tokyu.DenEnToshi.ChuoRinkan");
    EXPECT_EQ(a.terminalStation, "odpt.Station:TokyoMetro.Hanzomon.Oshiage");
    EXPECT_EQ(a.fromStation, "odpt.Station:TokyoMetro.Hanzomon.Shibuya");
    EXPECT_EQ(a.toStation, "odpt.Station:TokyoMetro.Hanzomon.OmoteSando");
    EXPECT_EQ(a.railDirection, "odpt.RailDirection:TokyoMetro.Oshiage");
    EXPECT_EQ(a.trainOwner, "odpt.TrainOwner:Tokyu");
    const TrainRecord& b = trainRecords[1];
    EXPECT_EQ(b.delay, 180);
    EXPECT_EQ(b.frequency, 90);
    EXPECT_EQ(b.toStation, "null");
    EXPECT_EQ(b.startingStation, "");
    EXPECT_EQ(trainRecords[2].delay, 0);
    EXPECT_EQ(trainRecords[2].frequency, INT32_MAX);
    EXPECT_EQ(trainRecords[2].toStation, "null");
}

TEST_F(Rewrite, TrainSampleInTheNewKeyOrderReadsAsTheOldOne)
{
    const Ordered sample = Ordered::parse(readExample("train-doc-sample.json"));
    responseText[ResponseKind::Trains] = sample.dump();
    parseResponse(ResponseKind::Trains);
    std::vector<TrainRecord> direct(trainRecords, trainRecords + 2);
    SetUp();
    load(ResponseKind::Trains, v4Order(sample).dump());
    ASSERT_EQ(trainCount, 2);
    for (int i = 0; i < 2; ++i) {
        const TrainRecord& d = direct[i];
        const TrainRecord& v = trainRecords[i];
        EXPECT_EQ(v.context, d.context);
        EXPECT_EQ(v.id, d.id);
        EXPECT_EQ(v.sameAs, d.sameAs);
        EXPECT_EQ(v.trainNumber, d.trainNumber);
        EXPECT_EQ(v.frequency, d.frequency);
        EXPECT_EQ(v.delay, d.delay);
        EXPECT_EQ(v.startingStation, d.startingStation);
        EXPECT_EQ(v.terminalStation, d.terminalStation);
        EXPECT_EQ(v.fromStation, d.fromStation);
        EXPECT_EQ(v.railDirection, d.railDirection);
        EXPECT_EQ(v.trainOwner, d.trainOwner);
        EXPECT_EQ(v.toStation, d.toStation);
    }
}

TEST_F(Rewrite, FareExampleGivesTheFourAmountsAndContextLast)
{
    const V4Rewrite r = load(ResponseKind::Fare, readExample("v4-railwayfare-example.json"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fareRecord.ticketFare, 260);
    EXPECT_EQ(fareRecord.childTicketFare, 130);
    EXPECT_EQ(fareRecord.icCardFare, 252);
    EXPECT_EQ(fareRecord.childIcCardFare, 126);
    EXPECT_EQ(fareRecord.fromStation, "odpt.Station:TokyoMetro.Ginza.Shibuya");
    EXPECT_EQ(fareRecord.toStation, "odpt.Station:TokyoMetro.Ginza.Ueno");
    EXPECT_EQ(fareRecord.sameAs, "odpt.RailwayFare:TokyoMetro.Ginza.Shibuya.TokyoMetro.Ginza.Ueno");
    EXPECT_EQ(fareRecord.context, "http://vocab.odpt.org/context_odpt_RailwayFare.jsonld");
    EXPECT_EQ(r.text.rfind("\"@context\":"), r.text.find("\"@context\":"));
    EXPECT_LT(r.text.find("\"odpt:childIcCardFare\""), r.text.find("\"@context\""));

    // An interchange pair answers four zeros; amounts that are missing are -1.
    load(ResponseKind::Fare,
         R"([{"odpt:fromStation":"a","odpt:toStation":"b","odpt:icCardFare":0,"odpt:ticketFare":0,)"
         R"("odpt:childIcCardFare":0,"odpt:childTicketFare":0}])");
    EXPECT_EQ(fareRecord.ticketFare, 0);
    EXPECT_EQ(fareRecord.childIcCardFare, 0);
    load(ResponseKind::Fare, R"([{"odpt:fromStation":"a","odpt:ticketFare":"180","odpt:icCardFare":178}])");
    EXPECT_EQ(fareRecord.ticketFare, -1);
    EXPECT_EQ(fareRecord.childTicketFare, -1);
    EXPECT_EQ(fareRecord.icCardFare, 178);
    EXPECT_EQ(normaliseV4(ResponseKind::Fare, "[]").text, "[]");
}

// Every object of a rewrite holds every member of its kind's version-2 list,
// in list order, whatever the answer left out: the parser tries the next
// member of the list first.
TEST_F(Rewrite, EveryKindWritesItsMemberListWholeAndInOrder)
{
    const auto expectKeys = [](const std::string& text, const V2Member* members, std::size_t count) {
        const Ordered doc = Ordered::parse(text);
        ASSERT_FALSE(doc.empty());
        for (const Ordered& object : doc) {
            std::vector<std::string> keys, listed;
            for (auto it = object.begin(); it != object.end(); ++it)
                keys.push_back(it.key());
            for (std::size_t k = 0; k < count; ++k)
                listed.emplace_back(members[k].key);
            EXPECT_EQ(keys, listed);
        }
    };
    const std::string sparse = R"([{"odpt:railway":"odpt.Railway:TokyoMetro.Ginza"}])";
    expectKeys(normaliseV4(ResponseKind::Trains, sparse).text, kTrainMembers, std::size(kTrainMembers));
    expectKeys(normaliseV4(ResponseKind::Status, sparse).text, kStatusMembers, std::size(kStatusMembers));
    expectKeys(normaliseV4(ResponseKind::Fare, sparse).text, kFareMembers, std::size(kFareMembers));
    expectKeys(normaliseV4(ResponseKind::Status, readExample("v4-traininformation-example.json")).text,
               kStatusMembers, std::size(kStatusMembers));
}

TEST_F(Rewrite, ThousandObjectAnswersAreCountedAndStillGiveNineSlots)
{
    Ordered status = Ordered::array();
    Ordered trains = Ordered::array();
    for (std::size_t i = 0; i < kV4AnswerObjectCap; ++i) {
        status.push_back(notice(i % 2 ? "Fukutoshin" : "Ginza", normalText));
        trains.push_back(
            {{"@context", "c"}, {"@type", "odpt:Train"}, {"odpt:trainNumber", "A" + std::to_string(i)}});
    }
    const V4Rewrite s = load(ResponseKind::Status, v4Order(status).dump());
    EXPECT_EQ(s.objects, kV4AnswerObjectCap);
    expectNineRailways();
    const V4Rewrite t = load(ResponseKind::Trains, trains.dump());
    EXPECT_EQ(t.objects, kV4AnswerObjectCap);
    EXPECT_EQ(trainCount, kTrainRecordCapacity);
    EXPECT_EQ(trainRecords[399].trainNumber, "A399");

    // A hundred thousand tiny elements are counted, and only as many as
    // the records hold are written.
    std::string flood = "[";
    for (int i = 0; i < 50000; ++i)
        flood += R"({"odpt:trainNumber":"B1"},7,)";
    flood += "{}]";
    for (ResponseKind kind : {ResponseKind::Trains, ResponseKind::Status, ResponseKind::Fare}) {
        const V4Rewrite r = normaliseV4(kind, flood);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.objects, 100001u);
        EXPECT_LT(r.text.size(), 400u * 1000u);
    }
    load(ResponseKind::Trains, flood);
    EXPECT_EQ(trainCount, 200) << "the first 400 elements hold 200 trains";
}

}  // namespace
