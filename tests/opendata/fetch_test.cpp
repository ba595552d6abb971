// The open-data client against a local HTTPS server: URLs, conversion of
// split characters, failures and what they print, the size cap.

#include "opendata/fetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/charset.h"
#include "platform/console.h"
#include "tests/platform/local_server.h"

namespace {

const std::string testKey = "fedcba9876543210fedcba9876543210fedcba9876543210fedcba9876543210";
const std::string upperKey = "FEDCBA9876543210FEDCBA9876543210FEDCBA9876543210FEDCBA9876543210";
// testKey with every character %-escaped.
const std::string escapedKey = [] {
    std::string out;
    for (char c : testKey)
        out += "%" + std::to_string(c >= 'a' ? 61 + c - 'a' : 30 + c - '0');
    return out;
}();

// What the datapoints route answers, per rdf:type.
struct Answer {
    int status = 200;
    std::string body;
    std::vector<std::size_t> splits;  // body sent in pieces ending at these offsets
};

class Client : public ::testing::Test {
protected:
    LocalServer server{LocalServer::Tls};
    std::map<std::string, Answer> answers;  // by rdf:type, or by the type in a version-4 path
    std::vector<std::string> targets;       // request targets in arrival order
    std::vector<std::string> requestLines;  // version 4: "GET target HTTP/1.1" in arrival order
    std::vector<std::string> agents;
    std::string console;
    ApiSettings settings;
    // version-4 requests arrive on several server threads at once
    std::mutex serverLock;
    std::condition_variable allAsked;
    std::map<std::string, Answer> timetableAnswers;  // by odpt:railway
    int timetablesAsked = 1;                         // timetable requests that wait for each other
    int timetablesSeen = 0;
    int timetablesInFlight = 0;
    int maxTimetablesInFlight = 0;

    void SetUp() override
    {
        server.http().Get("/api/v2/datapoints", [this](const httplib::Request& req, httplib::Response& res) {
            targets.push_back(req.target);
            agents.push_back(req.get_header_value("User-Agent"));
            const Answer& answer = answers[req.get_param_value("rdf:type")];
            res.status = answer.status;
            if (answer.splits.empty()) {
                res.set_content(answer.body, "application/json");
                return;
            }
            const Answer* sent = &answer;
            res.set_chunked_content_provider(
                "application/json", [sent](std::size_t, httplib::DataSink& sink) {
                    std::size_t from = 0;
                    for (std::size_t to : sent->splits) {
                        sink.write(sent->body.data() + from, to - from);
                        from = to;
                        // Gives each piece its own read on the client side.
                        std::this_thread::sleep_for(std::chrono::milliseconds(3));
                    }
                    sink.write(sent->body.data() + from, sent->body.size() - from);
                    sink.done();
                    return true;
                });
        });
        server.http().Get(R"(/api/v4/([^?]+))", [this](const httplib::Request& req, httplib::Response& res) {
            std::unique_lock<std::mutex> lock(serverLock);
            requestLines.push_back(req.method + " " + req.target + " " + req.version);
            // a timetable waits for the others asked for with it, so that all are in flight at once
            const std::string railway = req.get_param_value("odpt:railway");
            if (!railway.empty()) {
                ++timetablesInFlight;
                ++timetablesSeen;
                maxTimetablesInFlight = std::max(maxTimetablesInFlight, timetablesInFlight);
                allAsked.notify_all();
                allAsked.wait_for(lock, std::chrono::seconds(5),
                                  [this] { return timetablesSeen >= timetablesAsked; });
                --timetablesInFlight;
            }
            const auto byRailway = timetableAnswers.find(railway);
            const Answer& answer =
                byRailway != timetableAnswers.end() ? byRailway->second : answers[req.matches[1]];
            res.status = answer.status;
            res.set_content(answer.body, "application/json");
        });
        ASSERT_TRUE(server.start());
        settings.root = server.root() + "/";
        settings.consumerKey = testKey;
        settings.http.caFile = server.caFile();
        configureFetch(settings);
        for (std::string& text : responseText.text)
            text = "stale";
        console_capture(&console);
    }

