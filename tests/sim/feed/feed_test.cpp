#include "sim/feed/feed.h"

#include "sim/feed/options.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "opendata/calendar.h"
#include "opendata/estimate.h"
#include "opendata/timetable.h"
#include "sim/model/network_model.h"
#include "sim/model/train_model.h"
#include "tests/japan_time.h"

namespace {

using namespace std::chrono_literals;

std::string query(const std::string& type, const std::string& key = kFeedDefaultKey)
{
    return "/api/v2/datapoints?rdf:type=" + type + "&acl:consumerKey=" + key;
}

std::string v4Query(const std::string& type, const std::string& filters,
                    const std::string& key = kFeedDefaultKey)
{
    return "/api/v4/" + type + "?" + filters + (filters.empty() ? "" : "&") + "acl:consumerKey=" + key;
}

const std::string metro = "odpt:operator=odpt.Operator:TokyoMetro";

// A feed on a free loopback port, stopped at the end of the test.
struct RunningFeed {
    Feed* feed = nullptr;
    explicit RunningFeed(FeedOptions o)
    {
        std::string error;
        feed = feed_start(o, &error);
        EXPECT_NE(feed, nullptr) << error;
    }
    ~RunningFeed() { feed_stop(feed); }
    httplib::Client client(std::chrono::milliseconds timeout = 5000ms) const
    {
        httplib::Client c("127.0.0.1", feed_port(feed));
        c.set_read_timeout(timeout);
        c.set_connection_timeout(2s);
        return c;
    }
};

// A weekday's rush hour in which no railway of the model has a disruption of its own.
FeedOptions unlimited()
{
    FeedOptions o;
    o.rateLimit = false;
    o.startTime = japanTime("2026-12-08T08:00");
    return o;
}

std::filesystem::path freshDir(const char* name)
{
    auto dir = std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::filesystem::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

// A raw loopback connection, for clients that misbehave.
struct RawConnection {
    int fd = -1;
    explicit RawConnection(int port)
    {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~RawConnection()
    {
        if (fd >= 0)
            close(fd);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    bool sendAll(const std::string& bytes) const
    {
        return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // What arrives until the feed closes the connection (then "<reset>" when
    // it was reset) or `wait` passes (then "<open>").
    std::string answer(std::chrono::milliseconds wait = 3000ms) const
    {
        std::string text;
        const auto end = std::chrono::steady_clock::now() + wait;
        char chunk[4096];
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1)
                return text + "<open>";
            ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return text + (n == 0 ? "" : "<reset>");
            text.append(chunk, static_cast<size_t>(n));
        }
    }
};

// Raises this process's open-file limit to `want` for the test's lifetime;
// false when the hard limit does not allow it.
struct FileLimit {
    rlimit before{};
    bool raised = false;
    explicit FileLimit(rlim_t want)
    {
        if (getrlimit(RLIMIT_NOFILE, &before) != 0 || before.rlim_max < want)
            return;
        rlimit more = before;
        more.rlim_cur = std::max(before.rlim_cur, want);
        raised = setrlimit(RLIMIT_NOFILE, &more) == 0;
    }
    ~FileLimit()
    {
        if (raised)
            setrlimit(RLIMIT_NOFILE, &before);
    }
};

}  // namespace

TEST(Feed, KeyUnknownTypeAndRateLimit)
{
    FeedOptions o;
    o.startTime = japanTime("2026-12-08T12:00");
    RunningFeed f(o);
    auto c = f.client();
    EXPECT_TRUE(feed_root(f.feed).rfind("http://127.0.0.1:", 0) == 0);

    auto wrong = c.Get(query("odpt:Train", "0123"));
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 401);
    EXPECT_EQ(wrong->body, "Invalid acl:consumerKey.");
    auto missing = c.Get("/api/v2/datapoints?rdf:type=odpt:Train");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 401);

