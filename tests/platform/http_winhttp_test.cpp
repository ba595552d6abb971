// The WinHTTP back-end against canned answers from a loopback server of
// plain sockets: bodies, statuses, redirects followed by hand, deadlines that
// hold against a silent server, and certificate files that cannot be used.
#include "platform/http.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// What the server saw of one request.
struct Seen {
    std::string head;  // request line and headers
};

// Answers each request on 127.0.0.1 with reply(head); an empty reply keeps
// the connection open and silent until the server stops.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<std::string(const std::string& head)> reply)
        : reply_(std::move(reply))
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 8);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackServer()
    {
        stopping_ = true;
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::vector<Seen> seen()
    {
        std::lock_guard<std::mutex> g(lock_);
        return seen_;
    }

private:
    void serve()
    {
        std::vector<SOCKET> silent;
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                break;
            std::string head;
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const int n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                head.append(buffer, n);
            }
            {
                std::lock_guard<std::mutex> g(lock_);
                seen_.push_back({head});
            }
            const std::string answer = reply_(head);
            if (answer.empty()) {
                silent.push_back(client);
                continue;
            }
            send(client, answer.data(), static_cast<int>(answer.size()), 0);
            shutdown(client, SD_SEND);
            closesocket(client);
        }
        for (SOCKET s : silent)
            closesocket(s);
    }

    std::function<std::string(const std::string&)> reply_;
    SOCKET listener_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::mutex lock_;
    std::vector<Seen> seen_;
};

std::string answer(const std::string& status, const std::string& body, const std::string& extra = "")
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

