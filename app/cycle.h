// The main cycle: countdown, key commands and the refresh every 90 seconds.
#pragma once

#include "app/cycle_env.h"
#include "app/monitor_state.h"

// One pass: escape check, countdown, pause, then either read a waiting key or
// carry out the pending command or check for a due refresh. Returns false
// once q or Q has been read, here or during a download.
bool cyclePass(MonitorState& st, const CycleEnv& env);

// Runs passes until q or Q.
void runCycle(MonitorState& st, const CycleEnv& env);

// One refresh: download, chime, parse, move the trains, report the status.
// Ends after the download when downloadInterrupted abandoned it.
void refreshOnce(MonitorState& st, const CycleEnv& env);