    auto unknown = c.Get(query("odpt:Station"));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 200);
    EXPECT_EQ(unknown->body, "[]");

    // the limit counts any type; one with a short answer keeps the pair
    // within the window on a loaded machine
    auto first = c.Get(query("odpt:Railway"));
    auto other = c.Get(query("odpt:TrainInformation"));
    auto again = c.Get(query("odpt:Railway"));
    ASSERT_TRUE(first && other && again);
    EXPECT_EQ(first->status, 200);
    EXPECT_EQ(other->status, 200) << "another type is not limited";
    EXPECT_EQ(again->status, 503);
    EXPECT_EQ(again->body, "Your request rate is too high");
    auto train = c.Get(query("odpt:Train"));
    ASSERT_TRUE(train);
    EXPECT_EQ(train->status, 200);
    std::this_thread::sleep_for(120ms);
    auto later = c.Get(query("odpt:Train"));
    ASSERT_TRUE(later);
    EXPECT_EQ(later->status, 200);
    EXPECT_GT(nlohmann::json::parse(later->body).size(), 50u);
    EXPECT_EQ(later->get_header_value("Content-Type"), "application/json; charset=utf-8");
}

TEST(Feed, RateLimitCanBeSwitchedOff)
{
    RunningFeed f(unlimited());
    auto c = f.client();
    for (int i = 0; i < 5; ++i) {
        auto r = c.Get(query("odpt:Train"));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
    }
}

TEST(Feed, FaresByStationPair)
{
    RunningFeed f(unlimited());
    auto c = f.client();
    auto r = c.Get(query("odpt:RailwayFare") + "&odpt:fromStation=odpt.Station:TokyoMetro.Ginza.Asakusa" +
                   "&odpt:toStation=odpt.Station:TokyoMetro.Ginza.Tawaramachi");
    ASSERT_TRUE(r);
    auto fare = nlohmann::json::parse(r->body);
    ASSERT_EQ(fare.size(), 1u);
    EXPECT_EQ(fare[0]["odpt:ticketFare"], 170);
    EXPECT_EQ(fare[0]["odpt:icCardFare"], 165);

    auto far =
        c.Get(query("odpt:RailwayFare") + "&odpt:fromStation=odpt.Station:TokyoMetro.Marunouchi.Ogikubo" +
              "&odpt:toStation=odpt.Station:TokyoMetro.Tozai.NishiFunabashi");
    ASSERT_TRUE(far);
    EXPECT_GE(nlohmann::json::parse(far->body)[0]["odpt:ticketFare"].get<int>(), 280);

    auto unknown = c.Get(query("odpt:RailwayFare") + "&odpt:fromStation=odpt.Station:JR-East.Joban.Abiko" +
                         "&odpt:toStation=odpt.Station:TokyoMetro.Ginza.Tawaramachi");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->body, "[]");
}

TEST(Feed, TransportFaults)
{
    RunningFeed f(unlimited());
    auto c = f.client();

    feed_set_fault(f.feed, FeedFault::Error500);
    auto r500 = c.Get(query("odpt:Train"));
    ASSERT_TRUE(r500);
    EXPECT_EQ(r500->status, 500);

    feed_set_fault(f.feed, FeedFault::Html);
    auto html = c.Get(query("odpt:Train"));
    ASSERT_TRUE(html);
    EXPECT_EQ(html->status, 200);
    EXPECT_EQ(html->get_header_value("Content-Type"), "text/html");
    EXPECT_NE(html->body.find("<html>"), std::string::npos);

    feed_set_fault(f.feed, FeedFault::Drop);
    auto dropped = c.Get(query("odpt:Train"));
    EXPECT_FALSE(dropped) << "the body ends before its Content-Length";

    feed_set_fault(f.feed, FeedFault::Hang);
    auto quick = f.client(300ms);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(quick.Get(query("odpt:Train")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    feed_set_fault(f.feed, FeedFault::None);
    auto recovered = c.Get(query("odpt:Train"));
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->status, 200);
}

TEST(Feed, ManyHungAnswersLeaveWorkersForControlAndRecovery)
{
    FeedOptions o = unlimited();
    o.fault = FeedFault::Hang;
    RunningFeed f(o);
    // more abandoned requests than the feed has workers, as a monitor leaves behind over many refreshes
    std::vector<std::thread> clients;
    for (int i = 0; i < 24; ++i)
        clients.emplace_back([&] {
            auto r = f.client(300ms).Get(query("odpt:Train"));
            EXPECT_TRUE(!r || r->status == 503) << "only a pushed-out answer ends, and never with data";
        });
    for (std::thread& t : clients)
        t.join();

    auto c = f.client(2s);
    auto switched = c.Get(std::string("/sim/control?fault=none&acl:consumerKey=") + kFeedDefaultKey);
    ASSERT_TRUE(switched) << "the control route found no free worker";
    EXPECT_EQ(switched->status, 200);
    auto recovered = c.Get(query("odpt:Train"));
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->status, 200);
}

