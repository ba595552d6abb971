#pragma once
// The monitor's demo mode: the simulated feed inside the monitor's process.
#include <string>

#include "sim/feed.h"

// Starts the simulated feed on a free loopback port and points the open-data
// client at it through LINEWATCH_API_ROOT and LINEWATCH_CONSUMER_KEY. Inside
// Japan's night pause the simulated clock starts at 08:00 so that trains run.
// Prints one note to stderr when the picture has no window and no snapshot
// file was asked for. Returns nullptr with the reason in *error on failure.
Feed* demo_start(bool windowless, bool snapshotGiven, std::string* error);
