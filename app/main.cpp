// The program: the configuration read once, the simulated feed started for
// --demo, then the monitor.
#include "app/config.h"
#include "app/startup.h"
#include "qwin/qwin.h"
#include "sim/demo.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char** argv)
{
    Config config = readConfig(argc, argv, [](const char* name) -> const char* { return std::getenv(name); },
                               static_cast<std::int64_t>(std::time(nullptr)));
    if (std::optional<int> status = answerWithoutMonitor(config.options))
        return *status;
    Feed* demoFeed = nullptr;
    if (config.options.demo) {
        // The demo notes a windowless run, so the window's back-end is chosen first.
        configureWindow(config.window);
        DemoAccess access;
        std::string error;
        demoFeed = demo_start(qwin_headless(), config.options.snapshot != nullptr, &config.clockOffset, &access,
                              &error);
        if (!demoFeed) {
            std::fprintf(stderr, "linewatch: cannot start the demo feed: %s\n", error.c_str());
            return 1;
        }
        config.api.root = access.root;
        config.api.consumerKey = access.key;
    }
    const int status = runMonitor(config);
    feed_stop(demoFeed);
    return status;
}
