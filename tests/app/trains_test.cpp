// The train display on the headless bitmap: marks, labels, erasing, the count
// box, the per-line counts and the console train lines.
#include "app/fullwidth.h"
#include "app/monitor_state.h"
#include "app/projection.h"
#include "app/startup.h"
#include "app/trains.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"
#include "qwin/qwin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const char ginza[] = "odpt.Railway:TokyoMetro.Ginza";
const char marunouchi[] = "odpt.Railway:TokyoMetro.Marunouchi";
const char shibuya[] = "odpt.Station:TokyoMetro.Ginza.Shibuya";
const char omotesando[] = "odpt.Station:TokyoMetro.Ginza.OmoteSando";
const char yotsuya[] = "odpt.Station:TokyoMetro.Marunouchi.Yotsuya";
const char akasakamitsuke[] = "odpt.Station:TokyoMetro.Marunouchi.AkasakaMitsuke";

GraphPort& port()
{
    static GraphPort p;
    return p;
}

struct Station {
    float lat, lon;
};

Station station(const char* sameAs)
{
    int32_t lx = 0, ly = 0, dir = 0;
    Station s{0, 0};
    EXPECT_NE(findStation(sameAs, lx, ly, dir, s.lon, s.lat), kStationTableSize) << sameAs;
    return s;
}

bool is_colour(int x, int y, int colour)
{
    return qwin_pixel(x, y) == qwin_rgb(colour);
}

// Non-black pixels of a window area, row by row.
std::vector<bool> ink(int x0, int y0, int x1, int y1)
{
    std::vector<bool> v;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            v.push_back(qwin_pixel(x, y) != qwin_rgb(0));
    return v;
}

// Each test starts with a black window, an empty known-train list, all lines
// selected, no pan and ratio 1.0, and the console captured.
struct TrainsTest : ::testing::Test {
    std::unique_ptr<MonitorState> owned = std::make_unique<MonitorState>();
    MonitorState& st = *owned;
    std::string out;

    void SetUp() override
    {
        static bool sorted = false;
        if (!sorted) {
            sortStations();
            sorted = true;
        }
        port().gopen("RATIO");
        port().cls(0);
        MapBounds b = widenBounds(mapBounds);
        st.north = b.north;
        st.south = b.south;
        st.east = b.east;
        st.west = b.west;
        st.iflag = 511;
        st.port = &port();
        updateScales(st);
        trainCount = 0;
        console_capture(&out);
    }
    void TearDown() override { console_capture(nullptr); }

    void set_train(int i, const char* number, const char* railway, const char* from, const char* to,
                   const char* date = "2014-10-14T10:15:02+09:00")
    {
        TrainRecord& t = trainRecords[i];
        t = TrainRecord{};
        t.trainNumber = number;
        t.railway = railway;
        t.fromStation = from;
        t.toStation = to;
        t.trainType = "odpt.TrainType:TokyoMetro.Local";
        t.date = date;
    }

    ScreenPoint at(const char* sameAs)
    {
        Station s = station(sameAs);
        return project(st, s.lat, s.lon);
    }

    const KnownTrain& known(const char* number, const char* railway = ginza)
    {
        int i = findKnownTrain(st.known, railway, number);
        EXPECT_GE(i, 0) << number;
        return st.known.trains[i < 0 ? 0 : i];
    }

    // The 4 x 4 filled square of a mark around (x, y) is all in colour.
    void expect_mark(int x, int y, int colour)
    {
        for (int dy = -2; dy <= 1; ++dy)
            for (int dx = -2; dx <= 1; ++dx)
                EXPECT_TRUE(is_colour(x + dx, y + dy, colour)) << "at " << x + dx << "," << y + dy;
    }
};

// Distance of a placed train from the unshifted midpoint of its stations, and
// whether it lies on the left of the direction from -> to.
struct Offset {
    double distance;
    bool left;
};

