#include "app/map.h"

#include "app/projection.h"
#include "graph/graphport.h"
#include "network/branch.h"
#include "network/stations.h"

#include <cmath>

namespace {

constexpr int kMarkHalf = 3;
constexpr float kNameScale = 0.7f;
constexpr float kLegendScale = 1.0f;
constexpr int kGrey = 15;

// 丸ノ内線 leaves its main line at position 19 (中野坂上) for the branch that
// starts at position 25 (中野新橋).

// Moves p's coordinate c onto edge along the segment from `toward` to p.
ScreenPoint cutAt(ScreenPoint p, ScreenPoint toward, bool vertical, int32_t edge)
{
    if (!vertical) {
        double t = static_cast<double>(edge - toward.x) / (p.x - toward.x);
        return {edge, toward.y + static_cast<int32_t>(std::trunc(t * (p.y - toward.y)))};
    }
    double t = static_cast<double>(edge - toward.y) / (p.y - toward.y);
    return {toward.x + static_cast<int32_t>(std::trunc(t * (p.x - toward.x))), edge};
}

// Moves `out` (outside the frame) onto the frame edge along the segment toward
// `in` (strictly inside): first against the left/right edge, then top/bottom.
ScreenPoint cutToFrame(const MonitorState& st, ScreenPoint out, ScreenPoint in)
{
    if (out.x > st.right)
        out = cutAt(out, in, false, st.right);
    else if (out.x < st.left)
        out = cutAt(out, in, false, st.left);
    if (out.y > st.bottom)
        out = cutAt(out, in, true, st.bottom);
    else if (out.y < st.top)
        out = cutAt(out, in, true, st.top);
    return out;
}

void drawSegment(const MonitorState& st, ScreenPoint a, ScreenPoint b, int32_t colour)
{
    st.port->line(static_cast<int16_t>(a.x), static_cast<int16_t>(a.y), static_cast<int16_t>(b.x),
                  static_cast<int16_t>(b.y), static_cast<int16_t>(colour));
}

// Draws the part of prev–p that an inside end allows: the whole segment when
// both ends are inside, the piece up to the frame edge when one is, nothing
// when both are outside. Each segment is cut between its two true projected
// points: a pen left at a cut point and carried on would draw a false chord
// when a line comes back into the frame, and a railway starting outside would
// begin at a point cut toward the previous railway's end.
void drawClipped(const MonitorState& st, ScreenPoint prev, ScreenPoint p, int32_t colour)
{
    bool prevIn = insideFrame(st, prev);
    bool pIn = insideFrame(st, p);
    if (prevIn && pIn)
        drawSegment(st, prev, p, colour);
    else if (pIn)
        drawSegment(st, cutToFrame(st, prev, p), p, colour);
    else if (prevIn)
        drawSegment(st, prev, cutToFrame(st, p, prev), colour);
}

void drawStation(const MonitorState& st, const StationEntry& e, ScreenPoint p, int32_t colour)
{
    st.port->box(static_cast<int16_t>(p.x - kMarkHalf), static_cast<int16_t>(p.y - kMarkHalf),
                 static_cast<int16_t>(p.x + kMarkHalf), static_cast<int16_t>(p.y + kMarkHalf),
                 static_cast<int16_t>(colour));
    if (kstr_flag == 1 && colour != kGrey)
        st.port->print(e.title, p.x, p.y, colour, kNameScale, e.labelDirection);
}

}  // namespace

void drawRailway(const MonitorState& st, int k)
{
    const int32_t colour = lineColour(st, k);
    st.port->print(railways[k].name, 1, legendRowTop(k), colour, kLegendScale, 0);

    ScreenPoint prev{0, 0};
    ScreenPoint branch{0, 0};
    bool havePrev = false;
    bool haveBranch = false;
    for (int s = 0; s < railways[k].stationCount; ++s) {
        int idx = findStationTitle(lineStations[k][s]);
        if (idx >= kStationTableSize)
            continue;
        const StationEntry& e = stations[idx];
        ScreenPoint p = project(st, e.latitude, e.longitude);
        if (k == kBranchLine && s == kBranchJoinSlot) {
            branch = p;
            haveBranch = true;
        }
        // The branch joins the main line at 中野坂上, not at the preceding 荻窪;
        // the joint is always the point of this drawing, inside the frame or not.
        if (k == kBranchLine && s == kBranchFirstSlot) {
            prev = branch;
            havePrev = haveBranch;
        }
        if (havePrev)
            drawClipped(st, prev, p, colour);
        if (insideFrame(st, p))
            drawStation(st, e, p, colour);
        prev = p;
        havePrev = true;
    }
}

int32_t lineColour(const MonitorState& st, int k)
{
    return (st.iflag & railways[k].mask) ? (k % 14) + 1 : kGrey;
}

void drawFrame(const MonitorState& st)
{
    st.port->box(static_cast<int16_t>(st.left), static_cast<int16_t>(st.top), static_cast<int16_t>(st.right),
                 static_cast<int16_t>(st.bottom), kGrey);
}

void drawMap(const MonitorState& st)
{
    for (int k = 0; k < railwayCount; ++k)
        drawRailway(st, k);
}
