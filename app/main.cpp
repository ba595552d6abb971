// The program: the configuration read once, the simulated feed started for
// --demo, then the monitor, or the one answer of --next.
#include "app/config.h"
#include "app/demo.h"
#include "app/next_trains_once.h"
#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

Feed* demoFeed = nullptr;

// The demo feed's server thread ends on every way out, exit() included
// (Escape in the window, a fatal error), before its objects are destroyed.
void stopDemoFeed()
{
    stopDemo(std::exchange(demoFeed, nullptr));
}

}  // namespace

int main(int argc, char** argv)
{
    Config config = readConfig(
        argc, argv, [](const char* name) -> const char* { return std::getenv(name); },
        static_cast<std::int64_t>(std::time(nullptr)));
    if (std::optional<int> status = answerWithoutMonitor(config.options))
        return *status;
    if (!config.keyRefusal.empty()) {
        std::fprintf(stderr, "linewatch: %s\n", config.keyRefusal.c_str());
        return 1;
    }
    if (config.options.demo) {
        if ((demoFeed = startDemo(config)) == nullptr)
            return 1;
        std::atexit(stopDemoFeed);
    }
    const int status = config.options.next ? runNextTrainsOnce(config) : runMonitor(config);
    stopDemoFeed();
    return status;
}
