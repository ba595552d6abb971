// What the monitor's cycle and its commands take from the world: the clock,
// the pauses, the timetable source and the snapshot file.
#pragma once

#include "app/timetables.h"

#include <cstdint>
#include <ctime>
#include <functional>

// What the cycle takes from the world; tests supply a fake clock and pauses.
struct CycleEnv {
    std::function<std::time_t()> now;             // calendar time in whole seconds
    std::function<void(int)> sleepMs;             // pauses this many milliseconds
    const char* snapshot = nullptr;               // PNG written after each refresh and redraw; nullptr none
    const TimetableSource* timetables = nullptr;  // where trains come from without live ones; nullptr none
};

// The system clock moved on by clockOffset seconds, and real pauses.
CycleEnv realCycleEnv(const char* snapshot, std::int64_t clockOffset = 0);

// Writes the picture to env.snapshot when one was asked for; a failure, or a
// rewrite in place, is reported in one console line.
void takeSnapshot(const CycleEnv& env);
