#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "sim/rig/feed_fault.h"

// The consumer key the feed accepts unless told otherwise: 64 lowercase hex digits.
inline constexpr char kFeedDefaultKey[65] =
    "5e6d0c1b7a2f4e9d8c3b6a5f4e1d0c9b8a7f6e5d4c3b2a1f0e9d8c7b6a5f4e3d";

// Settings of one feed; the defaults give the simulation on a free loopback port.
struct FeedOptions {
    std::string host = "127.0.0.1";         // address to bind
    int port = 0;                           // 0 picks a free port
    std::string key = kFeedDefaultKey;      // the only acl:consumerKey answered
    std::uint32_t seed = 1;                 // seed of the train model's delays and disruptions
    std::optional<std::int64_t> startTime;  // Unix time the simulated clock starts at; none: the real clock
    bool rateLimit = true;                  // v2: 503 for a second request of one type and key within 100 ms;
                            // v4: 429 beyond 60 requests a minute, 3,600 an hour, 24,000 a day
    FeedFault fault = FeedFault::None;
    int disruptRailway = -1;    // railway index 0..8 with a forced notice, -1 none
    std::string disruptText;    // the forced notice, UTF-8
    std::string replayDir;      // non-empty: serve recorded files where there are some
    bool multilingual = false;  // v4 notices in en, ko, zh-Hans and zh-Hant as well
    bool v4Positions = false;   // v4 serves the running trains (the real API answers [])
    int answerDelayMs = 0;      // every answer waits this long first, as a distant server's do
    std::string certFile;       // with keyFile: serve HTTPS
    std::string keyFile;
};