TEST(Feed, SlowAnswersAreCutShortByStop)
{
    FeedOptions o = unlimited();
    o.fault = FeedFault::Slow;
    auto f = std::make_unique<RunningFeed>(o);
    auto quick = f->client(300ms);
    EXPECT_FALSE(quick.Get(query("odpt:Train")));
    const int port = feed_port(f->feed);
    std::thread held([port] {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(10s);
        c.Get(query("odpt:TrainInformation"));
    });
    // both answers are held once the feed counts them
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    while (feed_held_answers(f->feed) < 2 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(feed_held_answers(f->feed), 2);
    auto start = std::chrono::steady_clock::now();
    f.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    held.join();
}

TEST(Feed, OversizedRequestsAreRefusedUnread)
{
    RunningFeed f(unlimited());
    const int port = feed_port(f.feed);
    const std::string get = "GET " + query("odpt:Train") + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";

    // A body of 400 MB behind a GET: refused at its header, not read into memory.
    RawConnection bloated(port);
    ASSERT_GE(bloated.fd, 0);
    ASSERT_TRUE(bloated.sendAll(get + "Content-Length: 400000000\r\n\r\n"));
    timeval oneSecond{1, 0};
    setsockopt(bloated.fd, SOL_SOCKET, SO_SNDTIMEO, &oneSecond, sizeof oneSecond);
    const std::string block(1 << 16, 'x');
    size_t pushed = 0;
    while (pushed < (64u << 20) && bloated.sendAll(block))
        pushed += block.size();
    EXPECT_LT(pushed, 32u << 20) << "the feed went on reading the body";

    RawConnection headers(port);
    std::string padding;
    // over the header limit, yet all read, so the refusal is not lost to a reset
    for (int i = 0; i < 160; ++i)
        padding += "X-Padding-" + std::to_string(i) + ": " + std::string(40, 'p') + "\r\n";
    ASSERT_TRUE(headers.sendAll(get + padding + "\r\n"));
    EXPECT_EQ(headers.answer().rfind("HTTP/1.1 431 ", 0), 0u);

    RawConnection chunked(port);
    ASSERT_TRUE(chunked.sendAll(get + "Transfer-Encoding: chunked\r\n\r\n"));
    EXPECT_EQ(chunked.answer().rfind("HTTP/1.1 411 ", 0), 0u);

    // a short body within the limit is taken, and the answer ends the connection
    RawConnection small(port);
    ASSERT_TRUE(small.sendAll(get + "Content-Length: 5\r\n\r\nhello"));
    const std::string answered = small.answer();
    EXPECT_EQ(answered.rfind("HTTP/1.1 200 ", 0), 0u) << answered.substr(0, 200);
    EXPECT_NE(answered.find("Connection: close"), std::string::npos);
    EXPECT_TRUE(nlohmann::json::accept(answered.substr(answered.find("\r\n\r\n") + 4)));
}

// 300 clients that send a header byte now and then and 1,000 that send
// nothing hold no worker: a normal client is answered within a second all
// along, and the dawdlers are cut off when their time is up.
TEST(Feed, SlowAndSilentClientsNeverStarveANormalOne)
{
    FileLimit files(4096);
    if (!files.raised)
        GTEST_SKIP() << "cannot open 4096 files";
    RunningFeed f(unlimited());
    const int port = feed_port(f.feed);
    std::vector<std::unique_ptr<RawConnection>> silent, slow;
    for (int i = 0; i < 1000; ++i)
        silent.push_back(std::make_unique<RawConnection>(port));
    for (int i = 0; i < 300; ++i) {
        slow.push_back(std::make_unique<RawConnection>(port));
        slow.back()->sendAll("GET " + query("odpt:Train") + " HTTP/1.1\r\n");
    }
    for (const auto& c : silent)
        ASSERT_GE(c->fd, 0);
    for (const auto& c : slow)
        ASSERT_GE(c->fd, 0);

    const auto start = std::chrono::steady_clock::now();
    int round = 0;
    while (std::chrono::steady_clock::now() - start < 3s) {
        for (const auto& c : slow)
            c->sendAll("X-Wait-" + std::to_string(round) + ": 1\r\n");
        ++round;
        auto asked = std::chrono::steady_clock::now();
        auto r = f.client(2s).Get(query("odpt:Train"));
        ASSERT_TRUE(r) << "a normal client got no answer in round " << round;
        EXPECT_EQ(r->status, 200);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s) << "round " << round;
        std::this_thread::sleep_for(300ms);
    }
    // the slow clients' two seconds are over: answered 408 and closed (the
    // answer may be lost to the reset that their next line provokes)
    const std::string cut = slow.back()->answer(1s);
    EXPECT_TRUE(cut.rfind("HTTP/1.1 408 ", 0) == 0 || cut == "<reset>") << cut;
}