Offset offset_from_midpoint(const MonitorState& st, const char* from, const char* to, ScreenPoint p)
{
    Station a = station(from), b = station(to);
    ScreenPoint pa = project(st, a.lat, a.lon), pb = project(st, b.lat, b.lon);
    double mx = (pa.x + pb.x) / 2.0, my = (pa.y + pb.y) / 2.0;
    double ox = p.x - mx, oy = p.y - my;
    double tx = pb.x - pa.x, ty = pb.y - pa.y;
    // y grows downward, so "left of travel" has a negative cross product.
    return Offset{std::hypot(ox, oy), tx * oy - ty * ox < 0};
}

}  // namespace

TEST_F(TrainsTest, StandingTrainThenRunningMovesToShiftedMidpointWithTailBack)
{
    set_train(0, "A1001S", ginza, shibuya, "null");
    trainCount = 1;
    updateTrainDisplay(st);
    ScreenPoint a = at(shibuya);
    expect_mark(a.x, a.y, 1);
    EXPECT_EQ(known("A1001S").x, a.x);
    EXPECT_EQ(known("A1001S").y, a.y);

    set_train(0, "A1001S", ginza, shibuya, omotesando);
    updateTrainDisplay(st);
    const KnownTrain& k = known("A1001S");
    ScreenPoint p{k.x, k.y};
    EXPECT_TRUE(insideFrame(st, p));
    expect_mark(p.x, p.y, 1);
    // Colour 1 shifts 1 / 2 + 4 = 4 pixels; truncation may take one off.
    Offset o = offset_from_midpoint(st, shibuya, omotesando, p);
    EXPECT_TRUE(o.left);
    EXPECT_GE(o.distance, 3.0);
    EXPECT_LE(o.distance, 5.5);

    // The tail is 10 pixels long, drawn in the train's colour, toward A.
    double tx = k.x2 - k.x, ty = k.y2 - k.y;
    EXPECT_NEAR(std::hypot(tx, ty), 10.0, 1.5);
    EXPECT_TRUE(is_colour(k.x2, k.y2, 1));
    // The direction is taken in degrees, not pixels, so on the screen it only
    // roughly points at A; in degrees (east, north up) it points exactly back.
    double ax = a.x - p.x, ay = a.y - p.y;
    EXPECT_GT((tx * ax + ty * ay) / (std::hypot(tx, ty) * std::hypot(ax, ay)), 0.7);
    Station sa = station(shibuya), sb = station(omotesando);
    double gx = double(sa.lon) - sb.lon, gy = -(double(sa.lat) - sb.lat);
    EXPECT_GT((tx * gx + ty * gy) / (std::hypot(tx, ty) * std::hypot(gx, gy)), 0.99);

    // The old mark at A is gone.
    for (int dy = -2; dy <= 1; ++dy) {
        for (int dx = -2; dx <= 1; ++dx) {
            if (std::abs(a.x + dx - p.x) > 3 || std::abs(a.y + dy - p.y) > 3) {
                EXPECT_TRUE(is_colour(a.x + dx, a.y + dy, 0));
            }
        }
    }
}

TEST_F(TrainsTest, UnmovedTrainIsNotDrawnAgainAndClearedOneStaysInvisible)
{
    set_train(0, "A1002S", ginza, shibuya, omotesando);
    trainCount = 1;
    updateTrainDisplay(st);
    const KnownTrain& k = known("A1002S");
    ScreenPoint p{k.x, k.y};
    expect_mark(p.x, p.y, 1);

    // Paint over the mark: an unchanged train must leave the paint alone.
    port().boxf(p.x - 2, p.y - 2, p.x + 2, p.y + 2, 5, -1);
    updateTrainDisplay(st);
    expect_mark(p.x, p.y, 5);

    // After the window was cleared it stays invisible until redrawn.
    port().cls(0);
    updateTrainDisplay(st);
    expect_mark(p.x, p.y, 0);
    redrawTrains(st);
    expect_mark(p.x, p.y, 1);
}

