#include "app/monitor_state.h"

#include <cmath>
#include <cstring>

int32_t sound_flag = 1;
int32_t kstr_flag = 0;

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

int findKnownTrain(const MonitorState& st, const char* railway, const char* number)
{
    for (int i = 0; i < st.knownCount; ++i)
        if (std::strcmp(st.knownTrains[i].number, number) == 0 &&
            std::strcmp(st.knownTrains[i].railway, railway) == 0)
            return i;
    return -1;
}

int addKnownTrain(MonitorState& st, const char* railway, const char* number,
                  char (*departed)[kTrainNumberCapacity])
{
    if (departed)
        (*departed)[0] = '\0';
    int found = findKnownTrain(st, railway, number);
    if (found >= 0) {
        st.knownTrains[found].lastSeen = st.trainUpdates;
        return found;
    }
    std::size_t len = std::strlen(number);
    std::size_t railwayLen = std::strlen(railway);
    if (len == 0 || len >= sizeof st.knownTrains[0].number || railwayLen >= sizeof st.knownTrains[0].railway)
        return -1;
    int entry = st.knownCount;
    if (entry < kKnownTrainCapacity) {
        st.knownTrains[entry] = KnownTrain{};
        ++st.knownCount;
    } else {
        // Train numbers are per trip, so a full list holds mostly departed
        // trains; the one gone longest makes room.
        entry = 0;
        for (int i = 1; i < st.knownCount; ++i)
            if (st.knownTrains[i].lastSeen < st.knownTrains[entry].lastSeen)
                entry = i;
        if (st.knownTrains[entry].lastSeen == st.trainUpdates)
            return -1;
        if (departed)
            std::memcpy(*departed, st.knownTrains[entry].number, sizeof *departed);
    }
    KnownTrain& k = st.knownTrains[entry];
    std::memcpy(k.number, number, len + 1);
    std::memcpy(k.railway, railway, railwayLen + 1);
    k.lastSeen = st.trainUpdates;
    return entry;
}
