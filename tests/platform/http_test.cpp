// The libcurl GET against local servers: chunks, statuses, stopping, time
// limits, abandoning, certificate checks, redirects and the headers sent;
// and batches of GETs run together.

#include "platform/http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/local_server.h"

namespace {

struct Fetched {
    HttpResult result;
    std::string body;
    int chunks = 0;
};

Fetched get(const std::string& url, const std::string& caFile = "", long totalMs = 5000)
{
    HttpRequest request;
    request.url = url;
    request.userAgent = "TestAgent/1";
    request.settings.caFile = caFile;
    request.settings.connectTimeoutMs = 2000;
    request.settings.totalTimeoutMs = totalMs;
    Fetched fetched;
    fetched.result = http_get(request, [&](const char* data, std::size_t size) {
        fetched.body.append(data, size);
        ++fetched.chunks;
        return true;
    });
    return fetched;
}

TEST(Http, BodyStatusAndRequestHeadersOverVerifiedTls)
{
    LocalServer server(LocalServer::Tls);
    std::string agent, cacheControl, pragma;
    server.http().Get("/data", [&](const httplib::Request& req, httplib::Response& res) {
        agent = req.get_header_value("User-Agent");
        cacheControl = req.get_header_value("Cache-Control");
        pragma = req.get_header_value("Pragma");
        res.set_content(std::string(100000, 'x') + "end", "application/json");
    });
    server.http().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("no such thing", "text/plain");
    });
    ASSERT_TRUE(server.start());

    const Fetched ok = get(server.root() + "/data", server.caFile());
    EXPECT_TRUE(ok.result.completed) << ok.result.error;
    EXPECT_EQ(ok.result.status, 200);
    EXPECT_EQ(ok.body, std::string(100000, 'x') + "end");
    EXPECT_GT(ok.chunks, 1);
    EXPECT_EQ(agent, "TestAgent/1");
    EXPECT_EQ(cacheControl, "no-cache");
    EXPECT_EQ(pragma, "no-cache");

    // A non-2xx answer is a completed transfer whose body still arrives.
    const Fetched missing = get(server.root() + "/missing", server.caFile());
    EXPECT_TRUE(missing.result.completed);
    EXPECT_EQ(missing.result.status, 404);
    EXPECT_EQ(missing.body, "no such thing");
}

TEST(Http, UntrustedCertificateIsRefused)
{
    LocalServer server(LocalServer::Tls);
    bool answered = false;
    server.http().Get("/data", [&](const httplib::Request&, httplib::Response& res) {
        answered = true;
        res.set_content("[]", "application/json");
    });
    ASSERT_TRUE(server.start());
    const Fetched refused = get(server.root() + "/data");
    EXPECT_FALSE(refused.result.completed);
    EXPECT_FALSE(refused.result.error.empty());
    EXPECT_EQ(refused.body, "");
    EXPECT_FALSE(answered);
}

TEST(Http, ReceiverStopsTheTransfer)
{
    LocalServer server(LocalServer::Plain);
    server.http().Get("/big", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(4 << 20, 'y'), "application/json");
    });
    ASSERT_TRUE(server.start());
    HttpRequest request;
    request.url = server.root() + "/big";
    std::size_t received = 0;
    const HttpResult result = http_get(request, [&](const char*, std::size_t size) {
        received += size;
        return received < 1000;
    });
    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_LT(received, std::size_t{4 << 20});
}