TEST_F(TrainsTest, ErasePaintsBlackOverTheMapAndNewTrainsEraseAtOrigin)
{
    ScreenPoint a = at(shibuya);
    // A grey map line through A, and paint at the window origin.
    port().line(a.x - 10, a.y, a.x + 10, a.y, 15);
    port().boxf(0, 0, 4, 4, 4, -1);

    set_train(0, "A1003S", ginza, shibuya, "null");
    trainCount = 1;
    updateTrainDisplay(st);
    // The first erase of a new train is at (0, 0): box x -2..1, y -2..1 and the point.
    EXPECT_TRUE(is_colour(0, 0, 0));
    EXPECT_TRUE(is_colour(1, 1, 0));
    EXPECT_TRUE(is_colour(2, 2, 4));
    EXPECT_TRUE(is_colour(3, 3, 4));

    set_train(0, "A1003S", ginza, omotesando, shibuya);
    updateTrainDisplay(st);
    ScreenPoint p{known("A1003S").x, known("A1003S").y};
    ASSERT_TRUE(std::abs(p.x - a.x) > 4 || std::abs(p.y - a.y) > 4);
    for (int dx = -2; dx <= 1; ++dx)
        EXPECT_TRUE(is_colour(a.x + dx, a.y, 0)) << "map line left under the old mark at " << a.x + dx;
    EXPECT_TRUE(is_colour(a.x - 3, a.y, 15));
    EXPECT_TRUE(is_colour(a.x + 2, a.y, 15));
    EXPECT_TRUE(is_colour(a.x + 10, a.y, 15));
}

TEST_F(TrainsTest, ColoursAndSidewaysShiftFollowTheLineSelection)
{
    st.iflag = 1;
    set_train(0, "A1004S", ginza, shibuya, omotesando);
    set_train(1, "B1004S", marunouchi, akasakamitsuke, yotsuya);
    set_train(2, "C1004S", "odpt.Railway:TokyoMetro.MarunouchiBranch", yotsuya, "null");
    trainCount = 3;
    EXPECT_EQ(trainColour(st, trainRecords[0]), 1);
    EXPECT_EQ(trainColour(st, trainRecords[1]), 15);
    EXPECT_EQ(trainColour(st, trainRecords[2]), 7);
    updateTrainDisplay(st);

    ScreenPoint g{known("A1004S").x, known("A1004S").y};
    ScreenPoint m{known("B1004S", marunouchi).x, known("B1004S", marunouchi).y};
    ScreenPoint u = at(yotsuya);
    expect_mark(g.x, g.y, 1);
    expect_mark(m.x, m.y, 15);
    expect_mark(u.x, u.y, 7);

    Offset og = offset_from_midpoint(st, shibuya, omotesando, g);
    Offset om = offset_from_midpoint(st, akasakamitsuke, yotsuya, m);
    EXPECT_TRUE(og.left);
    EXPECT_TRUE(om.left);
    EXPECT_NEAR(og.distance, 4.0, 1.5);
    EXPECT_NEAR(om.distance, 11.0, 1.5);

    // Legends are redrawn only for lines with trains; the branch train has none.
    EXPECT_NE(ink(1, 62, 70, 78), std::vector<bool>(70 * 17, false));
    EXPECT_NE(ink(1, 82, 70, 98), std::vector<bool>(70 * 17, false));
    for (int k = 2; k < railwayCount; ++k)
        EXPECT_EQ(ink(1, 20 * k + 62, 70, 20 * k + 78), std::vector<bool>(70 * 17, false)) << k;
}

TEST_F(TrainsTest, CountBoxShowsTotalAndTimeOfLowestTrainNumber)
{
    // 127 trains in scrambled order; only the lowest number carries 10:15:02.
    for (int i = 0; i < 127; ++i) {
        char number[16];
        int n = (i * 37) % 127;
        std::snprintf(number, sizeof number, "A%04dS", n);
        set_train(i, number, ginza, shibuya, "null",
                  n == 0 ? "2014-10-14T10:15:02+09:00" : "2014-10-14T11:22:33+09:00");
    }
    trainCount = 127;
    updateTrainDisplay(st);
    EXPECT_EQ(trainRecords[0].trainNumber, "A0000S");
    EXPECT_EQ(st.shownTrainTotal, 127);
    std::vector<bool> total = ink(63, 5, 110, 21);
    std::vector<bool> time = ink(3, 25, 99, 41);
    std::vector<bool> counts = ink(75, 62, 106, 81);

    // The same texts drawn directly on a black window.
    port().cls(0);
    port().print(to_fullwidth("127").c_str(), 63, 5, 2, 0.8f, 0);
    port().print(to_fullwidth("10:15:02").c_str(), 3, 25, 7, 0.73f, 0);
    port().print(to_fullwidth("127").c_str(), 75, 62, 1, 1.0f, 0);
    EXPECT_EQ(total, ink(63, 5, 110, 21));
    EXPECT_EQ(time, ink(3, 25, 99, 41));
    EXPECT_EQ(counts, ink(75, 62, 106, 81));

    // Same total, later data: the count box keeps its time.
    port().cls(0);
    port().print(to_fullwidth("10:15:02").c_str(), 3, 25, 7, 0.73f, 0);
    for (int i = 0; i < 127; ++i)
        trainRecords[i].date = "2014-10-14T12:00:00+09:00";
    updateTrainDisplay(st);
    EXPECT_EQ(time, ink(3, 25, 99, 41));
}

