// --demo: the simulated feed inside the program, where the build has one.
#pragma once

#include "app/config.h"

struct Feed;

// Starts the simulated feed and points config's API part at it; nullptr, after
// one line on stderr, when it cannot start or the build has none.
Feed* startDemo(Config& config);

// Stops what startDemo started; nothing for nullptr.
void stopDemo(Feed* feed);
