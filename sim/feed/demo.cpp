#include "sim/feed/demo.h"

#include <cstdio>
#include <ctime>

#include "sim/model/clock.h"

namespace {

// Japan time of day, in minutes, at which the model runs no trains.
bool nightPause(int minute)
{
    return minute >= 60 && minute < 5 * 60;
}

}  // namespace

Feed* demo_start(bool windowless, bool snapshotGiven, std::int64_t* clockOffset, DemoAccess* access,
                 std::string* error)
{
    FeedOptions options;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const int minute = japanSecondOfDay(now) / 60;
    const bool night = *clockOffset == 0 && nightPause(minute);
    if (night)
        *clockOffset = japanTimeToday(8 * 60, now) - now;
    options.startTime = now + *clockOffset;
    // the notices in every language the operator writes them in, as the real API gives them
    options.multilingual = true;
    Feed* feed = feed_start(options, error);
    if (!feed)
        return nullptr;
    access->root = feed_root(feed);
    access->key = options.key;
    std::fprintf(stderr, "linewatch: demo feed at %s%s\n", access->root.c_str(),
                 night ? " (night in Japan: the clock starts at 08:00)" : "");
    if (windowless && !snapshotGiven)
        std::fprintf(stderr,
                     "linewatch: no display, running headless; add --snapshot FILE.png to save the "
                     "picture after every refresh\n");
    return feed;
}