    void TearDown() override
    {
        console_capture(nullptr);
        configureFetch(ApiSettings{});
    }

    int consoleLines() const { return static_cast<int>(std::count(console.begin(), console.end(), '\n')); }

    // The same server spoken to in version 4.
    void useV4()
    {
        settings.version = ApiVersion::V4;
        configureFetch(settings);
    }

    bool printed(const char* utf8) const { return console.find(utf8ToCp932(utf8)) != std::string::npos; }
};

TEST_F(Client, AKeyInAnAnswerIsMaskedInItsTextBeforeAnythingReadsIt)
{
    // a train number and a fare go to the map, the settings file and the
    // console; the kanji before the notice's key stays whole
    const std::string split = testKey.substr(0, 7) + "\\u0001" + testKey.substr(7);
    answers["odpt:Train"].body = R"([{"odpt:trainNumber":")" + split + R"("}])";
    answers["odpt:TrainInformation"].body =
        R"([{"odpt:railway":"odpt.Railway:TokyoMetro.Ginza","odpt:trainInformationStatus":"遅延",)"
        R"("odpt:trainInformationText":"亜)" +
        testKey.substr(1) + R"("}])";
    answers["odpt:RailwayFare"].body = R"([{"odpt:fromStation":")" + upperKey + R"("}])";
    for (bool v4 : {false, true}) {
        if (v4)
            useV4();
        EXPECT_TRUE(fetchLive(nullptr));
        EXPECT_TRUE(fetchFare(fareUrl("a", "b"), nullptr));
        EXPECT_NE(responseText[ResponseKind::Trains].find("***"), std::string::npos) << v4;
        EXPECT_NE(responseText[ResponseKind::Status].find(utf8ToCp932("亜") + "***"), std::string::npos)
            << v4;
        EXPECT_NE(responseText[ResponseKind::Fare].find("***"), std::string::npos) << v4;
        for (std::string& text : responseText.text) {
            EXPECT_EQ(text.find(testKey.substr(20, 16)), std::string::npos) << text;
            EXPECT_EQ(text.find(upperKey.substr(20, 16)), std::string::npos) << text;
        }
    }
}

TEST_F(Client, LiveFetchRequestsBothKindsAndConvertsTheirBodies)
{
    answers["odpt:Train"].body = R"([{"@context":"c","odpt:trainNumber":"A1098S2"}])";
    answers["odpt:TrainInformation"].body =
        R"([{"odpt:trainInformationText":"現在、平常どおり運転しています。"}])";
    fetchLive(nullptr);
    EXPECT_EQ(responseText[ResponseKind::Trains], answers["odpt:Train"].body);
    EXPECT_EQ(responseText[ResponseKind::Status], utf8ToCp932(answers["odpt:TrainInformation"].body));
    EXPECT_EQ(responseText[ResponseKind::Fare], "stale");
    EXPECT_EQ(console, "");

    const std::string keyParameter = "&acl:consumerKey=" + testKey;
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0], "/api/v2/datapoints?rdf:type=odpt:Train" + keyParameter);
    EXPECT_EQ(targets[1], "/api/v2/datapoints?rdf:type=odpt:TrainInformation" + keyParameter);
    EXPECT_EQ(agents[0], "DefaultApplication01");
    EXPECT_EQ(liveUrl(ResponseKind::Trains), server.root() + targets[0]);
    EXPECT_EQ(datapointsBase(), server.root() + "/api/v2/datapoints?");
}

