#include "app/cycle_env.h"

#include "platform/console.h"
#include "qwin/qwin.h"

#include <chrono>
#include <thread>

CycleEnv realCycleEnv(const char* snapshot, std::int64_t clockOffset)
{
    CycleEnv env;
    env.now = [clockOffset] { return static_cast<std::time_t>(std::time(nullptr) + clockOffset); };
    env.sleepMs = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    env.snapshot = snapshot;
    return env;
}

void takeSnapshot(const CycleEnv& env)
{
    if (!env.snapshot)
        return;
    FileSave save = qwin_snapshot(env.snapshot);
    if (!save.saved)
        console_print("snapshot: cannot write %s: %s\n", env.snapshot, save.reason.c_str());
    else if (save.rewrittenInPlace)
        console_print("snapshot: rewrote %s in place (%s)\n", env.snapshot, save.reason.c_str());
}