TEST(Feed, ContentFaults)
{
    RunningFeed f(unlimited());
    auto c = f.client();

    feed_set_fault(f.feed, FeedFault::Huge);
    auto huge = c.Get(query("odpt:Train"));
    ASSERT_TRUE(huge);
    auto trains = nlohmann::json::parse(huge->body);
    EXPECT_EQ(trains.size(), 1000u);
    std::set<std::string> numbers;
    for (const auto& t : trains)
        numbers.insert(t["odpt:trainNumber"].get<std::string>());
    EXPECT_EQ(numbers.size(), 1000u);

    feed_set_fault(f.feed, FeedFault::Ctrl);
    auto ctrl = c.Get(query("odpt:TrainInformation"));
    ASSERT_TRUE(ctrl);
    EXPECT_NE(ctrl->body.find("\x1b[2J"), std::string::npos);
    EXPECT_NE(ctrl->body.find('\x07'), std::string::npos);
    EXPECT_NE(ctrl->body.find("odpt:trainInformationStatus"), std::string::npos);
    auto trainsDuringCtrl = c.Get(query("odpt:Train"));
    ASSERT_TRUE(trainsDuringCtrl);
    EXPECT_TRUE(nlohmann::json::accept(trainsDuringCtrl->body));

    feed_set_fault(f.feed, FeedFault::Emoji);
    auto emoji = c.Get(query("odpt:TrainInformation"));
    ASSERT_TRUE(emoji);
    EXPECT_NE(emoji->body.find("\xF0\x9F\x9A\x83"), std::string::npos);
    EXPECT_TRUE(nlohmann::json::accept(emoji->body)) << "valid JSON, only unconvertible";

    feed_set_fault(f.feed, FeedFault::BadUtf8);
    auto bad = c.Get(query("odpt:TrainInformation"));
    ASSERT_TRUE(bad);
    EXPECT_NE(bad->body.find('\xFF'), std::string::npos);
    EXPECT_FALSE(nlohmann::json::accept(bad->body));
}

TEST(Feed, ControlRouteSwitchesFaultAndDisruption)
{
    RunningFeed f(unlimited());
    auto c = f.client();
    std::string key = std::string("&acl:consumerKey=") + kFeedDefaultKey;

    auto denied = c.Get("/sim/control?fault=500&acl:consumerKey=nope");
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->status, 401);
    ASSERT_EQ(c.Get("/sim/control?fault=500" + key)->status, 200);
    EXPECT_EQ(c.Get(query("odpt:Train"))->status, 500);
    ASSERT_EQ(c.Get("/sim/control?fault=none" + key)->status, 200);
    EXPECT_EQ(c.Get(query("odpt:Train"))->status, 200);
    EXPECT_EQ(c.Get("/sim/control?fault=boom" + key)->status, 400);

    httplib::Params params{{"disrupt", "Hibiya"},
                           {"text", "点検のため運転を見合わせています。"},
                           {"acl:consumerKey", kFeedDefaultKey}};
    ASSERT_EQ(c.Get("/sim/control", params, {})->status, 200);
    auto notices = nlohmann::json::parse(c.Get(query("odpt:TrainInformation"))->body);
    ASSERT_EQ(notices.size(), 9u);
    EXPECT_EQ(notices[2]["odpt:trainInformationText"], "点検のため運転を見合わせています。");
    EXPECT_EQ(notices[2]["odpt:trainInformationStatus"], "運転見合わせ");
    // the same order again is no news: the notice keeps its date
    const std::string date = notices[2]["dc:date"];
    std::this_thread::sleep_for(1100ms);
    ASSERT_EQ(c.Get("/sim/control", params, {})->status, 200);
    EXPECT_EQ(nlohmann::json::parse(c.Get(query("odpt:TrainInformation"))->body)[2]["dc:date"], date);

    ASSERT_EQ(c.Get("/sim/control?disrupt=none" + key)->status, 200);
    notices = nlohmann::json::parse(c.Get(query("odpt:TrainInformation"))->body);
    EXPECT_FALSE(notices[2].contains("odpt:trainInformationStatus") &&
                 notices[2]["odpt:trainInformationText"] == "点検のため運転を見合わせています。");
}

