// The response parser: key tables, cut rules, record opening, counters,
// capacities, the documentation samples and truncated answers.

#include "opendata/parse.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/charset.h"

namespace {

const std::string earlier = "earlier";

std::string readSample(const char* name)
{
    std::ifstream in(std::string(LINEWATCH_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return text.str();
}

// The form the live API sends: minified, members in their original order.
std::string minified(const std::string& pretty)
{
    return nlohmann::ordered_json::parse(pretty).dump();
}

void parse(ResponseKind kind, const std::string& text)
{
    responseText[kind] = text;
    parseResponse(kind);
}

// Every record starts each test holding recognisable earlier values.
class Parser : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (TrainRecord& r : trainRecords) {
            r = TrainRecord{};
            r.trainNumber = r.toStation = r.fromStation = earlier;
            r.delay = -7;
        }
        for (TrainInfoRecord& r : infoRecords) {
            r = TrainInfoRecord{};
            r.railway = r.informationText = earlier;
        }
        fareRecord = FareRecord{};
        fareRecord.id = fareRecord.fromStation = earlier;
        fareRecord.ticketFare = fareRecord.childTicketFare = 11;
        fareRecord.icCardFare = fareRecord.childIcCardFare = 11;
        trainCount = -1;
    }
};

TEST_F(Parser, LastBareValueWithoutCommaIsNotStored)
{
    parse(ResponseKind::Trains,
          R"([{"@context":"c","@type":"odpt:Train","odpt:trainNumber":"A1098S2","odpt:delay":120,)"
          R"("odpt:fromStation":"odpt.Station:TokyoMetro.Ginza.Ueno","odpt:toStation":null}])");
    EXPECT_EQ(trainCount, 1);
    EXPECT_EQ(trainRecords[0].trainNumber, "A1098S2");
    EXPECT_EQ(trainRecords[0].delay, 120);
    EXPECT_EQ(trainRecords[0].fromStation, "odpt.Station:TokyoMetro.Ginza.Ueno");
    EXPECT_EQ(trainRecords[0].toStation, earlier);
    EXPECT_EQ(trainRecords[0].context, "c");
    EXPECT_EQ(trainRecords[0].type, "odpt:Train");
}

TEST_F(Parser, BareValueCutTogetherWithTheClosingBrace)
{
    parse(ResponseKind::Trains,
          R"([{"@context":"a","@type":"t","odpt:toStation":null},{"@context":"b","@type":"t",)"
          R"("odpt:delay":300},{"@context":"c","@type":"t","odpt:delay":5}])");
    EXPECT_EQ(trainCount, 3);
    EXPECT_EQ(trainRecords[0].toStation, "null}");
    EXPECT_EQ(trainRecords[1].delay, 300);
    EXPECT_EQ(trainRecords[2].delay, -7);  // "5}]" has no comma after it
    EXPECT_EQ(trainRecords[2].context, "c");
}

TEST_F(Parser, UnknownKeysChangeNothing)
{
    parse(ResponseKind::Trains, R"([{"@context":"c","x:unknown":"odpt:trainNumber","odpt:delayed":9,)"
                                R"("odpt:trainNumbers":["x","y"],"@TYPE":"t","odpt:trainNumber":"B1234S"}])");
    EXPECT_EQ(trainCount, 0);
    EXPECT_EQ(trainRecords[0].trainNumber, "B1234S");
    EXPECT_EQ(trainRecords[0].delay, -7);
    EXPECT_EQ(trainRecords[0].type, "");
    EXPECT_EQ(trainRecords[1].trainNumber, earlier);
}

TEST_F(Parser, EmptyTextsLeaveRecordsAndZeroTheCounts)
{
    for (const char* text : {"", "[]", "no quotes at all", "\"", "\"odpt:trainNumber\""}) {
        SetUp();
        parse(ResponseKind::Trains, text);
        EXPECT_EQ(trainCount, 0) << text;
        EXPECT_EQ(trainRecords[0].trainNumber, earlier) << text;
        parse(ResponseKind::Status, text);
        EXPECT_EQ(infoRecords[0].railway, earlier) << text;
        parse(ResponseKind::Fare, text);
        EXPECT_EQ(fareRecord.ticketFare, 0) << text;
        EXPECT_EQ(fareRecord.childTicketFare, 0) << text;
        EXPECT_EQ(fareRecord.icCardFare, 0) << text;
        EXPECT_EQ(fareRecord.childIcCardFare, 0) << text;
        EXPECT_EQ(fareRecord.id, earlier) << text;
    }
}

TEST_F(Parser, ObjectWithoutContextOverwritesTheRecordOpenedLast)
{
    parse(ResponseKind::Trains,
          R"([{"@context":"c","@type":"t","odpt:trainNumber":"A1","odpt:delay":60,"x":1},)"
          R"({"@type":"t","odpt:trainNumber":"A2","odpt:delay":0,"x":1}])");
    EXPECT_EQ(trainCount, 2);
    EXPECT_EQ(trainRecords[0].trainNumber, "A2");
    EXPECT_EQ(trainRecords[0].delay, 0);
    EXPECT_EQ(trainRecords[1].trainNumber, earlier);
}

TEST_F(Parser, KeysBeforeTheFirstContextAreNotStored)
{
    parse(ResponseKind::Trains,
          R"([{"odpt:trainNumber":"X","@type":"t","@context":"c","odpt:delay":3,"x":0}])");
    EXPECT_EQ(trainCount, 1);
    EXPECT_EQ(trainRecords[0].trainNumber, earlier);
    EXPECT_EQ(trainRecords[0].type, "");
    EXPECT_EQ(trainRecords[0].delay, 3);
    parse(ResponseKind::Status, R"([{"odpt:railway":"R","@context":"c","@id":"i"}])");
    EXPECT_EQ(infoRecords[0].railway, earlier);
    EXPECT_EQ(infoRecords[0].id, "i");
}

TEST_F(Parser, ValuesAreCutByTheirFirstCharacter)
{
    struct Case {
        std::string value;     // what follows "odpt:trainOwner": in an object
        std::string expected;  // the stored text
    };
    const std::vector<Case> cases = {
        {R"("plain",)", "plain"},
        {R"("",)", ""},
        {R"("a\"b",)", "a\\"},  // escapes are not interpreted
        {R"("with, comma and ] bracket",)", "with, comma and ] bracket"},
        {R"(["x","y"],)", R"(["x","y"])"},
        {R"([["x"],["y"]],)", R"([["x"])"},  // the first "]," ends an array
        {R"(null,)", "null"},
        {R"(true,)", "true"},
        {R"(-12.5,)", "-12.5"},
        {R"(  "padded",)", "padded"},  // blanks after the colon are skipped
        {"\n\t\"pretty\",", "pretty"},
        {"\"\x82\xA0\x81\x60\",", "\x82\xA0\x81\x60"},  // Shift_JIS bytes stay as they are
    };
    for (const Case& c : cases) {
        SetUp();
        parse(ResponseKind::Trains, R"([{"@context":"c","odpt:trainOwner":)" + c.value + R"("@type":"t"}])");
        EXPECT_EQ(trainRecords[0].trainOwner, c.expected) << c.value;
    }
}

