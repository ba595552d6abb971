// The settings file: six "key:value" lines, then one line per known train.
#pragma once

#include "app/monitor_state.h"

// Name of the settings file in the current directory.
constexpr const char* kSettingsFile = "linewatch.ini";

// Reads ixf, iyf, ratio, iflag (only when lineArgsGiven is false), sound_flag
// and kstr_flag from path; a value that cannot be read keeps its current value.
// Without the file, the pan is derived from ratio. The train lines are not read.
void readSettings(MonitorState& st, const char* path, bool lineArgsGiven);

// Writes the six settings and the known-train lines to a temporary file beside
// path and renames it over path; returns false (path untouched) on any failure.
bool writeSettings(const MonitorState& st, const char* path);
