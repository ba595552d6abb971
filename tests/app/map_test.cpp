#include "app/map.h"
#include "app/projection.h"
#include "monitor_fixture.h"
#include "network/stations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace {

struct Segment {
    ScreenPoint a, b;
};

bool is(int x, int y, int colour)
{
    return qwin_pixel(x, y) == qwin_rgb(colour);
}

bool lit(int x, int y)
{
    return qwin_pixel(x, y) != 0;
}

// All 24 pixels of the 7 x 7 outline centred on (x, y) are lit.
bool ringLit(int x, int y)
{
    for (int d = -3; d <= 3; ++d)
        if (!lit(x + d, y - 3) || !lit(x + d, y + 3) || !lit(x - 3, y + d) || !lit(x + 3, y + d))
            return false;
    return true;
}

double distanceToSegment(double px, double py, ScreenPoint a, ScreenPoint b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((px - a.x) * dx + (py - a.y) * dy) / len2;
    t = std::fmax(0, std::fmin(1, t));
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

// Colour `colour` within one pixel of (x, y).
bool colourNear(double x, double y, int colour)
{
    int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (is(cx + dx, cy + dy, colour))
                return true;
    return false;
}

ScreenPoint stationPoint(const MonitorState& st, int k, int s)
{
    const StationEntry& e = stations[findStationTitle(lineStations[k][s])];
    return project(st, e.latitude, e.longitude);
}

// The joints of railway k's polyline; 丸ノ内線's branch hangs off position 19.
std::vector<std::pair<int, int>> joints(int k)
{
    std::vector<std::pair<int, int>> j;
    for (int s = 1; s < railways[k].stationCount; ++s)
        j.push_back({(k == 1 && s == 25) ? 19 : s - 1, s});
    return j;
}

}  // namespace

class Map : public MonitorFixture {
protected:
    // Railway k's segments as they should appear: each cut to the frame where
    // one end lies outside (true crossing, real arithmetic), none when both do.
    std::vector<Segment> expectedSegments(int k)
    {
        std::vector<Segment> segs;
        for (auto [from, to] : joints(k)) {
            ScreenPoint a = stationPoint(*st, k, from), b = stationPoint(*st, k, to);
            bool ain = insideFrame(*st, a), bin = insideFrame(*st, b);
            if (!ain && !bin)
                continue;
            if (!ain)
                std::swap(a, b);
            if (!(ain && bin))
                b = crossing(a, b);
            segs.push_back({a, b});
        }
        return segs;
    }

    // Where the segment from inside point a toward outside point b leaves the frame.
    ScreenPoint crossing(ScreenPoint a, ScreenPoint b)
    {
        double t = 1;
        auto limit = [&](double from, double to, double edge) {
            if ((to - from) != 0) {
                double u = (edge - from) / (to - from);
                if (u >= 0 && u < t)
                    t = u;
            }
        };
        limit(a.x, b.x, st->left);
        limit(a.x, b.x, st->right);
        limit(a.y, b.y, st->top);
        limit(a.y, b.y, st->bottom);
        return {static_cast<int32_t>(std::lround(a.x + t * (b.x - a.x))),
                static_cast<int32_t>(std::lround(a.y + t * (b.y - a.y)))};
    }

    // Every pixel of `colour` right of the legend lies on a mark or within
    // 1.5 pixels of an expected segment, and every expected segment is drawn
    // along its whole length.
    void expectRailwayDrawnExactly(int k, int colour)
    {
        std::vector<Segment> segs = expectedSegments(k);
        std::vector<ScreenPoint> marks;
        for (int s = 0; s < railways[k].stationCount; ++s)
            if (insideFrame(*st, stationPoint(*st, k, s)))
                marks.push_back(stationPoint(*st, k, s));
        int stray = 0;
        for (int y = 0; y < qwin_height; ++y)
            for (int x = 100; x < qwin_width; ++x) {
                if (!is(x, y, colour))
                    continue;
                bool ok = false;
                for (const ScreenPoint& m : marks)
                    ok = ok || (std::abs(x - m.x) <= 3 && std::abs(y - m.y) <= 3);
                for (const Segment& g : segs)
                    ok = ok || distanceToSegment(x, y, g.a, g.b) <= 1.5;
                if (!ok && ++stray <= 5)
                    ADD_FAILURE() << "railway " << k << ": stray pixel at " << x << "," << y;
            }
        for (const Segment& g : segs) {
            int n = std::max(std::abs(g.b.x - g.a.x), std::abs(g.b.y - g.a.y));
            for (int i = 0; i <= n; ++i) {
                double t = n == 0 ? 0 : static_cast<double>(i) / n;
                double x = g.a.x + t * (g.b.x - g.a.x), y = g.a.y + t * (g.b.y - g.a.y);
                if (!colourNear(x, y, colour)) {
                    ADD_FAILURE() << "railway " << k << ": gap at " << x << "," << y << " on " << g.a.x << ","
                                  << g.a.y << " - " << g.b.x << "," << g.b.y;
                    break;
                }
            }
        }
    }
};