TEST_F(TrainsTest, ConsoleLinesForRunningStandingAndDelayedTrains)
{
    set_train(0, "A1005S", ginza, shibuya, omotesando);
    set_train(1, "B1005", "odpt.Railway:TokyoMetro.Hibiya", "odpt.Station:TokyoMetro.Hibiya.Ebisu", "null");
    trainRecords[1].trainType = "Express";
    trainRecords[1].delay = 120;
    trainCount = 2;
    updateTrainDisplay(st);
    EXPECT_EQ(out,
              "A1005S:Local:Ginza:Shibuya->OmoteSando         \r"
              "B1005::Hibiya         \r");

    out.clear();
    redrawTrains(st);
    EXPECT_EQ(out,
              "A1005S:Local:Ginza         \r"
              "B1005::Hibiya delay:120 sec\n");
}

TEST_F(TrainsTest, NumberModeDrawsAndErasesFullWidthLabels)
{
    st.plot_mode = 1;
    set_train(0, "A1006S", ginza, shibuya, "null");
    trainCount = 1;
    updateTrainDisplay(st);
    ScreenPoint a = at(shibuya);
    std::vector<bool> label = ink(a.x, a.y, a.x + 80, a.y + 13);

    port().cls(0);
    port().print(to_fullwidth("A1006S").c_str(), a.x, a.y, 1, 0.8f, 0);
    EXPECT_EQ(label, ink(a.x, a.y, a.x + 80, a.y + 13));
    EXPECT_NE(label, std::vector<bool>(label.size(), false));

    // Moving erases the old label in black and writes the new one.
    set_train(0, "A1006S", ginza, "null", omotesando);
    updateTrainDisplay(st);
    ScreenPoint b = at(omotesando);
    EXPECT_EQ(ink(a.x, a.y, a.x + 80, a.y + 13), std::vector<bool>(label.size(), false));
    EXPECT_NE(ink(b.x, b.y, b.x + 80, b.y + 13), std::vector<bool>(label.size(), false));
}

TEST_F(TrainsTest, TrainsWithoutUsableStationsKeepTheirPlace)
{
    set_train(0, "A1007S", ginza, shibuya, "null");
    trainCount = 1;
    updateTrainDisplay(st);
    ScreenPoint a = at(shibuya);

    const char* unusable[][2] = {
        {"", "null"},
        {"odpt.Station:Toei.Oedo.Roppongi", "null"},  // not in the table
        {"0123456789", "odpt.Station:X"},             // 10 characters, then unknown
    };
    for (auto& pair : unusable) {
        set_train(0, "A1007S", ginza, pair[0], pair[1]);
        EXPECT_FALSE(placeTrain(st, trainRecords[0], 1).placed) << pair[0];
        updateTrainDisplay(st);
        EXPECT_EQ(known("A1007S").x, a.x);
        EXPECT_EQ(known("A1007S").y, a.y);
        expect_mark(a.x, a.y, 1);
    }

    // One unknown station: the usable one places the train.
    set_train(0, "A1007S", ginza, "odpt.Station:Toei.Oedo.Roppongi", omotesando);
    TrainPlacement p = placeTrain(st, trainRecords[0], 1);
    ScreenPoint b = at(omotesando);
    EXPECT_TRUE(p.placed);
    EXPECT_EQ(p.x, b.x);
    EXPECT_EQ(p.y, b.y);

    // Two records of one place: no direction, so no shift and no tail.
    set_train(0, "A1007S", ginza, "odpt.Station:TokyoMetro.Ginza.Ginza",
              "odpt.Station:TokyoMetro.Marunouchi.Ginza");
    p = placeTrain(st, trainRecords[0], 1);
    ScreenPoint g = at("odpt.Station:TokyoMetro.Ginza.Ginza");
    EXPECT_TRUE(p.placed);
    EXPECT_EQ(p.x, g.x);
    EXPECT_EQ(p.y, g.y);
    EXPECT_EQ(p.tailX, 0);
    EXPECT_EQ(p.tailY, 0);
}