TEST(Feed, ReplayAdvancesOneStepPerRequestAndHoldsTheLast)
{
    auto dir = freshDir("linewatch-replay");
    writeFile(dir / "Train.1.json", "[\"one\"]");
    writeFile(dir / "Train.2.json", "[\"two\"]");
    writeFile(dir / "Train.10.json", "[\"ten\"]");
    writeFile(dir / "TrainInformation.json", "[\"status\"]");
    writeFile(dir / "notes.txt", "ignored");
    FeedOptions o = unlimited();
    o.replayDir = dir.string();
    {
        RunningFeed f(o);
        auto c = f.client();
        for (const char* expected : {"[\"one\"]", "[\"two\"]", "[\"ten\"]", "[\"ten\"]"})
            EXPECT_EQ(c.Get(query("odpt:Train"))->body, expected);
        EXPECT_EQ(c.Get(query("odpt:TrainInformation"))->body, "[\"status\"]");
        EXPECT_EQ(c.Get(query("odpt:TrainInformation"))->body, "[\"status\"]");
        auto fare =
            c.Get(query("odpt:RailwayFare") + "&odpt:fromStation=odpt.Station:TokyoMetro.Ginza.Asakusa" +
                  "&odpt:toStation=odpt.Station:TokyoMetro.Ginza.Tawaramachi");
        EXPECT_NE(fare->body.find("\"odpt:ticketFare\":170"), std::string::npos)
            << "unrecorded types use the model";
        EXPECT_EQ(c.Get(query("odpt:Train", "bad"))->status, 401);
    }
    std::string error;
    o.replayDir = (dir / "missing").string();
    EXPECT_EQ(feed_start(o, &error), nullptr);
    EXPECT_NE(error.find("missing"), std::string::npos);
    auto empty = freshDir("linewatch-replay-empty");
    o.replayDir = empty.string();
    EXPECT_EQ(feed_start(o, &error), nullptr);
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(empty);
}

TEST(Feed, StartFailuresAreReported)
{
    RunningFeed f(unlimited());
    FeedOptions o = unlimited();
    o.port = feed_port(f.feed);
    std::string error;
    EXPECT_EQ(feed_start(o, &error), nullptr) << "port taken";
    EXPECT_FALSE(error.empty());

    o.port = 0;
    o.certFile = "/nonexistent/cert.pem";
    o.keyFile = "/nonexistent/key.pem";
    error.clear();
    EXPECT_EQ(feed_start(o, &error), nullptr);
    EXPECT_NE(error.find("certificate"), std::string::npos);
}

TEST(Feed, ServesHttpsWithAGivenCertificate)
{
    auto dir = freshDir("linewatch-tls");
    std::string cmd = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout " +
                      (dir / "key.pem").string() + " -out " + (dir / "cert.pem").string() +
                      " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        GTEST_SKIP() << "openssl could not make a certificate";
    FeedOptions o = unlimited();
    o.certFile = (dir / "cert.pem").string();
    o.keyFile = (dir / "key.pem").string();
    {
        RunningFeed f(o);
        ASSERT_NE(f.feed, nullptr);
        EXPECT_EQ(feed_root(f.feed).rfind("https://127.0.0.1:", 0), 0u);
        httplib::SSLClient c("127.0.0.1", feed_port(f.feed));
        c.enable_server_certificate_verification(false);
        auto r = c.Get(query("odpt:TrainInformation"));
        ASSERT_TRUE(r);
        EXPECT_EQ(nlohmann::json::parse(r->body).size(), 9u);
    }
    std::filesystem::remove_all(dir);
}

