// Trains on the map.
//   [placing]     colour and position of one train
//   [drawing]     marks, labels, the count box and the per-line counts
//   [passes]      the update after a refresh and the redraw
#include "app/trains.h"

#include "app/disrupted_estimate.h"
#include "app/fullwidth.h"
#include "app/map.h"
#include "app/monitor_state.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// A station identifier shorter than this is absent (empty, "null"); at
// exactly this length it is neither, and gives no position either.
constexpr std::size_t presentLength = 10;

struct StationPoint {
    bool usable;
    float latitude, longitude;
};

bool present(const std::string& id)
{
    return id.size() > presentLength;
}

StationPoint station_point(const std::string& id)
{
    StationPoint p{false, 0.0f, 0.0f};
    if (!present(id))
        return p;
    int32_t lx = 0, ly = 0, dir = 0;
    p.usable = findStation(id.c_str(), lx, ly, dir, p.longitude, p.latitude) != stationTableSize;
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
    StationPoint from = station_point(train.fromStation);
    StationPoint to = station_point(train.toStation);
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
std::string train_line(const TrainRecord& t)
{
    std::string line = t.trainNumber;
    line += ':';
    line += after_last_dot(t.trainType, false);
    line += ':';
    line += after_last_dot(t.railway, true);
    return line;
}

void draw_mark(GraphPort& port, int32_t x, int32_t y, int32_t x2, int32_t y2, int32_t colour)
{
    port.boxf(px(x - 2), px(y - 2), px(x + 2), px(y + 2), px(colour), -1);
    port.line(px(x), px(y), px(x2), px(y2), px(colour));
}

void draw_label(GraphPort& port, const char* number, int32_t x, int32_t y, int32_t colour)
{
    port.print(to_fullwidth(number).c_str(), x, y, colour, 0.8f, 0);
}

// Colour of the mark that says the trains are the timetable's, used for nothing else.
constexpr int32_t timetableMarkColour = 11;

// The total and the data's time; trains from the timetables get their time
// to the minute and the mark "時刻表" after it, within the same erased box.
void draw_count_box(GraphPort& port, const std::string& date, bool estimated)
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
        port.print("時刻表", x0 + 59, y0 + 20, timetableMarkColour, 0.73f, 0);
}

void draw_line_counts(const MonitorState& st, const int32_t (&counts)[railwayCount])
{
    for (int k = 0; k < railwayCount; ++k) {
        char text[16];  // a 32-bit count in decimal
        std::snprintf(text, sizeof text, "%d", counts[k]);
        int32_t colour = lineColour(st, k);
        st.port->boxf(75, px(legendRowTop(k)), 106, px(legendRowTop(k) + kLegendRowHeight), 0, -1);
        st.port->print(to_fullwidth(text).c_str(), 75, legendRowTop(k), colour, 1.0f, 0);
    }
}

// Colour, legend name and line count of one train; returns its colour.
int32_t mark_railway(MonitorState& st, const TrainRecord& t, int32_t (&counts)[railwayCount])
{
    const int32_t colour = trainColour(st, t);
    const int k = findRailway(t.railway.c_str());
    if (k < railwayCount) {
        st.port->print(railways[k].name, 1, legendRowTop(k), colour, 1.0f, 0);
        ++counts[k];
    }
    return colour;
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

void show_trains(MonitorState& st, Pass pass)
{
    int32_t counts[railwayCount] = {};
    GraphPort& port = *st.port;
    for (int i = 0; i < trainCount; ++i) {
        const TrainRecord& t = trainRecords[i];
        // A train without an entry (no usable number) could never be erased
        // again, so it is counted but not drawn.
        char departed[kTrainNumberCapacity];
        int entry = addKnownTrain(st, t.trainNumber.c_str(), &departed);
        // A label is erased by drawing its own text, which the reused entry
        // no longer holds; a mark is erased by the next move.
        if (departed[0] != '\0' && pass == Pass::Update && st.plot_mode != 3)
            draw_label(port, departed, st.knownTrains[entry].x, st.knownTrains[entry].y, 0);
        int32_t colour = mark_railway(st, t, counts);

        std::string line = train_line(t);
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
            KnownTrain& known = st.knownTrains[entry];
            bool inside = insideFrame(st, ScreenPoint{at.x, at.y});
            bool moved = at.x != known.x || at.y != known.y;
            if (pass == Pass::Update ? moved : inside) {
                if (inside) {
                    if (st.plot_mode == 3) {
                        draw_mark(port, known.x, known.y, known.x2, known.y2, 0);
                        draw_mark(port, at.x, at.y, at.x + at.tailX, at.y + at.tailY, colour);
                    } else {
                        if (pass == Pass::Update)
                            draw_label(port, known.number, known.x, known.y, 0);
                        draw_label(port, known.number, at.x, at.y, colour);
                    }
                }
                store(known, at);
            }
        }

        if (st.shownTrainTotal != trainCount || st.shownEstimated != st.trainsEstimated) {
            draw_count_box(port, t.date, st.trainsEstimated);
            st.shownTrainTotal = trainCount;
            st.shownEstimated = st.trainsEstimated;
        }
    }
    draw_line_counts(st, counts);
}

}  // namespace

void updateTrainDisplay(MonitorState& st)
{
    std::sort(trainRecords, trainRecords + trainCount,
              [](const TrainRecord& a, const TrainRecord& b) { return compareTrainNumber(a, b) < 0; });
    ++st.trainUpdates;
    show_trains(st, Pass::Update);
}

void redrawTrains(MonitorState& st)
{
    st.shownTrainTotal = 0;
    show_trains(st, Pass::Redraw);
}
