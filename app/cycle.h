// The main cycle: countdown, key commands and the refresh every 90 seconds.
#pragma once

#include "app/monitor_state.h"
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

// One pass: escape check, countdown, pause, then either read a waiting key or
// carry out the pending command or check for a due refresh. Returns false
// once q or Q has been read, here or during a download.
bool cyclePass(MonitorState& st, const CycleEnv& env);

// The abandon hook of the monitor's downloads: reads the keys typed meanwhile
// and keeps them for later passes; true once one of them is q or Q (then kept
// alone, so the next pass quits) or Escape was pressed in the window (which
// the next pass acts on), instead of the cycle waiting for the download.
bool downloadInterrupted(MonitorState& st);

// True when a key typed during a download is kept or the console has one.
bool keyWaiting(const MonitorState& st);

// The oldest key typed during a download, else the console's next key.
int readKey(MonitorState& st);

// Runs passes until q or Q.
void runCycle(MonitorState& st, const CycleEnv& env);

// One refresh: download, chime, parse, move the trains, report the status.
// Ends after the download when downloadInterrupted abandoned it.
void refreshOnce(MonitorState& st, const CycleEnv& env);

// Writes the picture to env.snapshot when one was asked for; a failure, or a
// rewrite in place, is reported in one console line.
void takeSnapshot(const CycleEnv& env);
