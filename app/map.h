// The network map: legend, railways as clipped polylines, station marks and,
// when kstr_flag is 1, the names of stations on coloured lines.
#pragma once

#include "app/monitor_state.h"

// Palette colour of railway k under the current selection: k + 1, or 15 (grey).
int32_t lineColour(const MonitorState& st, int k);

// Outlines the map frame in grey.
void drawFrame(const MonitorState& st);

// Draws railway k: its legend name, its polyline clipped to the frame, its
// station marks and, when kstr_flag is 1 and the line is coloured, the names.
void drawRailway(const MonitorState& st, int k);

// Draws the map through st.port with the current projection; draws nothing
// outside the map frame except the legend.
void drawMap(const MonitorState& st);
