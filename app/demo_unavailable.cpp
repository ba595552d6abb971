// The Windows build carries no simulated feed: it watches one by its URL.
#include "app/demo.h"

#include <cstdio>

Feed* startDemo(Config&)
{
    std::fputs(
        "linewatch: --demo needs the simulated feed, which the Windows build does not include;\n"
        "run linewatch-feed elsewhere and set LINEWATCH_API_ROOT and LINEWATCH_CONSUMER_KEY\n",
        stderr);
    return nullptr;
}

void stopDemo(Feed*) {}
