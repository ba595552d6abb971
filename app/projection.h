// The map's projection: latitude and longitude to window pixels with the
// monitor's bounds, scales, pan and zoom, and the frame points are drawn in.
#pragma once

#include <cstdint>

struct MonitorState;

// A point in window pixels.
struct ScreenPoint {
    int32_t x, y;
};

// Window pixel of latitude lat and longitude lon (degrees) with the current
// bounds, scales and pan; each coordinate cut toward zero.
ScreenPoint project(const MonitorState& st, double lat, double lon);

// Recomputes xscale and yscale from the bounds, the frame size and ratio.
void updateScales(MonitorState& st);

// True when p lies strictly inside the map frame.
bool insideFrame(const MonitorState& st, ScreenPoint p);
