// Start-up and the orderly end of the monitor.
#pragma once

#include "app/config.h"
#include "app/monitor_state.h"
#include "app/options.h"
#include "network/stations.h"

#include <optional>
#include <string>

// b widened by six pixels' worth of a 512 x 350 frame on every side.
MapBounds widenBounds(MapBounds b);

// From the open port onward: plot frame moved to the map frame (written back
// into the port), bounds widened, settings read from settingsPath, scales,
// frame and map drawn, cycle state reset. st.iflag holds the command-line
// selection on entry; st.port must be set.
void startMonitor(MonitorState& st, const Options& o, const char* settingsPath);

// Answers what the command line alone asks for (usage, version) or rejects
// it with one line on stderr; returns that exit status, or nothing when the
// monitor is to run.
std::optional<int> answerWithoutMonitor(const Options& o);

// What a user of version 4 must be told at start, on the console: the data
// licence's notice, and without a consumer key of their own how to get one
// and where to put it, the variable or keyFile (api as configured, apiVersion()
// already its version; an empty keyFile is not named). Nothing for version 2.
void printApiNotices(const ApiSettings& api, const std::string& keyFile);

// The monitor from applying config to the orderly end; returns the exit status.
int runMonitor(const Config& config);
