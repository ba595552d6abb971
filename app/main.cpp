// The program: the configuration read once, the simulated feed started for
// --demo, then the monitor.
#include "app/config.h"
#include "app/demo.h"
#include "app/startup.h"

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    Config config = readConfig(argc, argv, [](const char* name) -> const char* { return std::getenv(name); },
                               static_cast<std::int64_t>(std::time(nullptr)));
    if (std::optional<int> status = answerWithoutMonitor(config.options))
        return *status;
    Feed* demoFeed = nullptr;
    if (config.options.demo && (demoFeed = startDemo(config)) == nullptr)
        return 1;
    const int status = runMonitor(config);
    stopDemo(demoFeed);
    return status;
}
