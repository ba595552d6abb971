// The settings file: six "key:value" lines, then one line per known train.
#pragma once

#include "app/monitor_state.h"

// Name of the settings file in the current directory.
constexpr const char* kSettingsFile = "linewatch.ini";

// Reads ixf, iyf, ratio, iflag (only when lineArgsGiven is false), sound_flag
// and kstr_flag from path; a value that cannot be read keeps its current value.
// Without the file, the pan is derived from ratio; a path that is there but is
// no readable regular file (a pipe, a folder) counts as no file and is
// reported in one console line. The train lines are not read.
void readSettings(MonitorState& st, const char* path, bool lineArgsGiven);

// Saves the six settings and the known-train lines to path so that a symlink,
// the mode and the hard links stay; returns false, the old file left as it
// was, when it could not be saved. A failure, or a rewrite in place, is
// reported in one console line.
bool writeSettings(const MonitorState& st, const char* path);
