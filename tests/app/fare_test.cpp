// The fare dialogue driven by scripted input against a fare server on
// 127.0.0.1.
#include "app/fare.h"
#include "app/monitor_state.h"
#include "app/typed_ahead.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "platform/console.h"
#include "tests/platform/local_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

const char prompt[] = "料金を調べます。調べたい区間の駅の番号を二つ入力してください。(0 - 179)\n";

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

int index_of(const char* sameAs)
{
    for (int i = 0; i < kStationTableSize; ++i)
        if (std::strcmp(stations[i].sameAs, sameAs) == 0)
            return i;
    ADD_FAILURE() << sameAs;
    return 0;
}

// Answers fare queries on a local server: 170/90/165/82 for the one pair it
// knows, [] otherwise (version 4 below); records the parameters of every request.
struct FareServer {
    LocalServer server{LocalServer::Plain};
    std::string knownFrom, knownTo;
    std::string interchangeFrom, interchangeTo;  // version 4 only
    std::mutex lock;
    std::vector<httplib::Params> requests;

    FareServer()
    {
        server.http().Get("/api/v2/datapoints", [this](const httplib::Request& req, httplib::Response& res) {
            std::string from = req.get_param_value("odpt:fromStation");
            std::string to = req.get_param_value("odpt:toStation");
            {
                std::lock_guard<std::mutex> g(lock);
                requests.push_back(req.params);
            }
            std::string body = "[]";
            if (from == knownFrom && to == knownTo)
                body =
                    "[{\"@id\":\"urn:ucode:_00001C00000000000001000003103A2A\",\"@type\":\"odpt:"
                    "RailwayFare\","
                    "\"dc:date\":\"2014-09-03T11:39:51+09:00\",\"owl:sameAs\":\"odpt.RailwayFare:x\","
                    "\"odpt:operator\":\"odpt.Operator:TokyoMetro\",\"odpt:fromStation\":\"" +
                    from + "\",\"odpt:toStation\":\"" + to +
                    "\",\"odpt:ticketFare\":170,\"odpt:childTicketFare\":90,\"odpt:icCardFare\":165,"
                    "\"odpt:childIcCardFare\":82,\"@context\":\"http://vocab.example/"
                    "context_odpt_RailwayFare.jsonld\"}]";
            res.set_content(body, "application/ld+json");
        });
        // Version 4: 2023 fares for the known pair, four zeros for the
        // interchange pair, [] otherwise; keys in version 4's order.
        server.http().Get(
            "/api/v4/odpt:RailwayFare", [this](const httplib::Request& req, httplib::Response& res) {
                std::string from = req.get_param_value("odpt:fromStation");
                std::string to = req.get_param_value("odpt:toStation");
                {
                    std::lock_guard<std::mutex> g(lock);
                    requests.push_back(req.params);
                }
                auto fare = [&](int ticket, int ic, int child, int childIc) {
                    return "[{\"@id\":\"urn:ucode:_1\",\"@type\":\"odpt:RailwayFare\",\"dc:date\":\"2023-03-"
                           "18T11:00:00+09:00\","
                           "\"@context\":\"http://vocab.example/"
                           "context_odpt_RailwayFare.jsonld\",\"odpt:toStation\":\"" +
                           to + "\",\"odpt:icCardFare\":" + std::to_string(ic) +
                           ",\"odpt:ticketFare\":" + std::to_string(ticket) + ",\"odpt:fromStation\":\"" +
                           from + "\",\"odpt:childIcCardFare\":" + std::to_string(childIc) +
                           ",\"odpt:childTicketFare\":" + std::to_string(child) + "}]";
                };
                std::string body = "[]";
                if (from == knownFrom && to == knownTo)
                    body = fare(180, 178, 90, 89);
                else if (from == interchangeFrom && to == interchangeTo)
                    body = fare(0, 0, 0, 0);
                res.set_content(body, "application/json");
            });
    }
};

struct FareTest : ::testing::Test {
    ApiSettings api;
    std::unique_ptr<MonitorState> st = std::make_unique<MonitorState>();
    FareServer fares;
    std::string out;
    std::string script;

