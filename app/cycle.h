// The main cycle: countdown, key commands and the refresh every 90 seconds.
#pragma once

#include "app/monitor_state.h"
#include "app/timetables.h"

#include <cstdint>
#include <ctime>
#include <functional>

// What the cycle takes from the world; tests supply a fake clock and pauses.
struct CycleEnv {
    std::function<std::time_t()> now;  // calendar time in whole seconds
    std::function<void(int)> sleepMs;  // pauses this many milliseconds
    const char* snapshot = nullptr;    // PNG written after each refresh and redraw; nullptr none
    const TimetableSource* timetables = nullptr;  // where trains come from without live ones; nullptr none
};

// The system clock moved on by clockOffset seconds, and real pauses.
CycleEnv realCycleEnv(const char* snapshot, std::int64_t clockOffset = 0);

// One pass: escape check, countdown, pause, then either read a waiting key or
// carry out the pending command or check for a due refresh. Returns false
// once q or Q has been read.
bool cyclePass(MonitorState& st, const CycleEnv& env);

// Runs passes until q or Q.
void runCycle(MonitorState& st, const CycleEnv& env);

// One refresh: download, chime, parse, move the trains, report the status.
void refreshOnce(MonitorState& st, const CycleEnv& env);

// Writes the picture to env.snapshot when one was asked for; a failure, or a
// rewrite in place, is reported in one console line.
void takeSnapshot(const CycleEnv& env);
