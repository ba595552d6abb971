// Start-up and the orderly end of the monitor.
#pragma once

#include "app/monitor_state.h"
#include "app/options.h"
#include "network/stations.h"

// Pixels of margin added on every side of the network before it is fitted.
constexpr int kBoundsMargin = 6;

// b widened by kBoundsMargin pixels' worth of a 512 x 350 frame on every side.
MapBounds widenBounds(MapBounds b);

// From the open port onward: plot frame moved to the map frame (written back
// into the port), bounds widened, settings read from settingsPath, scales,
// frame and map drawn, cycle state reset. st.iflag holds the command-line
// selection on entry; st.port must be set.
void startMonitor(MonitorState& st, const Options& o, const char* settingsPath);

// Empties the response texts and the parsed records.
void releaseRecords();

// The whole program; returns the exit status.
int runLinewatch(int argc, char** argv);
