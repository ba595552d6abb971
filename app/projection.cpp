#include "app/projection.h"

#include "app/monitor_state.h"

#include <cmath>

namespace {

// Points this far off the window are all equally invisible; bounding them keeps
// differences of two coordinates within 32 bits however far the view is zoomed.
constexpr double kCoordLimit = 1 << 24;

int32_t toPixel(double v)
{
    if (!(v > -kCoordLimit))
        return static_cast<int32_t>(-kCoordLimit);
    if (v > kCoordLimit)
        return static_cast<int32_t>(kCoordLimit);
    return static_cast<int32_t>(std::trunc(v));
}

}  // namespace

ScreenPoint project(const MonitorState& st, double lat, double lon)
{
    return {toPixel(st.left + (lon - st.west) * st.xscale - st.ixf),
            toPixel(st.bottom - (lat - st.south) * st.yscale - st.iyf)};
}

void updateScales(MonitorState& st)
{
    st.xscale = static_cast<float>(st.frameWidth) / (st.east - st.west) * st.ratio;
    st.yscale = st.ratio * (static_cast<float>(st.frameHeight) / (st.north - st.south));
}

bool insideFrame(const MonitorState& st, ScreenPoint p)
{
    return st.left < p.x && p.x < st.right && st.top < p.y && p.y < st.bottom;
}
