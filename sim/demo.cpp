#include "sim/demo.h"

#include <cstdio>
#include <ctime>

#include "sim/clock.h"

namespace {

// Japan time of day, in minutes, at which the model runs no trains.
bool nightPause(int minute) {
    return minute >= 60 && minute < 5 * 60;
}

}  // namespace

Feed* demo_start(bool windowless, bool snapshotGiven, DemoAccess* access, std::string* error) {
    FeedOptions options;
    std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    int minute = static_cast<int>(((now + jstOffsetSeconds) % 86400) / 60);
    if (nightPause(minute)) options.startTime = japanTimeToday(8 * 60, now);
    Feed* feed = feed_start(options, error);
    if (!feed) return nullptr;
    access->root = feed_root(feed);
    access->key = options.key;
    std::fprintf(stderr, "linewatch: demo feed at %s%s\n", access->root.c_str(),
                 options.startTime ? " (night in Japan: simulated clock starts at 08:00)" : "");
    if (windowless && !snapshotGiven)
        std::fprintf(stderr, "linewatch: no display, running headless; add --snapshot FILE.png to save the "
                             "picture after every refresh\n");
    return feed;
}