TEST_F(Client, CharactersSplitBetweenChunksArriveWhole)
{
    std::string body = R"([{"odpt:trainInformationText":")";
    for (int i = 0; i < 40; ++i)
        body += "銀座線〜渋谷😀駅ｱ";
    body += "\"}]";
    Answer& answer = answers["odpt:TrainInformation"];
    answer.body = body;
    // Cut one byte into a character, two bytes into one, and inside a four-byte one.
    const std::size_t first = body.find("座") + 1;
    answer.splits = {first, first + 1, body.find("谷") + 2, body.find("😀") + 3, body.size() - 5};
    fetchLive(nullptr);
    EXPECT_EQ(responseText[ResponseKind::Status], utf8ToCp932(body));
    EXPECT_NE(responseText[ResponseKind::Status].find(utf8ToCp932("銀座線〜渋谷")), std::string::npos);
}

TEST_F(Client, FailedAnswersLeaveTheTextEmptyAndPrintOneLine)
{
    struct Case {
        Answer answer;
        std::vector<std::string> printed;  // pieces the console line must hold
    };
    const std::vector<Case> cases = {
        {{403, "Invalid acl:consumerKey.", {}}, {"odpt:Train: HTTP 403: Invalid acl:consumerKey."}},
        {{500, "Internal Server Error\n\tdetails", {}},
         {"odpt:Train: HTTP 500: Internal Server Error  details"}},
        {{503, "Your request rate is too high", {}}, {"HTTP 503", "rate is too high"}},
        {{200, "<html><body>Sign in to the network</body></html>", {}}, {"odpt:Train", "not JSON", "<html>"}},
        {{200, "", {}}, {"odpt:Train", "not JSON"}},
        {{401, "bad key " + testKey + " refused", {}}, {"HTTP 401: bad key *** refused"}},
        {{404, std::string(200, 'z'), {}}, {"HTTP 404: " + std::string(80, 'z') + "\n"}},
        // A key that starts inside the quoted bytes is masked whole, not cut.
        {{401, std::string(70, '-') + testKey + " tail", {}},
         {"HTTP 401: " + std::string(70, '-') + "***\n"}},
        // Echoed by a proxy's error page: upper case, and %-escaped past the excerpt's end.
        {{407, "KEY " + upperKey + " DENIED", {}}, {"HTTP 407: KEY *** DENIED"}},
        {{502, std::string(76, '.') + escapedKey, {}}, {"HTTP 502: " + std::string(76, '.') + "***\n"}},
        // Control bytes inside the echo, which the console then drops.
        {{500,
          "oops " + testKey.substr(0, 4) + "\x01" + testKey.substr(4, 30) + "\x1b" + testKey.substr(34),
          {}},
         {"HTTP 500: oops ***\n"}},
    };
    for (const Case& c : cases) {
        console.clear();
        responseText[ResponseKind::Trains] = "stale";
        answers["odpt:Train"] = c.answer;
        answers["odpt:TrainInformation"].body = "[]";
        fetchLive(nullptr);
        EXPECT_EQ(responseText[ResponseKind::Trains], "") << c.answer.status;
        EXPECT_EQ(responseText[ResponseKind::Status], "[]");
        EXPECT_EQ(consoleLines(), 1) << console;
        for (const std::string& piece : c.printed)
            EXPECT_NE(console.find(piece), std::string::npos) << console;
        EXPECT_EQ(console.find(testKey.substr(0, 8)), std::string::npos) << console;
        EXPECT_EQ(console.find(upperKey.substr(0, 8)), std::string::npos) << console;
        EXPECT_EQ(console.find(escapedKey.substr(0, 12)), std::string::npos) << console;
    }
}

