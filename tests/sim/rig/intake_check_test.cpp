#include "sim/rig/intake_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    std::string bytes;
    int refusal;
    size_t length;  // of the whole request, 0 while it is incomplete
};

TEST(IntakeCheck, WholeRequestsAndRefusals)
{
    const std::string get = "GET /api/v2/datapoints?rdf:type=odpt:Train HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::string longHeader = "X-Long: " + std::string(100, 'x') + "\r\n";
    const Case cases[] = {
        {"", 0, 0},
        {"GET / HTTP/1.1\r\n", 0, 0},
        {get, 0, 0},
        {get + "\r\n", 0, get.size() + 2},
        {"GET / HTTP/1.1\n\n", 0, 16},
        {"GET / HTTP/1.1\r\nHost: a\n\n", 0, 25},
        {get + "\r\nGET / HTTP/1.1\r\n\r\n", 0, get.size() + 2},  // a pipelined request waits its turn
        {get + "Content-Length: 5\r\n\r\nhel", 0, 0},
        {get + "content-LENGTH:  5 \r\n\r\nhello!", 0, get.size() + 23 + 5},
        {get + "Content-Length: 16\r\n\r\n", 0, 0},
        {get + "Content-Length: 17\r\n\r\n", 413, 0},
        {get + "Content-Length: 400000000\r\n\r\n", 413, 0},
        {get + "Content-Length: 99999999999999999999\r\n\r\n", 400, 0},
        {get + "Content-Length: 5x\r\n\r\n", 400, 0},
        {get + "Content-Length: -1\r\n\r\n", 400, 0},
        {get + "Content-Length:\r\n\r\n", 400, 0},
        {get + "Content-Length: 1\r\nContent-Length: 1\r\n\r\nx", 400, 0},
        {get + "Transfer-Encoding: chunked\r\n\r\n", 411, 0},
        {get + "X-Note: Content-Length: 999\r\n\r\n", 0, get.size() + 31},
        {get + longHeader + longHeader, 431, 0},
        {get + longHeader + longHeader + "\r\n", 431, 0},
        {std::string(300, 'G'), 431, 0},
    };
    for (const Case& c : cases) {
        // small limits: 256 bytes of header, 16 of body
        RequestCheck check = checkRequest(c.bytes, 256, 16);
        EXPECT_EQ(check.refusal, c.refusal) << c.bytes;
        EXPECT_EQ(check.length, c.length) << c.bytes;
    }
}

// Every prefix of a whole request is incomplete, never refused.
TEST(IntakeCheck, PrefixesOfAGoodRequestWait)
{
    const std::string whole = "GET /x HTTP/1.1\r\nHost: a\r\nContent-Length: 3\r\n\r\nabc";
    for (size_t n = 0; n < whole.size(); ++n) {
        RequestCheck check = checkRequest(whole.substr(0, n), 256, 16);
        EXPECT_EQ(check.refusal, 0) << n;
        EXPECT_EQ(check.length, 0u) << n;
    }
    EXPECT_EQ(checkRequest(whole, 256, 16).length, whole.size());
}

}  // namespace