TEST_F(Parser, NumbersConvertLikeTheCLibraryAndSaturate)
{
    struct Case {
        std::string value;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"120,", 120},
        {"0,", 0},
        {"-45,", -45},
        {"+7,", 7},
        {"null,", 0},
        {"\"90\",", 90},
        {"300},", 300},
        {"12abc,", 12},
        {"- 5,", 0},
        {"2147483647,", 2147483647},
        {"99999999999999999999,", 2147483647},
        {"-2147483648,", -2147483647 - 1},
        {"-99999999999,", -2147483647 - 1},
        {"[1,2],", 0},
    };
    for (const Case& c : cases) {
        SetUp();
        parse(ResponseKind::Trains, R"([{"@context":"c","odpt:delay":)" + c.value + R"("@type":"t"}])");
        EXPECT_EQ(trainRecords[0].delay, c.expected) << c.value;
    }
}

TEST_F(Parser, MissingEndMarkerSkipsToTheNextClosingBrace)
{
    // No comma ever follows 5, so the scan resumes at its brace and goes on.
    parse(ResponseKind::Trains, R"([{"@context":"c","@type":"t","odpt:delay":5} {"odpt:trainNumber":"Z"}])");
    EXPECT_EQ(trainRecords[0].delay, -7);
    EXPECT_EQ(trainRecords[0].trainNumber, "Z");
    EXPECT_EQ(trainCount, 1);

    // An unclosed array has no "]," either; the brace after it resumes the scan.
    SetUp();
    parse(ResponseKind::Trains,
          R"([{"@context":"c","odpt:railway":["a"}, "odpt:trainNumber":"Y","@type":"t"}])");
    EXPECT_EQ(trainRecords[0].railway, "");
    EXPECT_EQ(trainRecords[0].trainNumber, "Y");

    // A string that never closes ends the scan without storing.
    SetUp();
    parse(ResponseKind::Trains, R"([{"@context":"c","@type":"t","odpt:trainNumber":"open)");
    EXPECT_EQ(trainRecords[0].trainNumber, earlier);
    EXPECT_EQ(trainCount, 1);
}