TEST_F(Client, AByteOrderMarkBeforeTheBodyIsSkipped)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::string status = R"([{"odpt:trainInformationText":"平常どおり"}])";
    // Whole, and its three bytes split between reads in every way.
    const std::vector<std::vector<std::size_t>> splits = {{}, {1}, {2}, {1, 2}, {3}};
    for (const std::vector<std::size_t>& split : splits) {
        console.clear();
        answers["odpt:Train"] = {200, bom + "[]", split};
        answers["odpt:TrainInformation"] = {200, bom + status, split};
        EXPECT_TRUE(fetchLive(nullptr));
        EXPECT_EQ(responseText[ResponseKind::Trains], "[]") << split.size();
        EXPECT_EQ(responseText[ResponseKind::Status], utf8ToCp932(status)) << split.size();
        EXPECT_EQ(console, "");
    }

    // A mark in front of a page is still a page; a mark's first bytes alone are no answer.
    const std::vector<std::string> notJson = {bom + "<html>portal</html>", "\xEF\xBB", bom};
    for (const std::string& body : notJson) {
        console.clear();
        answers["odpt:Train"] = {200, body, {1}};
        answers["odpt:TrainInformation"] = {200, "[]", {}};
        fetchLive(nullptr);
        EXPECT_EQ(responseText[ResponseKind::Trains], "");
        EXPECT_NE(console.find("odpt:Train: the answer is not JSON"), std::string::npos) << console;
    }
    EXPECT_NE(console.find("not JSON: \"\"\n"), std::string::npos) << console;
    console.clear();
    answers["odpt:Train"] = {200, notJson[0], {}};
    fetchLive(nullptr);
    EXPECT_NE(console.find("not JSON: \"<html>portal</html>\"\n"), std::string::npos) << console;
}