    void SetUp() override
    {
        static bool sorted = false;
        if (!sorted) {
            sortStations();
            sorted = true;
        }
        ASSERT_TRUE(fares.server.start());
        api.root = fares.server.root();
        api.consumerKey = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
        api.http.totalTimeoutMs = 5000;
        configureFetch(api);
        fares.knownFrom = stations[3].sameAs;
        fares.knownTo = stations[5].sameAs;
        console_capture(&out);
        console_script(&script);
    }
    void TearDown() override
    {
        console_capture(nullptr);
        console_script(nullptr);
        configureFetch(ApiSettings{});
    }

    // Runs the dialogue on the given input; returns what it printed.
    std::string run(const std::string& input)
    {
        out.clear();
        script = input;
        fareQuery(*st);
        return out;
    }
};

}  // namespace

TEST_F(FareTest, KnownPairPrintsBothFareLinesAndWaitsForAKey)
{
    std::string printed = run("3 5\n1\nxz");
    EXPECT_EQ(count(printed, "普通切符料金 170 円(子供料金 90 円）\nICカード料金 165 円（子供料金 82 円）\n"),
              1u)
        << printed;
    EXPECT_NE(printed.find(std::string("調べる区間は、\n[ ") + stations[3].title + " "), std::string::npos);
    EXPECT_NE(printed.find(" でよろしいですか？ 1:yes 0:no\n"), std::string::npos);
    EXPECT_EQ(printed.substr(printed.size() - 12), "hit anykey!\n");
    // One key was taken after the answer, no more: the other, read while the
    // fare downloaded, waits for the cycle.
    EXPECT_TRUE(keyWaiting(*st));
    EXPECT_EQ(readKey(*st), 'z');
    EXPECT_FALSE(keyWaiting(*st));

    ASSERT_EQ(fares.requests.size(), 1u);
    const httplib::Params& p = fares.requests[0];
    auto value = [&](const char* key) {
        auto it = p.find(key);
        return it == p.end() ? std::string("(missing)") : it->second;
    };
    EXPECT_EQ(value("rdf:type"), "odpt:RailwayFare");
    EXPECT_EQ(value("odpt:fromStation"), stations[3].sameAs);
    EXPECT_EQ(value("odpt:toStation"), stations[5].sameAs);
    EXPECT_EQ(value("acl:consumerKey"), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");

    // The list shows every station once with its line; 180 / 3 line ends.
    EXPECT_NE(printed.find(std::string("(0)") + stations[0].title + " "), std::string::npos);
    EXPECT_NE(printed.find(std::string("(179)") + stations[179].title + " "), std::string::npos);
    std::string list = printed.substr(0, printed.find(prompt));
    EXPECT_EQ(count(list, "\n"), 60u);
    EXPECT_EQ(count(list, " , "), 180u);
}

TEST_F(FareTest, UnknownPairPrintsNoDataFourTimesAndAnEarlierFareNeverShows)
{
    EXPECT_EQ(count(run("3 5\n1\n "), "170 円"), 1u);
    std::string printed = run("5 3\n1\n ");
    EXPECT_EQ(count(printed, "データがありません"), 4u) << printed;
    EXPECT_EQ(count(printed, " 円"), 0u);
    EXPECT_NE(printed.find("普通切符料金 データがありません(子供料金 データがありません）\n"
                           "ICカード料金 データがありません（子供料金 データがありません）\n"),
              std::string::npos);

    // A server that is gone gives the same answer, not the last fare.
    api.root = "http://127.0.0.1:1";
    configureFetch(api);
    EXPECT_EQ(count(run("3 5\n1\n "), "データがありません"), 4u);
}

TEST_F(FareTest, BadNumbersRepeatThePromptWithoutAMessage)
{
    std::string printed = run("5 5\n-1 3\n3 180\n3 5\n0\n3 5\n1\n ");
    EXPECT_EQ(count(printed, prompt), 5u);
    EXPECT_EQ(count(printed, "調べる区間は、"), 2u);
    EXPECT_EQ(fares.requests.size(), 1u);
    // The station list is printed once, not again after a refusal.
    EXPECT_EQ(count(printed, std::string("(179)") + stations[179].title), 1u);
}

TEST_F(FareTest, LettersEmptyLinesAndEndOfInputDoNotHang)
{
    // Two numbers may also come on two lines.
    std::string printed = run("abc\n\n7\n9 \n0\n");
    EXPECT_EQ(count(printed, prompt), 5u);
    EXPECT_EQ(count(printed, "調べる区間は、"), 1u);
    EXPECT_EQ(count(printed, "hit anykey!"), 0u);
    EXPECT_TRUE(fares.requests.empty());
    EXPECT_EQ(script, "");

    printed = run("");
    EXPECT_EQ(count(printed, prompt), 2u);
    printed = run("3 x\n1\n");
    EXPECT_EQ(count(printed, "調べる区間は、"), 0u);
}

TEST_F(FareTest, TwoRecordsOfOneStationAreTwoIdentifiers)
{
    int ginzaLine = index_of("odpt.Station:TokyoMetro.Ginza.AoyamaItchome");
    int hanzomon = index_of("odpt.Station:TokyoMetro.Hanzomon.AoyamaItchome");
    int honancho = index_of("odpt.Station:TokyoMetro.MarunouchiBranch.Honancho");
    std::string printed = run(std::to_string(ginzaLine) + " " + std::to_string(hanzomon) + "\n1\n ");
    ASSERT_EQ(fares.requests.size(), 1u);
    EXPECT_EQ(fares.requests[0].find("odpt:fromStation")->second,
              "odpt.Station:TokyoMetro.Ginza.AoyamaItchome");
    EXPECT_EQ(fares.requests[0].find("odpt:toStation")->second,
              "odpt.Station:TokyoMetro.Hanzomon.AoyamaItchome");
    EXPECT_NE(printed.find("青山一丁目 (銀座線) -> 青山一丁目  (半蔵門線)\n"), std::string::npos) << printed;

    printed = run(std::to_string(honancho) + " " + std::to_string(ginzaLine) + "\n1\n ");
    EXPECT_NE(printed.find("[ 方南町 丸ノ内線 -> 青山一丁目 銀座線 ]\n"), std::string::npos);
}

TEST_F(FareTest, Version4FaresAndAnInterchangeOfOneStation)
{
    api.version = ApiVersion::V4;
    configureFetch(api);
    const int ginzaLine = index_of("odpt.Station:TokyoMetro.Ginza.AoyamaItchome");
    const int hanzomon = index_of("odpt.Station:TokyoMetro.Hanzomon.AoyamaItchome");
    fares.interchangeFrom = stations[ginzaLine].sameAs;
    fares.interchangeTo = stations[hanzomon].sameAs;
    const std::string interchange = "同じ駅での路線の乗り換えのため、運賃はかかりません。\n";

    std::string printed = run("3 5\n1\n ");
    EXPECT_NE(printed.find("普通切符料金 180 円(子供料金 90 円）\nICカード料金 178 円（子供料金 89 円）\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(count(printed, interchange), 0u);

    printed = run(std::to_string(ginzaLine) + " " + std::to_string(hanzomon) + "\n1\n ");
    EXPECT_EQ(count(printed, interchange), 1u) << printed;
    EXPECT_EQ(count(printed, "データがありません"), 0u);
    EXPECT_EQ(count(printed, "普通切符料金"), 0u);
    EXPECT_EQ(count(printed, "hit anykey!"), 1u);

    // No answer after the interchange: no data, and not the interchange again.
    printed = run("5 3\n1\n ");
    EXPECT_EQ(count(printed, "データがありません"), 4u) << printed;
    EXPECT_EQ(count(printed, interchange), 0u);

    ASSERT_EQ(fares.requests.size(), 3u);
    EXPECT_EQ(fares.requests[1].find("odpt:fromStation")->second, stations[ginzaLine].sameAs);
    EXPECT_EQ(fares.requests[1].count("rdf:type"), 0u);
}