// Values without their end marker filling an answer of the largest size the
// client keeps: each one must not cost a scan to the end of the text. The
// bound is loose on purpose (a scan per value takes minutes, the linear parse
// about a second under the sanitizers) so a busy machine cannot fail it.
TEST_F(Parser, AnswerFullOfUnendedValuesParsesPromptly)
{
    const std::string head = R"([{"@context":"c","@type":"t","odpt:delay":42,"x":0})";
    for (const std::string unit : {R"("odpt:delay":1})", R"("odpt:railway":["x"})"}) {
        SetUp();
        std::string text = head;
        while (text.size() < kResponseByteCap)
            text += unit;
        const auto start = std::chrono::steady_clock::now();
        parse(ResponseKind::Trains, text);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 30000) << unit;
        EXPECT_EQ(trainCount, 1) << unit;
        EXPECT_EQ(trainRecords[0].delay, 42) << unit;
        EXPECT_EQ(trainRecords[0].railway, "") << unit;
    }
}

TEST_F(Parser, SurplusObjectsAreDroppedAndCountsCapped)
{
    std::string trains = "[";
    for (int i = 0; i < kTrainRecordCapacity + 25; ++i)
        trains += R"({"@context":"c","@type":"t","odpt:trainNumber":"T)" + std::to_string(i) +
                  R"(","odpt:delay":)" + std::to_string(i) + ",\"x\":0},";
    trains.back() = ']';
    parse(ResponseKind::Trains, trains);
    EXPECT_EQ(trainCount, kTrainRecordCapacity);
    EXPECT_EQ(trainRecords[0].trainNumber, "T0");
    EXPECT_EQ(trainRecords[kTrainRecordCapacity - 1].trainNumber,
              "T" + std::to_string(kTrainRecordCapacity - 1));
    EXPECT_EQ(trainRecords[kTrainRecordCapacity - 1].delay, kTrainRecordCapacity - 1);

    std::string notices = "[";
    for (int i = 0; i < kInfoRecordCapacity + 3; ++i)
        notices += R"({"@context":"c","odpt:railway":"R)" + std::to_string(i) + R"(","@type":"i"},)";
    notices.back() = ']';
    parse(ResponseKind::Status, notices);
    EXPECT_EQ(infoRecords[0].railway, "R0");
    EXPECT_EQ(infoRecords[kInfoRecordCapacity - 1].railway, "R" + std::to_string(kInfoRecordCapacity - 1));
}