TEST(Http, RedirectsAreFollowed)
{
    LocalServer server(LocalServer::Plain);
    server.http().Get("/old",
                      [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    server.http().Get("/new", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("moved here", "text/plain");
    });
    ASSERT_TRUE(server.start());
    const Fetched moved = get(server.root() + "/old");
    EXPECT_TRUE(moved.result.completed);
    EXPECT_EQ(moved.result.status, 200);
    EXPECT_EQ(moved.body, "moved here");
}

TEST(Http, RedirectFromHttpsToPlainHttpIsRefused)
{
    LocalServer plain(LocalServer::Plain);
    bool plainAnswered = false;
    plain.http().Get("/new", [&](const httplib::Request&, httplib::Response& res) {
        plainAnswered = true;
        res.set_content("in the clear", "text/plain");
    });
    ASSERT_TRUE(plain.start());
    LocalServer secure(LocalServer::Tls);
    const std::string plainRoot = plain.root();
    secure.http().Get("/old", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(plainRoot + "/new");
    });
    secure.http().Get("/moved",
                      [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/here"); });
    secure.http().Get("/here", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("still secure", "text/plain");
    });
    ASSERT_TRUE(secure.start());

    const Fetched downgraded = get(secure.root() + "/old", secure.caFile());
    EXPECT_FALSE(downgraded.result.completed);
    EXPECT_FALSE(downgraded.result.error.empty());
    EXPECT_EQ(downgraded.body, "");
    EXPECT_FALSE(plainAnswered);

    const Fetched moved = get(secure.root() + "/moved", secure.caFile());
    EXPECT_TRUE(moved.result.completed) << moved.result.error;
    EXPECT_EQ(moved.body, "still secure");
}

TEST(Http, DeadServersEndTheTransferInTime)
{
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    const auto start = std::chrono::steady_clock::now();
    const Fetched hung = get(silent.root() + "/x", "", 300);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(hung.result.completed);
    EXPECT_EQ(hung.result.status, 0);
    EXPECT_NE(hung.result.error.find("timed out"), std::string::npos) << hung.result.error;
    EXPECT_LT(elapsed, std::chrono::seconds(3));

    // A port nobody listens on: the closed listener's port is free again.
    std::string closedRoot;
    {
        LocalServer gone(LocalServer::Silent);
        ASSERT_TRUE(gone.start());
        closedRoot = gone.root();
    }
    const Fetched refused = get(closedRoot + "/x");
    EXPECT_FALSE(refused.result.completed);
    EXPECT_EQ(refused.result.status, 0);
    EXPECT_FALSE(refused.result.error.empty());
}

TEST(Http, AbandonHookStopsASilentTransferWithinItsCheckInterval)
{
    using Clock = std::chrono::steady_clock;
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    HttpRequest request;
    request.url = silent.root() + "/x";
    request.settings.totalTimeoutMs = 20000;
    const auto start = Clock::now();
    const auto abandonAt = start + std::chrono::milliseconds(300);
    int asked = 0;
    bool chunkSeen = false;
    const HttpResult result = http_get(
        request, [&](const char*, std::size_t) { return chunkSeen = true; },
        [&] {
            ++asked;
            return Clock::now() >= abandonAt;
        });
    const auto late = Clock::now() - abandonAt;
    EXPECT_TRUE(result.abandoned);
    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(chunkSeen);
    // Asked while nothing arrives, so the abandon lands within one interval
    // (the margin is for a loaded machine), not at curl's once-a-second pace.
    EXPECT_GE(asked, 3);
    EXPECT_LT(late, std::chrono::milliseconds(kHttpAbandonCheckMs + 250));
}

TEST(Http, AHookThatNeverAbandonsLeavesTheTransferAlone)
{
    LocalServer server(LocalServer::Plain);
    server.http().Get("/data", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(300000, 'x'), "application/json");
    });
    ASSERT_TRUE(server.start());
    HttpRequest request;
    request.url = server.root() + "/data";
    std::size_t received = 0;
    int asked = 0;
    const HttpResult result = http_get(
        request,
        [&](const char*, std::size_t size) {
            received += size;
            return true;
        },
        [&] {
            ++asked;
            return false;
        });
    EXPECT_TRUE(result.completed) << result.error;
    EXPECT_FALSE(result.abandoned);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(received, 300000u);
    EXPECT_GT(asked, 0);
}

}  // namespace

