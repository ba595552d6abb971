// linewatch-feed: the simulated open-data feed as a program of its own. It
// prints the API root and key on one line, then serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/rig/faults.h"
#include "sim/feed/feed.h"
#include "sim/feed/options.h"

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: linewatch-feed [options]\n%s", feedUsage);
        return 0;
    }
    FeedOptions options;
    std::string error;
    if (!parseFeedOptions(argc, argv, 1, &options, &error)) {
        std::fprintf(stderr, "linewatch-feed: %s\nusage: linewatch-feed [options]\n%s", error.c_str(),
                     feedUsage);
        return 2;
    }
    // block the signals before any thread starts so that only sigwait sees them
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Feed* feed = feed_start(options, &error);
    if (!feed) {
        std::fprintf(stderr, "linewatch-feed: %s\n", error.c_str());
        return 1;
    }
    std::printf("linewatch-feed: serving %s key %s fault %s\n", feed_root(feed).c_str(), options.key.c_str(),
                faultName(options.fault));
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    feed_stop(feed);
    return 0;
}