TEST_F(Parser, StatusRecordsBeyondTheLastParseKeepTheirContents)
{
    parse(ResponseKind::Status,
          R"([{"@context":"c","odpt:railway":"A","odpt:trainInformationText":"one","@type":"i"},)"
          R"({"@context":"c","odpt:railway":"B","odpt:trainInformationStatus":"s","@type":"i"}])");
    EXPECT_EQ(infoRecords[1].railway, "B");
    EXPECT_EQ(infoRecords[1].informationStatus, "s");
    parse(ResponseKind::Status, R"([{"@context":"c","odpt:railway":"C","@type":"i"}])");
    EXPECT_EQ(infoRecords[0].railway, "C");
    EXPECT_EQ(infoRecords[0].informationText, "one");  // not in the second answer
    EXPECT_EQ(infoRecords[1].railway, "B");
    EXPECT_EQ(infoRecords[2].railway, earlier);
}

TEST_F(Parser, FareKeysInAnyOrderWriteTheSingleRecord)
{
    parse(ResponseKind::Fare,
          R"([{"odpt:childIcCardFare":82,"@id":"urn:x","odpt:ticketFare":170,)"
          R"("@context":"ctx","odpt:icCardFare":165,"@id":"urn:y","odpt:childTicketFare":90,"z":1}])");
    EXPECT_EQ(fareRecord.id, "urn:y");
    EXPECT_EQ(fareRecord.context, "ctx");
    EXPECT_EQ(fareRecord.ticketFare, 170);
    EXPECT_EQ(fareRecord.childTicketFare, 90);
    EXPECT_EQ(fareRecord.icCardFare, 165);
    EXPECT_EQ(fareRecord.childIcCardFare, 82);
    EXPECT_EQ(fareRecord.fromStation, earlier);
    // A second answer without amounts leaves them at 0, not at the first answer's.
    parse(ResponseKind::Fare, R"([{"@id":"urn:z"}])");
    EXPECT_EQ(fareRecord.ticketFare, 0);
    EXPECT_EQ(fareRecord.childIcCardFare, 0);
}

TEST_F(Parser, TrainSampleMinifiedAndPretty)
{
    const std::string pretty = readSample("train-doc-sample.json");
    for (const std::string& text : {minified(pretty), pretty}) {
        SetUp();
        parse(ResponseKind::Trains, text);
        ASSERT_EQ(trainCount, 2);
        const TrainRecord& a = trainRecords[0];
        EXPECT_EQ(a.context, "http://vocab.tokyometroapp.jp/context_odpt_Train.jsonld");
        EXPECT_EQ(a.type, "odpt:Train");
        EXPECT_EQ(a.id, "urn:ucode:_00001C000000000000010000030C4D61");
        EXPECT_EQ(a.date, "2014-09-08T20:53:51+09:00");
        EXPECT_EQ(a.valid, "2014-09-08T20:54:51+09:00");
        EXPECT_EQ(a.frequency, 60);
        EXPECT_EQ(a.railway, "odpt.Railway:TokyoMetro.Chiyoda");
        EXPECT_EQ(a.sameAs, "odpt.Train:TokyoMetro.Chiyoda.A2098S4");
        EXPECT_EQ(a.trainNumber, "A2098S4");
        EXPECT_EQ(a.trainType, "odpt.TrainType:TokyoMetro.Local");
        EXPECT_EQ(a.delay, 0);
        EXPECT_EQ(a.startingStation, "odpt.Station:TokyoMetro.Chiyoda.KitaAyase");
        EXPECT_EQ(a.terminalStation, "odpt.Station:TokyoMetro.Chiyoda.Ayase");
        EXPECT_EQ(a.fromStation, "odpt.Station:TokyoMetro.Chiyoda.KitaAyase");
        EXPECT_EQ(a.toStation, "null");
        EXPECT_EQ(a.railDirection, "odpt.RailDirection:TokyoMetro.Ayase");
        EXPECT_EQ(a.trainOwner, "odpt.TrainOwner:TokyoMetro");
        const TrainRecord& b = trainRecords[1];
        EXPECT_EQ(b.context, "http://vocab.tokyometroapp.jp/context_odpt_train.jsonld");
        EXPECT_EQ(b.trainNumber, "A2029K");
        EXPECT_EQ(b.startingStation, "odpt.Station:JR-East.Joban.Abiko");
        EXPECT_EQ(b.fromStation, "odpt.Station:TokyoMetro.Chiyoda.Yushima");
        EXPECT_EQ(b.trainOwner, "odpt.TrainOwner:JR-East");
        EXPECT_EQ(trainRecords[2].trainNumber, earlier);
    }
}