TEST(Http, ABatchRunsSeveralAtOnceEachEndingAsSoonAsItsAnswerIsIn)
{
    // /slow answers only once the client has heard the end of /fast, asked after it
    std::mutex lock;
    std::condition_variable answered;
    bool fastDone = false;
    int inFlight = 0, maxInFlight = 0;
    LocalServer server(LocalServer::Plain);
    server.http().Get(R"(/(\w+))", [&](const httplib::Request& req, httplib::Response& res) {
        std::unique_lock<std::mutex> held(lock);
        maxInFlight = std::max(maxInFlight, ++inFlight);
        if (req.matches[1] == "slow")
            answered.wait_for(held, std::chrono::seconds(5), [&] { return fastDone; });
        --inFlight;
        res.set_content(std::string(req.matches[1]) + " body", "text/plain");
    });
    ASSERT_TRUE(server.start());
    std::vector<std::string> ended;
    std::vector<std::string> bodies(4);
    std::vector<HttpTransfer> batch;
    const char* paths[] = {"slow", "fast", "third", "fourth"};
    for (int i = 0; i < 4; ++i) {
        HttpTransfer t;
        t.request.url = server.root() + "/" + paths[i];
        t.onChunk = [&bodies, i](const char* data, std::size_t size) {
            bodies[i].append(data, size);
            return true;
        };
        t.onDone = [&, i](const HttpResult& r) {
            ended.push_back(std::string(paths[i]) +
                            (r.completed ? " " + std::to_string(r.status) : " failed"));
            std::lock_guard<std::mutex> held(lock);
            fastDone = fastDone || i == 1;
            answered.notify_all();
        };
        batch.push_back(t);
    }
    http_get_all(batch, 2);
    ASSERT_EQ(ended.size(), 4u);
    EXPECT_EQ(ended[0], "fast 200") << "each told as it ends, not in the order asked";
    std::sort(ended.begin(), ended.end());
    EXPECT_EQ(ended, (std::vector<std::string>{"fast 200", "fourth 200", "slow 200", "third 200"}));
    EXPECT_EQ(bodies[0], "slow body");
    EXPECT_EQ(bodies[3], "fourth body");
    // /fast may be served whole before /slow reaches the server, so at most two
    EXPECT_LE(maxInFlight, 2) << "never more than asked for";

    // abandoned: every one still running or waiting is told so
    LocalServer silent(LocalServer::Silent);
    ASSERT_TRUE(silent.start());
    for (HttpTransfer& t : batch)
        t.request.url = silent.root() + "/x";
    ended.clear();
    int asked = 0;
    http_get_all(batch, 2, [&asked] { return ++asked > 2; });
    EXPECT_EQ(ended,
              (std::vector<std::string>{"slow failed", "fast failed", "third failed", "fourth failed"}));
    int abandoned = 0;
    for (HttpTransfer& t : batch)
        t.onDone = [&abandoned](const HttpResult& r) { abandoned += r.abandoned && !r.completed; };
    asked = 0;
    http_get_all(batch, 2, [&asked] { return ++asked > 2; });
    EXPECT_EQ(abandoned, 4);
}