TEST(Feed, V4NoticesAreTenInTheOperatorsOrderAndFollowTheFilters)
{
    FeedOptions o = unlimited();
    o.startTime = japanTime("2026-12-08T08:03:20");
    o.disruptRailway = parseRailwayName("MarunouchiBranch");
    o.disruptText = "方南町駅で車両点検のため遅れています。";
    RunningFeed f(o);
    auto c = f.client();
    auto r = c.Get(v4Query("odpt:TrainInformation", metro));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/json; charset=utf-8");
    auto body = nlohmann::json::parse(r->body);
    const char* order[] = {"Ginza",   "Marunouchi", "MarunouchiBranch", "Hibiya",  "Tozai",
                           "Chiyoda", "Yurakucho",  "Hanzomon",         "Namboku", "Fukutoshin"};
    ASSERT_EQ(body.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(body[i]["odpt:railway"], std::string("odpt.Railway:TokyoMetro.") + order[i]);
        EXPECT_EQ(body[i]["odpt:trainInformationText"].size(), 1u) << "ja only without --multilingual";
        EXPECT_EQ(body[i].contains("odpt:trainInformationStatus"), i == 2) << i;
        // one generation time for the answer, not the time each text took effect
        EXPECT_EQ(body[i]["dc:date"], "2026-12-08T08:00:00+09:00") << i;
        EXPECT_EQ(body[i]["dct:valid"], "2026-12-08T08:05:00+09:00") << i;
    }
    EXPECT_EQ(body[2]["odpt:trainInformationText"]["ja"], o.disruptText);
    auto firstNotice = nlohmann::ordered_json::parse(r->body)[0];
    EXPECT_EQ(std::next(firstNotice.begin(), 3).key(), "@context");

    auto two = c.Get(v4Query("odpt:TrainInformation",
                             "odpt:railway=odpt.Railway:TokyoMetro.Tozai,odpt.Railway:TokyoMetro.Ginza"));
    ASSERT_TRUE(two);
    auto picked = nlohmann::json::parse(two->body);
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(picked[0]["odpt:railway"], "odpt.Railway:TokyoMetro.Ginza");
    for (const std::string& other :
         {std::string("odpt:operator=odpt.Operator:Toei"), std::string("odpt:operator=")}) {
        auto none = c.Get(v4Query("odpt:TrainInformation", other));
        ASSERT_TRUE(none);
        EXPECT_EQ(none->body, "[]") << other;
    }
}

TEST(Feed, V4TrainsAreEmptyUnlessPositionsAreAskedFor)
{
    FeedOptions o = unlimited();
    RunningFeed plainFeed(o);
    auto none = plainFeed.client().Get(v4Query("odpt:Train", metro));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->status, 200);
    EXPECT_EQ(none->body, "[]");

    o.v4Positions = true;
    RunningFeed positions(o);
    auto c = positions.client();
    auto trains = c.Get(v4Query("odpt:Train", metro));
    ASSERT_TRUE(trains);
    auto body = nlohmann::json::parse(trains->body);
    EXPECT_GT(body.size(), 50u);
    EXPECT_TRUE(body[0]["odpt:originStation"].is_array());
    auto ginza = c.Get(v4Query("odpt:Train", "odpt:railway=odpt.Railway:TokyoMetro.Ginza"));
    ASSERT_TRUE(ginza);
    for (const auto& t : nlohmann::json::parse(ginza->body))
        EXPECT_EQ(t["odpt:railway"], "odpt.Railway:TokyoMetro.Ginza");

    feed_set_fault(positions.feed, FeedFault::Huge);
    auto huge = c.Get(v4Query("odpt:Train", metro));
    ASSERT_TRUE(huge);
    EXPECT_EQ(nlohmann::json::parse(huge->body).size(), 1000u);
}