std::string pathOf(const std::string& head)
{
    const std::size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

struct Got {
    HttpResult result;
    std::string body;
    double seconds;
};

Got get(const std::string& url, long totalMs = 10000, const std::string& caFile = "", long connectMs = 2000)
{
    HttpRequest request;
    request.url = url;
    request.userAgent = "linewatch-test";
    request.settings.connectTimeoutMs = connectMs;
    request.settings.totalTimeoutMs = totalMs;
    request.settings.caFile = caFile;
    Got got;
    const auto start = std::chrono::steady_clock::now();
    got.result = http_get(request, [&got](const char* data, std::size_t size) {
        got.body.append(data, size);
        return true;
    });
    got.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return got;
}

TEST(WinHttp, BodiesOfAnyStatusArriveWholeWithTheRequestHeadersAsked)
{
    std::string big(300 * 1000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 997)
        big[i] = static_cast<char>('a' + i % 26);
    LoopbackServer server([&big](const std::string& head) {
        const std::string path = pathOf(head);
        if (path == "/big")
            return answer("200 OK", big);
        if (path == "/missing")
            return answer("404 Not Found", "no such thing");
        return answer("200 OK", "[{\"ok\":1}]");
    });
    Got got = get(server.url("/small?acl:consumerKey=k"));
    EXPECT_TRUE(got.result.completed) << got.result.error;
    EXPECT_EQ(got.result.status, 200);
    EXPECT_EQ(got.body, "[{\"ok\":1}]");
    const std::string head = server.seen().at(0).head;
    EXPECT_EQ(pathOf(head), "/small?acl:consumerKey=k");
    EXPECT_NE(head.find("User-Agent: linewatch-test"), std::string::npos) << head;
    EXPECT_NE(head.find("Cache-Control: no-cache"), std::string::npos) << head;
    EXPECT_NE(head.find("Pragma: no-cache"), std::string::npos) << head;

    got = get(server.url("/big"));
    EXPECT_TRUE(got.result.completed) << got.result.error;
    EXPECT_TRUE(got.body == big) << "got " << got.body.size() << " bytes";

    got = get(server.url("/missing"));
    EXPECT_TRUE(got.result.completed);
    EXPECT_EQ(got.result.status, 404);
    EXPECT_EQ(got.body, "no such thing");
}

TEST(WinHttp, RedirectsAreFollowedByHandAtMostFiveTimes)
{
    LoopbackServer server([](const std::string& head) {
        const std::string path = pathOf(head);
        if (path == "/start")
            return answer("302 Found", "", "Location: /api/next?k=1\r\n");
        if (path == "/api/next?k=1")
            return answer("301 Moved", "", "Location: final\r\n");
        if (path == "/api/final")
            return answer("200 OK", "arrived");
        // /loop/N leads to /loop/N+1 for ever
        return answer("307 Again", "",
                      "Location: /loop/" + std::to_string(std::stoi(path.substr(6)) + 1) + "\r\n");
    });
    Got got = get(server.url("/start"));
    EXPECT_TRUE(got.result.completed) << got.result.error;
    EXPECT_EQ(got.result.status, 200);
    EXPECT_EQ(got.body, "arrived");

    got = get(server.url("/loop/0"));
    EXPECT_FALSE(got.result.completed);
    EXPECT_EQ(got.result.error, "more than 5 redirects");
    EXPECT_EQ(server.seen().size(), 3u + 6u) << "the first request and five redirects, no more";
}

TEST(WinHttp, ASilentServerCostsTheDeadlineAndNoMore)
{
    LoopbackServer server([](const std::string&) { return std::string(); });
    const Got got = get(server.url("/silent"), 1500);
    EXPECT_FALSE(got.result.completed);
    EXPECT_EQ(got.result.error, "the server did not answer in time");
    EXPECT_GE(got.seconds, 1.4);
    EXPECT_LT(got.seconds, 4.0);
}

TEST(WinHttp, TheAbandonHookEndsASilentTransferWithinItsCheckInterval)
{
    using Clock = std::chrono::steady_clock;
    LoopbackServer server([](const std::string&) { return std::string(); });
    HttpRequest request;
    request.url = server.url("/silent");
    request.settings.totalTimeoutMs = 20000;
    const auto abandonAt = Clock::now() + std::chrono::milliseconds(300);
    int asked = 0;
    const HttpResult result = http_get(
        request, [](const char*, std::size_t) { return true; },
        [&] {
            ++asked;
            return Clock::now() >= abandonAt;
        });
    const auto late = Clock::now() - abandonAt;
    EXPECT_TRUE(result.abandoned);
    EXPECT_FALSE(result.completed);
    EXPECT_GE(asked, 3);
    EXPECT_LT(late, std::chrono::milliseconds(kHttpAbandonCheckMs + 250));
}

TEST(WinHttp, TheConnectDeadlineEndsOnceConnectedAndASlowAnswerStillArrives)
{
    LoopbackServer server([](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return answer("200 OK", "late but whole");
    });
    const Got got = get(server.url("/slow"), 8000, "", 500);
    EXPECT_TRUE(got.result.completed) << got.result.error;
    EXPECT_EQ(got.body, "late but whole");
}

TEST(WinHttp, AReceiverThatStopsEndsTheTransfer)
{
    LoopbackServer server([](const std::string&) { return answer("200 OK", std::string(200000, 'y')); });
    HttpRequest request;
    request.url = server.url("/stop");
    int calls = 0;
    const HttpResult result = http_get(request, [&calls](const char*, std::size_t) { return ++calls < 1; });
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(calls, 1);
}

TEST(WinHttp, CertificateFilesThatCannotBeUsedAreRefusedBeforeAnyConnection)
{
    LoopbackServer server([](const std::string&) { return answer("200 OK", "[]"); });
    Got got = get(server.url("/x"), 5000, "Z:\\no\\such\\file.pem");
    EXPECT_FALSE(got.result.completed);
    EXPECT_EQ(got.result.error, "cannot read the certificate file Z:\\no\\such\\file.pem");

    const std::string notPem = (std::filesystem::temp_directory_path() / "linewatch-not.pem").string();
    std::ofstream(notPem) << "-----BEGIN CERTIFICATE-----\nnot base64 at all!\n-----END CERTIFICATE-----\n";
    got = get(server.url("/x"), 5000, notPem);
    std::remove(notPem.c_str());
    EXPECT_FALSE(got.result.completed);
    EXPECT_EQ(got.result.error, "no certificate could be read from " + notPem);
    EXPECT_TRUE(server.seen().empty());
}

TEST(WinHttp, OnlyHttpAndHttpsUrlsAreFetched)
{
    const Got got = get("ftp://127.0.0.1/file");
    EXPECT_FALSE(got.result.completed);
    EXPECT_EQ(got.result.error, "not an http or https URL: ftp://127.0.0.1/file");
}

}  // namespace