TEST(Http, TransfersGoOnWhileAnAnswerIsReadAndOnlyTheChunksLeaveThisThread)
{
    // /first's onDone holds until /second's body is in whole: had the batch
    // stood still while an onDone runs, it would wait for nothing
    LocalServer server(LocalServer::Plain);
    server.http().Get(R"(/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
        if (req.matches[1] == "second")
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        res.set_content(std::string(200000, req.matches[1].str()[0]), "text/plain");
    });
    ASSERT_TRUE(server.start());
    std::mutex lock;
    std::condition_variable arrived;
    std::size_t secondBytes = 0;
    bool secondWhole = false;
    bool secondInWhileFirstRead = false;
    std::vector<std::thread::id> doneOn;
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<HttpTransfer> batch(2);
    batch[0].request.url = server.root() + "/first";
    batch[0].onChunk = [](const char*, std::size_t) { return true; };
    batch[0].onDone = [&](const HttpResult& r) {
        EXPECT_TRUE(r.completed) << r.error;
        doneOn.push_back(std::this_thread::get_id());
        std::unique_lock<std::mutex> held(lock);
        secondInWhileFirstRead =
            arrived.wait_for(held, std::chrono::seconds(10), [&] { return secondWhole; });
    };
    batch[1].request.url = server.root() + "/second";
    batch[1].onChunk = [&](const char*, std::size_t size) {
        EXPECT_NE(std::this_thread::get_id(), caller) << "chunks come on the download thread";
        std::lock_guard<std::mutex> held(lock);
        secondBytes += size;
        secondWhole = secondBytes == 200000;
        arrived.notify_all();
        return true;
    };
    batch[1].onDone = [&](const HttpResult& r) {
        EXPECT_TRUE(r.completed) << r.error;
        doneOn.push_back(std::this_thread::get_id());
    };
    http_get_all(batch, 2, [&] {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        return false;
    });
    EXPECT_TRUE(secondInWhileFirstRead);
    EXPECT_EQ(doneOn, (std::vector<std::thread::id>{caller, caller}));
}

TEST(Http, AnswersThatCameInWhileOneWasReadAreNotToldOnceAbandoned)
{
    // the others end while the first onDone runs; a quit typed meanwhile
    // must not wait for all of them to be read
    LocalServer server(LocalServer::Plain);
    server.http().Get(R"(/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
        if (req.matches[1] != "first")
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        res.set_content("body", "text/plain");
    });
    ASSERT_TRUE(server.start());
    std::vector<std::string> told;
    bool quit = false;
    std::vector<HttpTransfer> batch;
    for (const char* path : {"first", "second", "third", "fourth"}) {
        HttpTransfer t;
        t.request.url = server.root() + "/" + path;
        t.onChunk = [](const char*, std::size_t) { return true; };
        t.onDone = [&told, &quit, path](const HttpResult& r) {
            told.push_back(std::string(path) + (r.completed   ? " read"
                                                : r.abandoned ? " abandoned"
                                                              : " failed"));
            if (told.size() == 1) {
                std::this_thread::sleep_for(std::chrono::milliseconds(600));  // reading it
                quit = true;
            }
        };
        batch.push_back(t);
    }
    http_get_all(batch, 4, [&quit] { return quit; });
    // /first is answered at once, so it is told first unless the machine is very slow
    ASSERT_EQ(told.size(), 4u);
    EXPECT_NE(told[0].find(" read"), std::string::npos) << told[0];
    EXPECT_EQ(std::count_if(told.begin(), told.end(),
                            [](const std::string& t) { return t.find(" abandoned") != std::string::npos; }),
              3);
}

TEST(Http, AnOnDoneThatThrowsLeavesNoTransferBehind)
{
    LocalServer silent(LocalServer::Silent);
    LocalServer server(LocalServer::Plain);
    server.http().Get(
        "/x", [](const httplib::Request&, httplib::Response& res) { res.set_content("x", "text/plain"); });
    ASSERT_TRUE(silent.start());
    ASSERT_TRUE(server.start());
    std::vector<HttpTransfer> batch(2);
    batch[0].request.url = server.root() + "/x";
    batch[0].onChunk = [](const char*, std::size_t) { return true; };
    batch[0].onDone = [](const HttpResult&) { throw std::runtime_error("reader failed"); };
    batch[1].request.url = silent.root() + "/x";
    batch[1].request.settings.totalTimeoutMs = 20000;
    batch[1].onChunk = [](const char*, std::size_t) { return true; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(http_get_all(batch, 2), std::runtime_error);
    // the silent one is dropped with the batch, not waited for
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