TEST_F(Parser, StatusAndFareSamples)
{
    const std::string status = utf8ToCp932(minified(readSample("traininformation-doc-sample.json")));
    parse(ResponseKind::Status, status);
    const TrainInfoRecord& s = infoRecords[0];
    EXPECT_EQ(s.context, "http://vocab.tokyometroapp.jp/context_odpt_TrainInformation.jsonld");
    EXPECT_EQ(s.id, "urn:ucode:_00001C000000000000010000030C3BE6");
    EXPECT_EQ(s.date, "2014-09-08T22:50:02+09:00");
    EXPECT_EQ(s.valid, "2014-09-08T22:55:02+09:00");
    EXPECT_EQ(s.operatorId, "odpt.Operator:TokyoMetro");
    EXPECT_EQ(s.railway, "odpt.Railway:TokyoMetro.Hibiya");
    EXPECT_EQ(s.timeOfOrigin, "2014-08-30T23:30:00+09:00");
    EXPECT_EQ(s.informationText, utf8ToCp932("現在、平常どおり運転しています。"));
    EXPECT_EQ(s.type, "odpt:TrainInformation");
    EXPECT_EQ(s.informationStatus, "");
    EXPECT_EQ(infoRecords[1].railway, earlier);

    parse(ResponseKind::Fare, minified(readSample("railwayfare-doc-sample.json")));
    EXPECT_EQ(fareRecord.id, "urn:ucode:_00001C000000000000010000030C4D72");
    EXPECT_EQ(fareRecord.type, "odpt:RailwayFare");
    EXPECT_EQ(fareRecord.sameAs, "odpt.RailwayFare:TokyoMetro.Ginza.TokyoMetro.Asakusa.Ginza.Tawaramachi");
    EXPECT_EQ(fareRecord.operatorId, "odpt.Operator:TokyoMetro");
    EXPECT_EQ(fareRecord.fromStation, "odpt.Station:TokyoMetro.Ginza.Asakusa");
    EXPECT_EQ(fareRecord.toStation, "odpt.Station:TokyoMetro.Ginza.Tawaramachi");
    EXPECT_EQ(fareRecord.ticketFare, 170);
    EXPECT_EQ(fareRecord.childTicketFare, 90);
    EXPECT_EQ(fareRecord.icCardFare, 165);
    EXPECT_EQ(fareRecord.childIcCardFare, 82);
    EXPECT_EQ(fareRecord.context, "http://vocab.tokyometroapp.jp/context_odpt_RailwayFare.jsonld");
}

// Every stored text must be a piece of the text parsed (or the earlier value):
// a cut that reads past the end or across a wrong marker shows up here.
template <class Record, std::size_t N>
void expectPiecesOf(const std::string& text, const Record* records, int count,
                    std::string Record::*const (&fields)[N])
{
    for (int i = 0; i < count; ++i)
        for (std::string Record::*field : fields) {
            const std::string& value = records[i].*field;
            EXPECT_TRUE(value == earlier || text.find(value) != std::string::npos)
                << "record " << i << " holds \"" << value << "\" not in \"" << text << "\"";
        }
}

