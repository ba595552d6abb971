// Trains on the map.
//   [placing]     colour and position of one train
//   [drawing]     marks, labels, the count box and the per-line counts
//   [passes]      the update after a refresh and the redraw
#include "app/trains.h"

#include "app/disrupted_estimate.h"
#include "app/fullwidth.h"
#include "app/map.h"
#include "app/monitor_state.h"
#include "app/projection.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A station identifier shorter than this is absent (empty, "null"); at
// exactly this length it is neither, and gives no position either.
constexpr std::size_t kPresentLength = 10;

struct StationPoint {
    bool usable;
    float latitude, longitude;
};

bool present(const std::string& id)
{
    return id.size() > kPresentLength;
}

StationPoint stationPoint(const std::string& id)
{
    StationPoint p{false, 0.0f, 0.0f};
    if (!present(id))
        return p;
    int32_t lx = 0, ly = 0, dir = 0;
    p.usable = findStation(id.c_str(), lx, ly, dir, p.longitude, p.latitude) != kStationTableSize;
    return p;
}

// The drawing calls take 16-bit coordinates; a position far outside the
// window must stay far outside instead of wrapping onto it.
int16_t px(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

// [placing]

int32_t trainColour(const MonitorState& st, const TrainRecord& train)
{
    const int k = findRailway(train.railway.c_str());
    return k < railwayCount ? lineColour(st, k) : 7;
}

TrainPlacement placeTrain(const MonitorState& st, const TrainRecord& train, int32_t colour)
{
    TrainPlacement at{false, 0, 0, 0, 0};
    StationPoint from = stationPoint(train.fromStation);
    StationPoint to = stationPoint(train.toStation);
    if (from.usable && to.usable) {
        double dx = double(from.longitude) - double(to.longitude);
        double dy = double(from.latitude) - double(to.latitude);
        ScreenPoint mid =
            project(st, (from.latitude + to.latitude) * 0.5, (from.longitude + to.longitude) * 0.5);
        at.x = mid.x;
        at.y = mid.y;
        // Two stations at one place give no direction: no tail and no shift.
        if (dx != 0.0 || dy != 0.0) {
            double theta = std::atan2(dy, dx);
            at.tailX = static_cast<int32_t>(std::trunc(10.0 * std::cos(theta)));
            at.tailY = static_cast<int32_t>(std::trunc(-10.0 * std::sin(theta)));
            int32_t d = colour / 2 + 4;
            at.x = static_cast<int32_t>(std::trunc(at.x + d * std::sin(theta)));
            at.y = static_cast<int32_t>(std::trunc(at.y + d * std::cos(theta)));
        }
        at.placed = true;
    } else if (from.usable || to.usable) {
        const StationPoint& only = from.usable ? from : to;
        ScreenPoint p = project(st, only.latitude, only.longitude);
        at.x = p.x;
        at.y = p.y;
        at.placed = true;
    }
    return at;
}

namespace {

// [drawing]

const char* after_last_dot(const std::string& s, bool wholeWithoutDot)
{
    std::size_t dot = s.rfind('.');
    if (dot == std::string::npos)
        return wholeWithoutDot ? s.c_str() : "";
    return s.c_str() + dot + 1;
}

// "number:type:railway", the start of every console train line.
std::string trainLine(const TrainRecord& t)
{
    std::string line = t.trainNumber;
    line += ':';
    line += after_last_dot(t.trainType, false);
    line += ':';
    line += after_last_dot(t.railway, true);
    return line;
}

void drawMark(GraphPort& port, int32_t x, int32_t y, int32_t x2, int32_t y2, int32_t colour)
{
    port.boxf(px(x - 2), px(y - 2), px(x + 2), px(y + 2), px(colour), -1);
    port.line(px(x), px(y), px(x2), px(y2), px(colour));
}

void drawLabel(GraphPort& port, const char* number, int32_t x, int32_t y, int32_t colour)
{
    port.print(to_fullwidth(number).c_str(), x, y, colour, 0.8f, 0);
}

// The "?" beside an uncertain train's mark: above its right, clear of the
// mark, as high as a label.
constexpr int32_t kQueryLeft = 3, queryTop = -14, querySide = 13;
constexpr float kQueryScale = 0.8f;

void drawQuery(GraphPort& port, int32_t x, int32_t y, int32_t colour)
{
    port.print("？", x + kQueryLeft, y + queryTop, colour, kQueryScale, 0);
}

// Colour of the mark that says the trains are the timetable's, used for nothing else.
constexpr int32_t kTimetableMarkColour = 11;

// The total and the data's time; trains from the timetables get their time
// to the minute and the mark "時刻表" after it, within the same erased box.
void drawCountBox(GraphPort& port, const std::string& date, bool estimated)
{
    const int x0 = 3, y0 = 5, h = 13;
    char text[16];  // "%03d" of a count of at most 400 trains
    int len = std::snprintf(text, sizeof text, "%03d", trainCount);
    port.boxf(x0 - 1, y0 - 1, px((len + 5) * h + x0), y0 + h + 3, 0, -1);
    port.print("列車総数：", x0, y0, 2, 0.8f, 0);
    port.print(to_fullwidth(text).c_str(), x0 + 60, y0, 2, 0.8f, 0);
    port.boxf(x0 - 1, y0 + 17, x0 + (h - 1) * 8, y0 + h + 23, 0, -1);
    std::size_t t = date.find('T');
    std::string time = t == std::string::npos ? std::string() : date.substr(t + 1, estimated ? 5 : 8);
    port.print(to_fullwidth(time).c_str(), x0, y0 + 20, 7, 0.73f, 0);
    if (estimated)
        port.print("時刻表", x0 + 59, y0 + 20, kTimetableMarkColour, 0.73f, 0);
}

// The legend name of every line with a train (once a pass, not once a train:
// the name is the same each time) and every line's count.
void drawLineCounts(const MonitorState& st, const int32_t (&counts)[railwayCount])
{
    for (int k = 0; k < railwayCount; ++k) {
        char text[16];  // a 32-bit count in decimal
        std::snprintf(text, sizeof text, "%d", counts[k]);
        int32_t colour = lineColour(st, k);
        if (counts[k] > 0)
            st.port->print(railways[k].name, 1, legendRowTop(k), colour, 1.0f, 0);
        st.port->boxf(75, px(legendRowTop(k)), 106, px(legendRowTop(k) + kLegendRowHeight), 0, -1);
        st.port->print(to_fullwidth(text).c_str(), 75, legendRowTop(k), colour, 1.0f, 0);
    }
}

// Colour and line count of one train; returns its colour.
int32_t mark_railway(const MonitorState& st, const TrainRecord& t, int32_t (&counts)[railwayCount])
{
    const int k = findRailway(t.railway.c_str());
    if (k < railwayCount)
        ++counts[k];
    return trainColour(st, t);
}

// A mark or a label as drawn on the map: enough to erase it, or to draw it
// again where an erase went over it.
struct Stroke {
    int32_t mode;  // 3 a mark with its tail to (x2, y2), 1 a label
    int32_t x, y, x2, y2;
    char number[kTrainNumberCapacity];
    bool uncertain;  // with a "?": beside the mark, after the label
};

Stroke strokeOf(const KnownTrain& known, int32_t mode)
{
    Stroke s{mode, known.x, known.y, known.x2, known.y2, {}, known.uncertain};
    std::memcpy(s.number, known.number, sizeof s.number);
    return s;
}

void paint(GraphPort& port, const Stroke& s, int32_t colour)
{
    if (s.mode == 3) {
        drawMark(port, s.x, s.y, s.x2, s.y2, colour);
        if (s.uncertain)
            drawQuery(port, s.x, s.y, colour);
    } else {
        drawLabel(port, (std::string(s.number) + (s.uncertain ? "?" : "")).c_str(), s.x, s.y, colour);
    }
}

// Window pixels a stroke may touch, both ends included.
struct Extent {
    int32_t left, top, right, bottom;
};

// Side of one character of a label: the 16-dot font at scale 0.8, rounded up.
constexpr int32_t kLabelCell = 16;

Extent extent(const Stroke& s)
{
    if (s.mode == 3 && s.uncertain)
        return Extent{std::min(s.x - 2, s.x2), std::min(s.y + queryTop, s.y2),
                      std::max(s.x + kQueryLeft + querySide, s.x2), std::max(s.y + 1, s.y2)};
    if (s.mode == 3)
        return Extent{std::min(s.x - 2, s.x2), std::min(s.y - 2, s.y2), std::max(s.x + 1, s.x2),
                      std::max(s.y + 1, s.y2)};
    const auto chars = static_cast<int32_t>(std::strlen(s.number)) + (s.uncertain ? 1 : 0);
    return Extent{s.x, s.y, s.x + kLabelCell * chars, s.y + kLabelCell};
}

bool overlap(const Extent& a, const Extent& b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

void store(KnownTrain& known, const TrainPlacement& at)
{
    known.x = at.x;
    known.y = at.y;
    known.x2 = at.x + at.tailX;
    known.y2 = at.y + at.tailY;
}

// [passes]

enum class Pass { Update, Redraw };

// The strokes of one pass: every erase is made before any drawing, so that
// no train's erase can wipe a mark drawn in the same pass, and a train left
// in place is drawn again where an erase went over it (trains standing at one
// station share one place).
struct PassStrokes {
    std::vector<Stroke> erased;
    std::vector<int> moved;  // known-train entries to draw at their new place
};

void eraseDeparted(MonitorState& st, PassStrokes& strokes)
{
    for (int i = 0; i < st.known.count; ++i) {
        KnownTrain& known = st.known.trains[i];
        if (known.lastSeen != st.known.updates && known.shown != 0) {
            strokes.erased.push_back(strokeOf(known, known.shown));
            known.shown = 0;
        }
    }
}

void drawStrokes(MonitorState& st, const PassStrokes& strokes)
{
    GraphPort& port = *st.port;
    for (const Stroke& s : strokes.erased)
        paint(port, s, 0);
    std::vector<bool> drawn(static_cast<std::size_t>(st.known.count), false);
    for (int i : strokes.moved) {
        KnownTrain& known = st.known.trains[i];
        known.shown = st.plot_mode;
        paint(port, strokeOf(known, known.shown), known.colour);
        drawn[static_cast<std::size_t>(i)] = true;
    }
    if (strokes.erased.empty())
        return;
    for (int i = 0; i < st.known.count; ++i) {
        const KnownTrain& known = st.known.trains[i];
        if (known.lastSeen != st.known.updates || known.shown == 0 || drawn[static_cast<std::size_t>(i)])
            continue;
        const Stroke mine = strokeOf(known, known.shown);
        const Extent area = extent(mine);
        for (const Stroke& s : strokes.erased)
            if (overlap(area, extent(s))) {
                paint(port, mine, known.colour);
                break;
            }
    }
}

void showTrains(MonitorState& st, Pass pass)
{
    int32_t counts[railwayCount] = {};
    GraphPort& port = *st.port;
    PassStrokes strokes;
    for (int i = 0; i < trainCount; ++i) {
        const TrainRecord& t = trainRecords[i];
        // A train without an entry (no usable number) could never be erased
        // again, so it is counted but not drawn.
        char departed[kTrainNumberCapacity];
        int entry = addKnownTrain(st.known, t.railway.c_str(), t.trainNumber.c_str(), &departed);
        // A label is erased by drawing its own text, which the reused entry
        // no longer holds; a mark is erased by the next move.
        if (departed[0] != '\0' && pass == Pass::Update && st.plot_mode != 3) {
            Stroke label = strokeOf(st.known.trains[entry], 1);
            std::memcpy(label.number, departed, sizeof label.number);
            strokes.erased.push_back(label);
        }
        int32_t colour = mark_railway(st, t, counts);

        std::string line = trainLine(t);
        if (pass == Pass::Update && present(t.fromStation) && present(t.toStation)) {
            line += ':';
            line += after_last_dot(t.fromStation, true);
            line += "->";
            line += after_last_dot(t.toStation, true);
        }
        line += uncertaintyWord(st, t);
        if (pass == Pass::Update || t.delay < 1)
            console_print("%s         \r", line.c_str());
        else
            console_print("%s delay:%d sec\n", line.c_str(), t.delay);

        TrainPlacement at = placeTrain(st, t, colour);
        if (at.placed && entry >= 0) {
            KnownTrain& known = st.known.trains[entry];
            bool inside = insideFrame(st, ScreenPoint{at.x, at.y});
            const bool uncertain = *uncertaintyWord(st, t) != '\0';
            // a train whose "?" comes or goes is drawn again in its place
            bool moved = at.x != known.x || at.y != known.y || uncertain != known.uncertain;
            // A train back after an absence was erased when it left, so it
            // is drawn again even in its old place.
            if (pass == Pass::Update ? moved || (known.shown == 0 && inside) : inside) {
                // What is on the map goes in the mode it was drawn in; a train
                // not on the map erases its stored place as the current mode
                // would draw it (a redraw of labels erases nothing).
                if (known.shown != 0)
                    strokes.erased.push_back(strokeOf(known, known.shown));
                else if (inside && (st.plot_mode == 3 || pass == Pass::Update))
                    strokes.erased.push_back(strokeOf(known, st.plot_mode));
                known.shown = 0;
                if (inside) {
                    known.colour = colour;
                    known.uncertain = uncertain;
                    strokes.moved.push_back(entry);
                }
                store(known, at);
            }
        }

        if (st.shownTrainTotal != trainCount || st.shownEstimated != st.trainsEstimated) {
            drawCountBox(port, t.date, st.trainsEstimated);
            st.shownTrainTotal = trainCount;
            st.shownEstimated = st.trainsEstimated;
        }
    }
    if (trainCount == 0 && st.shownTrainTotal != 0) {
        drawCountBox(port, "", false);
        st.shownTrainTotal = 0;
        st.shownEstimated = false;
    }
    eraseDeparted(st, strokes);
    drawStrokes(st, strokes);
    drawLineCounts(st, counts);
}

}  // namespace

void updateTrainDisplay(MonitorState& st)
{
    std::sort(trainRecords, trainRecords + trainCount,
              [](const TrainRecord& a, const TrainRecord& b) { return compareTrainNumber(a, b) < 0; });
    ++st.known.updates;
    showTrains(st, Pass::Update);
}

void redrawTrains(MonitorState& st)
{
    st.shownTrainTotal = -1;
    showTrains(st, Pass::Redraw);
}
