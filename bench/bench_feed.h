#pragma once
// The simulated feed the benchmarks ask, on loopback.

#include <cstdint>

#include "sim/feed/feed.h"

// A feed whose clock starts at startTime (Unix time), without the rate limit
// (the benchmarks ask faster than a user would, and the client keeps its own
// count), each answer waiting answerDelayMs first; nullptr, with the reason
// on stderr, when it cannot start.
Feed* startBenchFeed(std::int64_t startTime, int answerDelayMs = 0);

// Unix time of a Japan time "YYYY-MM-DDTHH:MM[:SS]".
std::int64_t benchTime(const char* japanTime);
