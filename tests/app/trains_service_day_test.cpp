// A whole service day of refreshes on the headless window, trains estimated
// from the simulated feed's timetables, whose numbers repeat across lines as
// the published ones do: after every refresh each running train's mark is on
// the map and no mark is left where no train is.
#include "app/timetables.h"
#include "app/projection.h"
#include "app/trains.h"
#include "opendata/calendar.h"
#include "opendata/parse.h"
#include "sim/feed/responses_v4.h"
#include "sim/feed/v4_object.h"
#include "tests/app/monitor_fixture.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace {

// A mark as the records say it must be drawn: its square around (x, y), its
// tail to (x2, y2).
struct Mark {
    int x, y, x2, y2;
    int colour;
    bool operator<(const Mark& o) const { return std::tie(x, y, colour) < std::tie(o.x, o.y, o.colour); }
};

// The square of a mark: x - 2 .. x + 1, y - 2 .. y + 1, and the tail's end.
template <typename F>
void forMarkPixels(const Mark& m, F f)
{
    for (int dy = -2; dy <= 1; ++dy)
        for (int dx = -2; dx <= 1; ++dx)
            f(m.x + dx, m.y + dy);
    f(m.x2, m.y2);
}

class TrainsServiceDay : public MonitorFixture {
protected:
    void SetUp() override
    {
        MonitorFixture::SetUp();
        for (int c = 0; c < 16; ++c)
            palette[c] = qwin_rgb(c);
        covered.assign(static_cast<std::size_t>(qwin_width * qwin_height), 0);
    }

    // The feed's timetables of every railway for the service day of `date`.
    void loadDay(const char* date)
    {
        std::int64_t t = 0;
        ASSERT_TRUE(parseJapanTime((std::string(date) + "T12:00").c_str(), 0, &t));
        const JapanDate day = serviceTimeOf(t).date;
        const bool holiday = calendarOf(day) == ServiceCalendar::SaturdayHoliday;
        timetables = std::make_unique<TimetableDay>();
        timetables->day = isoDate(day);
        for (int r = 0; r < kSimRouteCount; ++r) {
            const std::string answer = v4Array(timetableObjectsV4(net, scheduledTrips(net, r), holiday));
            int k = 0;
            while (k < kTimetableRailwayCount && net.routes[r].railwayId != timetableRailway(k))
                ++k;
            ASSERT_LT(k, kTimetableRailwayCount) << net.routes[r].railwayId;
            ASSERT_TRUE(loadTimetableV4(timetables->tables[k], answer).ok);
            timetables->loaded[k] = true;
        }
    }

    // The marks the held records ask for, inside the map frame.
    std::set<Mark> expectedMarks()
    {
        std::set<Mark> marks;
        for (int i = 0; i < trainCount; ++i) {
            const int colour = trainColour(*st, trainRecords[i]);
            const TrainPlacement at = placeTrain(*st, trainRecords[i], colour);
            if (at.placed && insideFrame(*st, ScreenPoint{at.x, at.y}))
                marks.insert(Mark{at.x, at.y, at.x + at.tailX, at.y + at.tailY, colour});
        }
        return marks;
    }

    // Colours each pixel may show: those of every mark whose square or tail's
    // bounding box holds it (a later mark or tail may be drawn over another).
    void cover(const std::set<Mark>& marks, bool set)
    {
        for (const Mark& m : marks)
            for (int y = std::min(m.y - 2, m.y2); y <= std::max(m.y + 1, m.y2); ++y)
                for (int x = std::min(m.x - 2, m.x2); x <= std::max(m.x + 1, m.x2); ++x)
                    if (x >= 0 && y >= 0 && x < qwin_width && y < qwin_height) {
                        auto& bits = covered[static_cast<std::size_t>(y * qwin_width + x)];
                        bits = set ? bits | (1u << m.colour) : 0;
                    }
    }

    int colourAt(int x, int y) const
    {
        const uint32_t rgb = qwin_pixel(x, y);
        for (int c = 0; c < 16; ++c)
            if (palette[c] == rgb)
                return c;
        return -1;
    }

    bool mayShow(int x, int y, int colour) const
    {
        return colour >= 0 && (covered[static_cast<std::size_t>(y * qwin_width + x)] >> colour & 1u) != 0;
    }

    // Numbers the held records give to trains of more than one line.
    int sharedNumbers() const
    {
        std::map<std::string, std::set<std::string>> lines;  // number -> railways
        for (int i = 0; i < trainCount; ++i)
            lines[trainRecords[i].trainNumber].insert(trainRecords[i].railway);
        return static_cast<int>(
            std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.second.size() > 1; }));
    }

    // Runs the refreshes of one service day from 03:00, 90 s apart, and
    // returns how many failed either check (reporting the first few); *shared
    // is the count of numbers on two lines at once at 08:00.
    int runDay(const char* date, int* shared)
    {
        std::int64_t start = 0;
        EXPECT_TRUE(parseJapanTime((std::string(date) + "T03:00").c_str(), 0, &start));
        std::set<Mark> before;
        int failed = 0;
        for (std::int64_t now = start; now < start + 24 * 3600; now += 90) {
            estimateTrains(*timetables, now);
            if (now - start == 5 * 3600)
                *shared = sharedNumbers();
            updateTrainDisplay(*st);
            out.clear();

            const std::set<Mark> marks = expectedMarks();
            cover(marks, true);
            std::string fault;
            for (const Mark& m : marks)
                forMarkPixels(m, [&](int x, int y) {
                    if (fault.empty() && !mayShow(x, y, colourAt(x, y)))
                        fault = "a running train's mark is missing at " + std::to_string(x) + "," +
                                std::to_string(y);
                });
            for (const Mark& m : before)
                if (marks.count(m) == 0)
                    forMarkPixels(m, [&](int x, int y) {
                        if (fault.empty() && colourAt(x, y) == m.colour && !mayShow(x, y, m.colour))
                            fault = "a mark is left where no train is at " + std::to_string(x) + "," +
                                    std::to_string(y);
                    });
            cover(marks, false);
            if (!fault.empty() && ++failed <= 3)
                ADD_FAILURE() << japanIso(now) << ": " << fault;
            before = marks;
        }
        return failed;
    }

    const SimNetwork net = buildSimNetwork();
    std::unique_ptr<TimetableDay> timetables;
    uint32_t palette[16] = {};      // 0xRRGGBB of each palette colour
    std::vector<uint16_t> covered;  // per pixel, a bit per colour it may show
};

TEST_F(TrainsServiceDay, EveryRunningTrainIsOnTheMapAndNoMarkIsLeftBehind)
{
    start();
    // A Tuesday on the weekday timetable, a Sunday on the holiday one.
    for (const char* date : {"2026-12-08", "2026-12-13"}) {
        loadDay(date);
        int shared = 0;
        EXPECT_EQ(runDay(date, &shared), 0) << date;
        EXPECT_GT(shared, 20) << date << ": numbers running on two lines at once at 08:00";
    }
}

}  // namespace
