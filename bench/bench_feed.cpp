#include "bench/bench_feed.h"

#include <cstdio>
#include <string>

#include "opendata/calendar.h"

Feed* startBenchFeed(std::int64_t startTime, int answerDelayMs)
{
    FeedOptions o;
    o.startTime = startTime;
    o.rateLimit = false;
    o.answerDelayMs = answerDelayMs;
    std::string error;
    Feed* f = feed_start(o, &error);
    if (!f)
        std::fprintf(stderr, "feed: %s\n", error.c_str());
    return f;
}

std::int64_t benchTime(const char* japanTime)
{
    std::int64_t t = 0;
    parseJapanTime(japanTime, 0, &t);
    return t;
}