TEST_F(Map, StartUpDrawsEveryListedStationInsideTheFrame)
{
    start();
    std::set<std::pair<int, int>> places;
    int listed = 0;
    for (int k = 0; k < railwayCount; ++k)
        for (int s = 0; s < railways[k].stationCount; ++s) {
            ScreenPoint p = stationPoint(*st, k, s);
            ++listed;
            EXPECT_TRUE(insideFrame(*st, p)) << k << "/" << s;
            EXPECT_TRUE(ringLit(p.x, p.y)) << k << "/" << s;
            places.insert({p.x, p.y});
        }
    EXPECT_EQ(listed, 184);
    // Every complete 7 x 7 outline in the frame belongs to a listed station.
    int rings = 0;
    for (int y = st->top + 4; y < st->bottom - 3; ++y)
        for (int x = st->left + 4; x < st->right - 3; ++x)
            if (ringLit(x, y)) {
                ++rings;
                EXPECT_TRUE(places.count({x, y})) << "outline at " << x << "," << y;
            }
    EXPECT_GE(rings, static_cast<int>(places.size()));
    // The frame itself, grey, with the map inside it.
    EXPECT_TRUE(is(109, 200, 15) && is(621, 200, 15) && is(300, 25, 15) && is(300, 375, 15));
}

TEST_F(Map, BranchLeavesTheMainLineAtNakanoSakaue)
{
    start();
    port->cls(0);
    drawRailway(*st, 1);
    expectRailwayDrawnExactly(1, 2);
    // Nothing joins 荻窪 (position 24) to 中野新橋 (position 25): along that
    // path, wherever it runs clear of the true lines and marks, no pixel is drawn.
    ScreenPoint a = stationPoint(*st, 1, 24), b = stationPoint(*st, 1, 25);
    std::vector<Segment> segs = expectedSegments(1);
    int clear = 0;
    for (double t = 0.05; t <= 0.95; t += 0.01) {
        double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
        bool nearLine = false;
        for (const Segment& g : segs)
            nearLine = nearLine || distanceToSegment(x, y, g.a, g.b) < 3.5;
        for (int s = 0; s < railways[1].stationCount; ++s) {
            ScreenPoint m = stationPoint(*st, 1, s);
            nearLine = nearLine || (std::abs(x - m.x) < 5 && std::abs(y - m.y) < 5);
        }
        if (nearLine)
            continue;
        ++clear;
        EXPECT_FALSE(colourNear(x, y, 2)) << x << "," << y;
    }
    EXPECT_GT(clear, 10);
}

TEST_F(Map, ZoomedInLinesEndAtTheFrameEdge)
{
    start({"0", "1", "2", "3", "4", "5", "6", "7", "8"});
    st->ratio = 2.0f;
    st->ixf = 153;
    st->iyf = -105;
    updateScales(*st);
    int cut = 0;
    for (int k = 0; k < railwayCount; ++k) {
        port->cls(0);
        drawRailway(*st, k);
        expectRailwayDrawnExactly(k, k + 1);
        for (auto [from, to] : joints(k)) {
            ScreenPoint a = stationPoint(*st, k, from), b = stationPoint(*st, k, to);
            if (insideFrame(*st, a) != insideFrame(*st, b)) {
                ++cut;
                ScreenPoint c = insideFrame(*st, a) ? crossing(a, b) : crossing(b, a);
                EXPECT_TRUE(colourNear(c.x, c.y, k + 1)) << "railway " << k << " at " << c.x << "," << c.y;
            }
        }
        // Nothing of the line lies beyond the frame (the legend is left of x 100).
        for (int y = 0; y < qwin_height; ++y)
            for (int x = 100; x < qwin_width; ++x)
                if (x < st->left || x > st->right || y < st->top || y > st->bottom) {
                    ASSERT_FALSE(is(x, y, k + 1)) << "railway " << k << " at " << x << "," << y;
                }
    }
    EXPECT_GT(cut, 5);
}

TEST_F(Map, OnlySelectedLinesAreColouredAndNamed)
{
    writeFile(settingsPath, "ixf:0\niyf:0\nratio:1.000000\niflag:511\nsound_flag:1\nkstr_flag:1\n");
    start({"0"});
    ASSERT_EQ(st->iflag, 1);
    ASSERT_EQ(kstr_flag, 1);

    int greyWithNames = 0, ginzaWithNames = 0;
    for (int y = 0; y < qwin_height; ++y)
        for (int x = 0; x < qwin_width; ++x) {
            for (int c = 2; c <= 9; ++c)
                ASSERT_FALSE(is(x, y, c)) << x << "," << y;
            greyWithNames += is(x, y, 15);
            ginzaWithNames += x >= 100 && is(x, y, 1);
        }
    // Legend: 銀座線 in colour 1, every other name grey.
    for (int k = 0; k < railwayCount; ++k) {
        int coloured = 0, grey = 0;
        for (int y = 62 + 20 * k; y < 78 + 20 * k; ++y)
            for (int x = 0; x < 100; ++x) {
                coloured += is(x, y, 1);
                grey += is(x, y, 15);
            }
        EXPECT_EQ(coloured > 0, k == 0) << k;
        EXPECT_EQ(grey > 0, k != 0) << k;
    }

    kstr_flag = 0;
    port->cls(0);
    port->box(109, 25, 621, 375, 15);
    drawMap(*st);
    int greyPlain = 0, ginzaPlain = 0;
    for (int y = 0; y < qwin_height; ++y)
        for (int x = 0; x < qwin_width; ++x) {
            greyPlain += is(x, y, 15);
            ginzaPlain += x >= 100 && is(x, y, 1);
        }
    // Names are written for 銀座線 only: no grey line gains a pixel from them.
    EXPECT_EQ(greyWithNames, greyPlain);
    EXPECT_GT(ginzaWithNames, ginzaPlain + 19 * 20);
}