TEST_F(Client, AbandonedDownloadsLeaveTheirTextEmptyAndSayNothing)
{
    answers["odpt:Train"].body = "[]";
    answers["odpt:TrainInformation"].body = "[]";
    EXPECT_FALSE(fetchLive([] { return true; }));
    EXPECT_EQ(responseText[ResponseKind::Trains], "");
    // The second download is not started.
    EXPECT_EQ(responseText[ResponseKind::Status], "");
    for (const std::string& target : targets)
        EXPECT_EQ(target.find("TrainInformation"), std::string::npos);
    EXPECT_FALSE(fetchFare(datapointsBase() + "rdf:type=odpt:RailwayFare", [] { return true; }));
    EXPECT_EQ(responseText[ResponseKind::Fare], "");
    EXPECT_EQ(console, "");

    // A server that never answers holds the refresh only until the hook says so.
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    settings.root = silent.root();
    configureFetch(settings);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(
        fetchLive([&] { return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(200); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(console, "");
}

TEST_F(Client, EmptyArrayIsAnAnswerNotAFailure)
{
    answers["odpt:Train"].body = " \n[]";
    answers["odpt:TrainInformation"].body = "{}";
    fetchLive(nullptr);
    EXPECT_EQ(responseText[ResponseKind::Trains], " \n[]");
    EXPECT_EQ(responseText[ResponseKind::Status], "{}");
    EXPECT_EQ(console, "");
}

TEST_F(Client, SecondFareQueryReplacesTheFirst)
{
    const std::string base = datapointsBase() + "rdf:type=odpt:RailwayFare&odpt:fromStation=";
    answers["odpt:RailwayFare"].body = R"([{"odpt:ticketFare":170,"x":"first answer, longer"}])";
    fetchFare(base + "A&acl:consumerKey=" + testKey, nullptr);
    EXPECT_EQ(responseText[ResponseKind::Fare], answers["odpt:RailwayFare"].body);
    answers["odpt:RailwayFare"].body = R"([{"odpt:ticketFare":200}])";
    fetchFare(base + "B&acl:consumerKey=" + testKey, nullptr);
    EXPECT_EQ(responseText[ResponseKind::Fare], R"([{"odpt:ticketFare":200}])");
    EXPECT_EQ(responseText[ResponseKind::Trains], "stale");
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[1],
              "/api/v2/datapoints?rdf:type=odpt:RailwayFare&odpt:fromStation=B&acl:consumerKey=" + testKey);
}

TEST_F(Client, UntrustedServerIsRefused)
{
    settings.http.caFile.clear();
    configureFetch(settings);
    answers["odpt:Train"].body = "[]";
    answers["odpt:TrainInformation"].body = "[]";
    fetchLive(nullptr);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(responseText[ResponseKind::Trains], "");
    EXPECT_EQ(responseText[ResponseKind::Status], "");
    EXPECT_EQ(consoleLines(), 2) << console;
    EXPECT_NE(console.find("odpt:Train: download failed: "), std::string::npos) << console;
    EXPECT_NE(console.find("odpt:TrainInformation: download failed: "), std::string::npos) << console;
}

TEST_F(Client, NeverAnsweringServerTimesOut)
{
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    settings.root = silent.root();
    settings.http.totalTimeoutMs = 250;
    configureFetch(settings);
    const auto start = std::chrono::steady_clock::now();
    fetchLive(nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(responseText[ResponseKind::Trains], "");
    EXPECT_EQ(responseText[ResponseKind::Status], "");
    EXPECT_EQ(consoleLines(), 2) << console;
    EXPECT_NE(console.find("timed out"), std::string::npos) << console;
}

TEST_F(Client, BodiesOverTheCapAreCutAndReported)
{
    std::string body = "[" + std::string(kResponseByteCap + 100000, ' ');
    body.replace(kResponseByteCap - 2, 6, "\"駅\"");  // a character across the cap
    answers["odpt:Train"].body = body;
    answers["odpt:TrainInformation"].body = "[]";
    fetchLive(nullptr);
    const std::string& text = responseText[ResponseKind::Trains];
    ASSERT_EQ(text.size(), kResponseByteCap - 1);  // the cut character is dropped
    EXPECT_EQ(text.compare(0, kResponseByteCap - 2, body, 0, kResponseByteCap - 2), 0);
    EXPECT_EQ(consoleLines(), 1) << console;
    EXPECT_NE(console.find("odpt:Train: the answer is longer than 8388608 bytes"), std::string::npos)
        << console;
    EXPECT_EQ(responseText[ResponseKind::Status], "[]");
}

TEST(ClientDefaults, CompiledInRootSpeaksVersion4AndOtherRootsVersion2)
{
    configureFetch(ApiSettings{});
    EXPECT_EQ(apiVersion(), ApiVersion::V4);
    const std::string key = consumerKey();
    ASSERT_EQ(key.size(), 64u);
    EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(liveUrl(ResponseKind::Status),
              "https://api.odpt.org/api/v4/odpt:TrainInformation"
              "?odpt:operator=odpt.Operator:TokyoMetro&acl:consumerKey=" +
                  key);

    struct Case {
        const char* root;
        ApiVersion version;
    };
    const Case cases[] = {
        {"https://api.odpt.org", ApiVersion::V4},
        {"https://API.ODPT.ORG/", ApiVersion::V4},
        {"http://api.odpt.org:8443", ApiVersion::V4},
        {"api.odpt.org", ApiVersion::V4},
        {"https://api.odpt.org.example", ApiVersion::V2},
        {"https://xapi.odpt.org", ApiVersion::V2},
        {"https://api.tokyometroapp.jp", ApiVersion::V2},
        {"http://127.0.0.1:8080", ApiVersion::V2},
        {"", ApiVersion::V2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(apiVersionOfRoot(c.root), c.version) << c.root;

    // The old root keeps its old URLs byte for byte.
    ApiSettings old;
    old.root = "https://api.tokyometroapp.jp";
    configureFetch(old);
    EXPECT_EQ(liveUrl(ResponseKind::Status),
              "https://api.tokyometroapp.jp/api/v2/datapoints?"
              "rdf:type=odpt:TrainInformation&acl:consumerKey=" +
                  key);
    EXPECT_EQ(fareUrl("odpt.Station:TokyoMetro.Ginza.Asakusa", "odpt.Station:TokyoMetro.Ginza.Ueno"),
              "https://api.tokyometroapp.jp/api/v2/datapoints?rdf:type=odpt:RailwayFare"
              "&odpt:fromStation=odpt.Station:TokyoMetro.Ginza.Asakusa"
              "&odpt:toStation=odpt.Station:TokyoMetro.Ginza.Ueno&acl:consumerKey=" +
                  key);
    // An explicit version wins over the root.
    old.version = ApiVersion::V4;
    configureFetch(old);
    EXPECT_EQ(apiVersion(), ApiVersion::V4);
    configureFetch(ApiSettings{});
}

TEST_F(Client, Version4MakesExactlyTheDocumentedRequests)
{
    useV4();
    answers["odpt:Train"].body = "[]";
    answers["odpt:TrainInformation"].body =
        R"([{"@id":"x","@type":"odpt:TrainInformation","dc:date":"2026-11-20T08:40:00+09:00","@context":"c",)"
        R"("odpt:railway":"odpt.Railway:TokyoMetro.Tozai","odpt:trainInformationText":{"ja":"ダイヤが乱れています。"},)"
        R"("odpt:trainInformationStatus":{"ja":"ダイヤ乱れ"}}])";
    answers["odpt:RailwayFare"].body = R"([{"odpt:icCardFare":252,"odpt:ticketFare":260}])";
    fetchLive(nullptr);
    const std::string shibuya = "odpt.Station:TokyoMetro.Ginza.Shibuya",
                      ueno = "odpt.Station:TokyoMetro.Ginza.Ueno";
    fetchFare(fareUrl(shibuya, ueno), nullptr);

    const std::string key = "&acl:consumerKey=" + testKey + " HTTP/1.1";
    const std::vector<std::string> expected = {
        "GET /api/v4/odpt:Train?odpt:operator=odpt.Operator:TokyoMetro" + key,
        "GET /api/v4/odpt:TrainInformation?odpt:operator=odpt.Operator:TokyoMetro" + key,
        "GET /api/v4/odpt:RailwayFare?odpt:fromStation=" + shibuya + "&odpt:toStation=" + ueno + key,
    };
    EXPECT_EQ(requestLines, expected);
    EXPECT_TRUE(targets.empty()) << "nothing asked of version 2";

    // The answers arrive in the version-2 shape, Shift_JIS: nine notices and
    // the branch's own, the disrupted one in 東西線's place, the fare with its
    // context last.
    const std::string& status = responseText[ResponseKind::Status];
    std::size_t notices = 0;
    for (std::size_t at = status.find("\"@context\""); at != std::string::npos;
         at = status.find("\"@context\"", at + 1))
        ++notices;
    EXPECT_EQ(notices, 10u);
    EXPECT_NE(status.find(utf8ToCp932("\"odpt:trainInformationText\":\"ダイヤが乱れています。\"")),
              std::string::npos);
    EXPECT_EQ(responseText[ResponseKind::Trains], "[]");
    EXPECT_NE(responseText[ResponseKind::Fare].find("\"odpt:ticketFare\":260,\"odpt:childTicketFare\":-1,"),
              std::string::npos);
    EXPECT_EQ(consoleLines(), 1) << "the no-positions note only";
    EXPECT_TRUE(printed("リアルタイムの列車位置を公開していない"));
}

TEST_F(Client, Version4SaysOnceThatThereAreNoPositions)
{
    useV4();
    answers["odpt:Train"].body = "[]";
    answers["odpt:TrainInformation"].body = "[]";
    for (int refresh = 0; refresh < 3; ++refresh)
        fetchLive(nullptr);
    EXPECT_EQ(consoleLines(), 1) << console;
    answers["odpt:Train"].body = R"([{"odpt:trainNumber":"A1001"}])";
    fetchLive(nullptr);
    EXPECT_EQ(consoleLines(), 1) << console;
    EXPECT_NE(responseText[ResponseKind::Trains].find("\"odpt:trainNumber\":\"A1001\""), std::string::npos);
}

TEST_F(Client, Version4BusyAnswersPrintOneLineAndTheNextRefreshTriesAgain)
{
    useV4();
    answers["odpt:TrainInformation"].body = "[]";
    for (int busy : {429, 503}) {
        console.clear();
        requestLines.clear();
        answers["odpt:Train"] = {busy, busy == 429 ? "API rate limit exceeded" : "Service Unavailable", {}};
        responseText[ResponseKind::Status] = "stale";
        fetchLive(nullptr);
        EXPECT_EQ(requestLines.size(), 1u) << "the status is not asked for after a refusal";
        EXPECT_EQ(responseText[ResponseKind::Trains], "");
        EXPECT_EQ(responseText[ResponseKind::Status], "");
        EXPECT_EQ(consoleLines(), 1) << console;
        EXPECT_TRUE(printed(busy == 429 ? "odpt:Train: 利用回数の上限に達しています (HTTP 429)"
                                        : "odpt:Train: サーバーが混み合っています (HTTP 503)"))
            << console;
        EXPECT_TRUE(printed("次回の更新で再取得します。"));
    }
    answers["odpt:Train"] = {200, "[]", {}};
    answers["odpt:TrainInformation"] = {503, "busy", {}};
    requestLines.clear();
    fetchLive(nullptr);
    EXPECT_EQ(requestLines.size(), 2u);
    EXPECT_TRUE(printed("odpt:TrainInformation: サーバーが混み合っています (HTTP 503)")) << console;
}

TEST_F(Client, Version4FailuresAndFullAnswers)
{
    useV4();
    struct Case {
        Answer train;
        std::string printed;  // UTF-8
    };
    std::string thousand = "[";
    for (int i = 0; i < 1000; ++i)
        thousand += R"({"odpt:trainNumber":"A1"},)";
    thousand.back() = ']';
    const std::vector<Case> cases = {
        {{403, "Invalid acl:consumerKey.", {}}, "odpt:Train: HTTP 403: Invalid acl:consumerKey."},
        {{200, R"([{"odpt:trainNumber":"A1"},])", {}},
         "odpt:Train: the answer is not JSON: \"[{\"odpt:trainNumber\""},
        {{200, R"([{"odpt:trainNumber":"A1"})", {}}, "odpt:Train: the answer is not JSON"},
        {{200, thousand, {}},
         "odpt:Train: 応答が上限の 1000 件に達しているため、一部が欠けているかもしれません。"},
    };
    answers["odpt:TrainInformation"].body = "[]";
    for (const Case& c : cases) {
        console.clear();
        answers["odpt:Train"] = c.train;
        fetchLive(nullptr);
        EXPECT_EQ(consoleLines(), 1) << console;
        EXPECT_TRUE(printed(c.printed.c_str())) << console;
        EXPECT_EQ(responseText[ResponseKind::Trains].empty(), c.train.body != thousand) << c.printed;
        EXPECT_EQ(console.find(testKey.substr(0, 8)), std::string::npos) << console;
    }
}

TEST_F(Client, Version4KeepsWithinSixtyRequestsAMinute)
{
    useV4();
    answers["odpt:RailwayFare"].body = "[]";
    const std::string url = fareUrl("A", "B");
    for (int i = 0; i < 60; ++i)
        fetchFare(url, nullptr);
    EXPECT_EQ(requestLines.size(), 60u);
    EXPECT_EQ(console, "");
    responseText[ResponseKind::Fare] = "stale";
    fetchFare(url, nullptr);
    fetchLive(nullptr);
    EXPECT_EQ(requestLines.size(), 60u);
    EXPECT_EQ(responseText[ResponseKind::Fare], "");
    EXPECT_EQ(responseText[ResponseKind::Status], "");
    EXPECT_EQ(consoleLines(), 2) << "one line for the fare, one for the refresh: " << console;
    EXPECT_TRUE(printed("odpt:RailwayFare: 1分間の利用上限（60 回）に達するため、今回は取得しません。"));
}

}  // namespace

TEST_F(Client, TimetablesComeAtOnceAsTheyAreAndLeaveTheTextsAlone)
{
    const std::string weekday = "odpt.Calendar:Weekday";
    const std::vector<std::string> railways = {
        "odpt.Railway:TokyoMetro.Ginza", "odpt.Railway:TokyoMetro.Hibiya", "odpt.Railway:TokyoMetro.Tozai",
        "odpt.Railway:TokyoMetro.Chiyoda", "odpt.Railway:TokyoMetro.Namboku"};
    const std::string body =
        R"([{"odpt:trainNumber":"A1001","odpt:railway":"odpt.Railway:TokyoMetro.Ginza"}])";
    timetableAnswers[railways[0]] = Answer{200, body, {}};
    timetableAnswers[railways[1]] = Answer{500, "oops " + testKey, {}};
    timetableAnswers[railways[2]] = Answer{200, "<html>", {}};
    timetableAnswers[railways[3]] = Answer{429, "", {}};
    timetableAnswers[railways[4]] = Answer{200, " [] ", {}};
    const int atOnce = std::min(kTimetablesAtOnce, static_cast<int>(railways.size()));
    timetablesAsked = atOnce;
    std::vector<std::string> got(railways.size(), "unset");
    int handed = 0;
    // asked in version 4 whatever the client speaks otherwise
    EXPECT_TRUE(fetchTimetables(
        railways, weekday,
        [&](std::size_t r, const std::string* text) {
            ++handed;
            got.at(r) = text ? *text : "failed";
        },
        nullptr));
    EXPECT_EQ(maxTimetablesInFlight, atOnce) << "that many asked for before any is answered";
    EXPECT_EQ(handed, 5);
    EXPECT_EQ(got, (std::vector<std::string>{body, "failed", "failed", "failed", " [] "}))
        << "UTF-8 as sent, not rewritten";
    ASSERT_EQ(requestLines.size(), 5u);
    std::sort(requestLines.begin(), requestLines.end());
    EXPECT_EQ(requestLines[1], "GET /api/v4/odpt:TrainTimetable?odpt:railway=" + railways[0] +
                                   "&odpt:calendar=" + weekday + "&acl:consumerKey=" + testKey + " HTTP/1.1");
    for (std::string& text : responseText.text)
        EXPECT_EQ(text, "stale");
    EXPECT_EQ(consoleLines(), 3) << "one line for each failure: " << console;
    EXPECT_EQ(console.find(testKey), std::string::npos);
    EXPECT_NE(console.find("odpt:TrainTimetable: HTTP 500"), std::string::npos) << console;

    // abandoned: nothing is handed over, nothing said
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    settings.root = silent.root();
    configureFetch(settings);
    console.clear();
    handed = 0;
    int asked = 0;
    EXPECT_FALSE(fetchTimetables(
        railways, weekday, [&](std::size_t, const std::string*) { ++handed; }, [&] { return ++asked > 2; }));
    EXPECT_EQ(handed, 0);
    EXPECT_EQ(console, "");
}

TEST_F(Client, TimetablesCountAgainstTheSameSixtyRequestsAMinute)
{
    useV4();
    answers["odpt:RailwayFare"].body = "[]";
    answers["odpt:TrainTimetable"].body = "[]";
    for (int i = 0; i < 55; ++i)
        fetchFare(fareUrl("A", "B"), nullptr);
    const std::vector<std::string> railways(10, "odpt.Railway:TokyoMetro.Ginza");
    int answered = 0, refused = 0;
    fetchTimetables(
        railways, "odpt.Calendar:Weekday",
        [&](std::size_t, const std::string* text) { ++(text ? answered : refused); }, nullptr);
    EXPECT_EQ(answered, 5);
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(requestLines.size(), 60u);
    EXPECT_TRUE(printed("odpt:TrainTimetable: 1分間の利用上限（60 回）に達するため"));
    EXPECT_EQ(consoleLines(), 1) << "one line for the five refused: " << console;
    fetchLive(nullptr);
    EXPECT_EQ(requestLines.size(), 60u);
}
