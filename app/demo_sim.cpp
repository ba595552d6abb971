#include "app/demo.h"

#include "qwin/qwin.h"
#include "sim/feed/demo.h"

#include <cstdio>
#include <string>

Feed* startDemo(Config& config)
{
    // The demo notes a windowless run, so the window's back-end is chosen first.
    configureWindow(config.window);
    DemoAccess access;
    std::string error;
    // --next draws no picture: a missing display is no news then.
    const bool windowless = qwin_headless() && !config.options.next;
    Feed* feed =
        demo_start(windowless, config.options.snapshot != nullptr, &config.clockOffset, &access, &error);
    if (!feed) {
        std::fprintf(stderr, "linewatch: cannot start the demo feed: %s\n", error.c_str());
        return nullptr;
    }
    config.api.root = access.root;
    config.api.consumerKey = access.key;
    // The feed's timetables are the model's, on a port of this run: kept,
    // they would only take the place of the day's real ones in the cache.
    config.cacheDir.clear();
    return feed;
}

void stopDemo(Feed* feed)
{
    feed_stop(feed);
}