TEST_F(TrainsTest, FullKnownTrainListReusesTheEntryOfADepartedTrain)
{
    const char ginzaStation[] = "odpt.Station:TokyoMetro.Ginza.Ginza";
    // Two full updates fill the list: Z0000 stands at Yotsuya, the other Z0
    // trains at Shibuya, then the Z1 trains at Omote-sando.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kTrainRecordCapacity; ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "Z%d%03d", round, i);
            const char* where = round == 1 ? omotesando : i == 0 ? yotsuya : shibuya;
            set_train(i, number, ginza, where, "null");
        }
        trainCount = kTrainRecordCapacity;
        updateTrainDisplay(st);
    }
    ASSERT_EQ(st.known.count, kKnownTrainCapacity);
    ScreenPoint y = at(yotsuya), g = at(ginzaStation), o = at(omotesando);
    // Z0000 left in the second update, and its mark with it.
    expect_mark(y.x, y.y, 0);

    // A new number takes the entry gone longest, Z0000's.
    set_train(0, "N1", ginza, ginzaStation, "null");
    set_train(1, "Z1000", ginza, omotesando, "null");
    trainCount = 2;
    updateTrainDisplay(st);
    EXPECT_EQ(findKnownTrain(st.known, ginza, "N1"), 0);
    EXPECT_EQ(findKnownTrain(st.known, ginza, "Z0000"), -1);
    EXPECT_EQ(st.known.count, kKnownTrainCapacity);
    expect_mark(y.x, y.y, 0);
    expect_mark(g.x, g.y, 1);
    expect_mark(o.x, o.y, 1);

    // A full update of new numbers never takes an entry listed in it: Z1000
    // and N1 keep theirs, and every train gets one.
    for (int i = 0; i < kTrainRecordCapacity; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "Z2%03d", i);
        set_train(i, number, ginza, shibuya, "null");
    }
    set_train(kTrainRecordCapacity - 2, "N1", ginza, ginzaStation, "null");
    set_train(kTrainRecordCapacity - 1, "Z1000", ginza, omotesando, "null");
    trainCount = kTrainRecordCapacity;
    updateTrainDisplay(st);
    EXPECT_EQ(findKnownTrain(st.known, ginza, "N1"), 0);
    EXPECT_GE(findKnownTrain(st.known, ginza, "Z1000"), 0);
    for (int i = 0; i < kTrainRecordCapacity; ++i)
        EXPECT_GE(findKnownTrain(st.known, ginza, trainRecords[i].trainNumber.c_str()), 0) << i;
    EXPECT_EQ(st.known.count, kKnownTrainCapacity);
}

TEST_F(TrainsTest, ReusedEntryErasesTheDepartedLabelInNumberMode)
{
    st.plot_mode = 1;
    for (int i = 0; i < kKnownTrainCapacity; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "Q%03d", i);
        addKnownTrain(st.known, ginza, number);
    }
    ScreenPoint a = at(shibuya);
    st.known.trains[0].x = a.x;
    st.known.trains[0].y = a.y;
    port().print(to_fullwidth("Q000").c_str(), a.x, a.y, 1, 0.8f, 0);
    std::vector<bool> blank(81 * 14, false);
    ASSERT_NE(ink(a.x, a.y, a.x + 80, a.y + 13), blank);

    set_train(0, "W7", ginza, "null", omotesando);
    trainCount = 1;
    updateTrainDisplay(st);
    EXPECT_EQ(findKnownTrain(st.known, ginza, "W7"), 0);
    EXPECT_EQ(ink(a.x, a.y, a.x + 80, a.y + 13), blank);
}