std::string TrainRecord::*const trainTexts[] = {
    &TrainRecord::context,
    &TrainRecord::type,
    &TrainRecord::id,
    &TrainRecord::date,
    &TrainRecord::valid,
    &TrainRecord::railway,
    &TrainRecord::sameAs,
    &TrainRecord::trainNumber,
    &TrainRecord::trainType,
    &TrainRecord::startingStation,
    &TrainRecord::terminalStation,
    &TrainRecord::fromStation,
    &TrainRecord::toStation,
    &TrainRecord::railDirection,
    &TrainRecord::trainOwner,
};
std::string TrainInfoRecord::*const statusTexts[] = {
    &TrainInfoRecord::context,      &TrainInfoRecord::id,
    &TrainInfoRecord::date,         &TrainInfoRecord::valid,
    &TrainInfoRecord::operatorId,   &TrainInfoRecord::railway,
    &TrainInfoRecord::timeOfOrigin, &TrainInfoRecord::informationText,
    &TrainInfoRecord::type,         &TrainInfoRecord::informationStatus,
};
std::string FareRecord::*const fareTexts[] = {
    &FareRecord::id,         &FareRecord::type,        &FareRecord::sameAs,    &FareRecord::date,
    &FareRecord::operatorId, &FareRecord::fromStation, &FareRecord::toStation, &FareRecord::context,
};

// Parses text as every kind and checks that nothing outside it was stored.
void parseAsEveryKind(const std::string& text, int maxTrains)
{
    parse(ResponseKind::Trains, text);
    EXPECT_GE(trainCount, 0);
    EXPECT_LE(trainCount, maxTrains);
    expectPiecesOf(text, trainRecords, 3, trainTexts);
    parse(ResponseKind::Status, text);
    expectPiecesOf(text, infoRecords, 2, statusTexts);
    parse(ResponseKind::Fare, text);
    expectPiecesOf(text, &fareRecord, 1, fareTexts);
}

TEST_F(Parser, EveryTruncatedPrefixOfTheSamplesIsSafe)
{
    for (const char* name :
         {"train-doc-sample.json", "traininformation-doc-sample.json", "railwayfare-doc-sample.json"}) {
        const std::string pretty = utf8ToCp932(readSample(name));
        for (const std::string& text : {utf8ToCp932(minified(readSample(name))), pretty}) {
            SetUp();
            for (std::size_t length = 0; length <= text.size(); ++length)
                parseAsEveryKind(text.substr(0, length), 2);
            if (HasFailure())
                FAIL() << name;
        }
    }
}

TEST_F(Parser, ArbitraryBytesFromTheSyntaxAlphabetAreSafe)
{
    // A fixed linear congruential sequence keeps the cases the same on every run.
    const std::string alphabet = "\"\"\":,,[]{}} \n\x81\x60@context@typeodpt:delay0129-";
    std::uint32_t state = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = static_cast<int>(state % 96);
        for (int i = 0; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            text += alphabet[(state >> 16) % alphabet.size()];
        }
        state = state * 1664525u + 1013904223u;
        parseAsEveryKind(text, kTrainRecordCapacity);
        if (HasFailure())
            FAIL() << "round " << round;
    }
}

TEST(CompareTrainNumber, ByteWiseUnsignedPrefixFirst)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"A1098S2", "A1098S2", 0},
        {"A1029K", "A1098S2", -1},
        {"B1234S", "A1234S", 1},
        {"A10", "A100", -1},  // a prefix sorts first
        {"", "A", -1},
        {"\x81\x60", "z", 1},  // bytes compare as unsigned
        {"A1\xFF", "A1\x01", 1},
    };
    for (const Case& c : cases) {
        TrainRecord a;
        TrainRecord b;
        a.trainNumber = c.a;
        b.trainNumber = c.b;
        EXPECT_EQ(compareTrainNumber(a, b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(compareTrainNumber(b, a), -c.expected) << c.b << " vs " << c.a;
    }
}

}  // namespace