TEST(Feed, V4FaresOf2023AndZeroForAnInterchange)
{
    RunningFeed f(unlimited());
    auto c = f.client();
    auto fare = [&](const std::string& from, const std::string& to) {
        auto r = c.Get(v4Query("odpt:RailwayFare", "odpt:fromStation=odpt.Station:TokyoMetro." + from +
                                                       "&odpt:toStation=odpt.Station:TokyoMetro." + to));
        EXPECT_TRUE(r && r->status == 200);
        return r ? nlohmann::json::parse(r->body) : nlohmann::json();
    };
    auto near = fare("Ginza.Asakusa", "Ginza.Tawaramachi");
    ASSERT_EQ(near.size(), 1u);
    EXPECT_EQ(near[0]["odpt:ticketFare"], 180);
    EXPECT_EQ(near[0]["odpt:icCardFare"], 178);
    EXPECT_EQ(near[0]["odpt:childTicketFare"], 90);
    EXPECT_EQ(near[0]["odpt:childIcCardFare"], 89);
    EXPECT_EQ(fare("Marunouchi.Ogikubo", "Tozai.NishiFunabashi")[0]["odpt:ticketFare"], 330);

    auto interchange = fare("Ginza.AoyamaItchome", "Hanzomon.AoyamaItchome");
    ASSERT_EQ(interchange.size(), 1u);
    for (const char* amount :
         {"odpt:ticketFare", "odpt:icCardFare", "odpt:childTicketFare", "odpt:childIcCardFare"})
        EXPECT_EQ(interchange[0][amount], 0) << amount;
    EXPECT_TRUE(fare("Ginza.Ueno", "Ginza.Ueno").empty());

    // Without station filters the answer is cut at the API's 1,000 objects.
    auto all = c.Get(v4Query("odpt:RailwayFare", ""));
    ASSERT_TRUE(all);
    EXPECT_EQ(nlohmann::json::parse(all->body).size(), 1000u);
    auto fromOne = c.Get(v4Query("odpt:RailwayFare", "odpt:fromStation=odpt.Station:TokyoMetro.Ginza.Ueno"));
    ASSERT_TRUE(fromOne);
    EXPECT_EQ(nlohmann::json::parse(fromOne->body).size(), 179u);
}

TEST(Feed, V4KeysTypesAndRateLimits)
{
    FeedOptions o;
    o.startTime = japanTime("2026-12-08T12:00");
    RunningFeed f(o);
    auto c = f.client();
    auto wrong = c.Get(v4Query("odpt:Train", metro, "0123"));
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 403);
    EXPECT_EQ(wrong->body, "Invalid acl:consumerKey.");
    auto missing = c.Get("/api/v4/odpt:Train?" + metro);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 403);
    EXPECT_EQ(missing->body, "Require acl:consumerKey.");
    auto unknown = c.Get(v4Query("odpt:Station", metro));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);

    // Quick repeats are fine in version 4; the 61st request of a minute is
    // not. The requests stay clear of a minute boundary, which restarts the count.
    const auto second = std::time(nullptr) % 60;
    if (second > 50)
        std::this_thread::sleep_for(std::chrono::seconds(61 - second));
    int ok = 0;
    for (int i = 0; i < 70; ++i) {
        auto r = c.Get(v4Query("odpt:TrainInformation", metro));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, i < 60 ? 200 : 429) << i;
        ok += r->status == 200;
        EXPECT_EQ(r->get_header_value("X-RateLimit-Remaining-minute"), std::to_string(i < 60 ? 59 - i : 0))
            << i;
        EXPECT_EQ(r->get_header_value("X-RateLimit-Limit-minute"), "60");
        EXPECT_EQ(r->get_header_value("X-RateLimit-Limit-day"), "24000");
    }
    EXPECT_EQ(ok, 60);
}

