#pragma once
// The monitor's demo mode: the simulated feed inside the monitor's process.
#include <cstdint>
#include <string>

#include "sim/feed/feed.h"

// Where a client reaches the demo feed.
struct DemoAccess {
    std::string root;  // API root, "http://127.0.0.1:PORT"
    std::string key;   // the consumer key the feed answers
};

// Starts the simulated feed on a free loopback port and fills *access with
// what a client needs to ask it. The feed's clock runs *clockOffset seconds
// ahead of the system's, as the monitor's does; when that is 0 inside Japan's
// night pause, both start at 08:00 so that trains run. Prints one note to stderr when the
// picture has no window and no snapshot file was asked for. Returns nullptr
// with the reason in *error on failure.
Feed* demo_start(bool windowless, bool snapshotGiven, std::int64_t* clockOffset, DemoAccess* access,
                 std::string* error);