// The timetables a feed serves place its trains where its own model runs
// them, within one station, whenever the route runs on time.
TEST(Feed, V4TimetablesFollowTheFiltersAndTheTrainModel)
{
    FeedOptions o = unlimited();
    RunningFeed f(o);
    auto c = f.client();
    const std::string ginza = "odpt:railway=odpt.Railway:TokyoMetro.Ginza";
    auto weekday = c.Get(v4Query("odpt:TrainTimetable", ginza + "&odpt:calendar=odpt.Calendar:Weekday"));
    ASSERT_TRUE(weekday);
    EXPECT_EQ(weekday->status, 200);
    const auto body = nlohmann::json::parse(weekday->body);
    ASSERT_GT(body.size(), 300u);
    for (const auto& t : body) {
        EXPECT_EQ(t["odpt:railway"], "odpt.Railway:TokyoMetro.Ginza");
        EXPECT_EQ(t["odpt:calendar"], "odpt.Calendar:Weekday");
    }
    auto both = c.Get(v4Query("odpt:TrainTimetable", ginza));
    ASSERT_TRUE(both);
    EXPECT_EQ(nlohmann::json::parse(both->body).size(), std::min<std::size_t>(2 * body.size(), 1000));
    auto all = c.Get(v4Query("odpt:TrainTimetable", metro));
    ASSERT_TRUE(all);
    EXPECT_EQ(nlohmann::json::parse(all->body).size(), 1000u) << "cut as the API cuts";
    auto none = c.Get(v4Query("odpt:TrainTimetable", ginza + "&odpt:calendar=odpt.Calendar:Holiday"));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->body, "[]");

    const SimNetwork net = buildSimNetwork();
    const std::uint32_t seed = 7;
    // a Tuesday and a Sunday, each through a morning, a midnight and a late evening
    for (const char* clock :
         {"2026-12-08T08:05:17", "2026-12-08T12:40:00", "2026-12-09T00:10:45", "2026-12-13T19:22:31"}) {
        std::int64_t t = 0;
        ASSERT_TRUE(parseJapanTime(clock, 0, &t));
        const ServiceTime when = serviceTimeOf(t);
        const char* calendar = calendarId(calendarOf(when.date));
        // railway and number -> from, to
        std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> estimated;
        for (const SimRoute& route : net.routes) {
            auto r = c.Get(v4Query("odpt:TrainTimetable",
                                   "odpt:railway=" + route.railwayId + "&odpt:calendar=" + calendar));
            ASSERT_TRUE(r);
            Timetable table;
            ASSERT_TRUE(loadTimetableV4(table, r->body).ok);
            std::vector<TrainRecord> records(400);
            const int n = appendEstimatedTrains(table, when.second, japanIso(t), records.data(), 0, 400);
            for (int i = 0; i < n; ++i)
                estimated[{records[i].railway, records[i].trainNumber}] = {records[i].fromStation,
                                                                           records[i].toStation};
        }
        int compared = 0;
        for (const SimTrain& tr : runningTrains(net, seed, t)) {
            const SimRoute& route = net.routes[tr.route];
            if (routeLag(seed, route.digit, t) != 0)
                continue;
            auto stopIndex = [&](const std::string& id) {
                for (size_t i = 0; i < route.stops.size(); ++i)
                    if (route.stops[i].sameAs == id)
                        return static_cast<int>(i);
                return -100;
            };
            auto it = estimated.find({tr.railwayId, tr.number});
            // the timetable's minutes drop the seconds, so a train leaves it up
            // to a minute before it reaches its last stop
            auto isEnd = [&](const std::string& id) {
                return id == route.stops.front().sameAs || id == route.stops.back().sameAs;
            };
            const bool atAnEnd = tr.toStation.empty() ? isEnd(tr.fromStation) : isEnd(tr.toStation);
            if (it == estimated.end()) {
                EXPECT_TRUE(atAnEnd) << clock << " " << tr.number << " runs but has no timetable place "
                                     << tr.fromStation << ">" << tr.toStation;
                continue;
            }
            // half-station steps: 2k standing at stop k, 2k+1 between k and the next
            auto place = [&](const std::string& from, const std::string& to) {
                const int k = stopIndex(from);
                if (to.empty() || to == "null")
                    return 2 * k;
                return k + stopIndex(to);
            };
            EXPECT_LE(
                std::abs(place(tr.fromStation, tr.toStation) - place(it->second.first, it->second.second)), 2)
                << clock << " " << tr.number << " model " << tr.fromStation << ">" << tr.toStation
                << " timetable " << it->second.first << ">" << it->second.second;
            estimated.erase(it);
            ++compared;
        }
        EXPECT_GT(compared, 20) << clock;
        for (const auto& [train, at] : estimated) {
            bool delayedRoute = false;
            for (const SimRoute& route : net.routes)
                if (train.first == route.railwayId && routeLag(seed, route.digit, t) != 0)
                    delayedRoute = true;
            EXPECT_TRUE(delayedRoute || at.second != "null")
                << clock << " " << train.second << " is only in the timetable";
        }
    }
}
