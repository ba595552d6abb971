// The day's timetables: downloaded once, all asked for in one go, kept in the cache
// folder so a restart downloads nothing, a damaged file or a failed railway
// fetched again at the next refresh; and a refresh that falls back on them
// only when no live train comes, saying so on the console and in the count box.

#include "app/timetables.h"

#include "app/cycle.h"
#include "opendata/calendar.h"
#include "opendata/parse.h"
#include "tests/app/monitor_fixture.h"
#include "tests/platform/local_server.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace {

constexpr char key[] = "5e6d0c1b7a2f4e9d8c3b6a5f4e1d0c9b";

std::int64_t at(const char* clock)
{
    std::int64_t t = 0;
    EXPECT_TRUE(parseJapanTime(clock, 0, &t)) << clock;
    return t;
}

// One train per railway, 08:00 to 08:10 between its first two stations.
std::string answerFor(const std::string& railway)
{
    const std::string line = railway.substr(railway.rfind('.') + 1);
    const std::string station = "odpt.Station:TokyoMetro." + line + ".";
    return R"([{"@type":"odpt:TrainTimetable","odpt:railway":")" + railway +
           R"(","odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:trainNumber":"A08)" +
           line.substr(0, 2) + R"(","odpt:originStation":[")" + station +
           R"(A"],"odpt:destinationStation":[")" + station +
           R"(B"],"odpt:trainTimetableObject":[{"odpt:departureTime":"08:00","odpt:departureStation":")" +
           station + R"(A"},{"odpt:arrivalTime":"08:10","odpt:arrivalStation":")" + station + R"(B"}]}])";
}

class Timetables : public MonitorFixture {
protected:
    void SetUp() override
    {
        MonitorFixture::SetUp();
        source.root = "http://127.0.0.1:1";
        source.cacheDir = dir + "/cache/linewatch";
        source.download = [this](const std::vector<std::string>& railways, const std::string& calendar,
                                 const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon) {
            batches.push_back(railways.size());
            for (std::size_t i = 0; i < railways.size(); ++i) {
                if (shouldAbandon && shouldAbandon())
                    return false;
                requests.push_back(railways[i] + " " + calendar);
                const std::string body = answerFor(railways[i]);
                arrived(i, failing.count(railways[i]) ? nullptr : &body);
            }
            return true;
        };
    }

    // The cycle at a Tuesday's 08:05:30, without pauses, estimating from source.
    CycleEnv rushHourCycle()
    {
        CycleEnv env;
        env.now = [] { return static_cast<std::time_t>(at("2026-12-08T08:05:30")); };
        env.sleepMs = [](int) {};
        env.timetables = &source;
        return env;
    }

    std::set<std::string> cacheFiles() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(source.cacheDir))
            names.insert(e.path().filename().string());
        return names;
    }

    TimetableSource source;
    std::vector<std::string> requests;
    std::vector<std::size_t> batches;  // railways asked for by each download call
    std::set<std::string> failing;
};

TEST_F(Timetables, DownloadedOnceADayAllAtOnceAndKeptForARestart)
{
    TimetableDay day;
    EXPECT_TRUE(updateTimetables(day, at("2026-12-08T08:05"), source));
    ASSERT_EQ(requests.size(), 10u);
    EXPECT_EQ(batches, std::vector<std::size_t>{10}) << "all ten asked for at once";
    EXPECT_EQ(requests.front(), "odpt.Railway:TokyoMetro.Ginza odpt.Calendar:Weekday");
    EXPECT_EQ(requests.back(), "odpt.Railway:TokyoMetro.MarunouchiBranch odpt.Calendar:Weekday");
    EXPECT_NE(out.find("時刻表を取得中 9/10 路線"), std::string::npos);
    EXPECT_NE(out.find("時刻表: 2026-12-08 平日 の 10/10 路線 (10 本)\n"), std::string::npos) << out;
    const std::set<std::string> files = cacheFiles();
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(*files.begin(), "2026-12-08.Weekday.Chiyoda.timetable");

    // later refreshes and a restart the same day ask for nothing
    updateTimetables(day, at("2026-12-08T09:00"), source);
    TimetableDay restarted;
    updateTimetables(restarted, at("2026-12-09T02:59"), source);
    EXPECT_EQ(requests.size(), 10u);
    EXPECT_EQ(estimateTrains(restarted, at("2026-12-08T08:05")), 10);
    EXPECT_EQ(trainRecords[0].toStation.substr(trainRecords[0].toStation.size() - 2), ".B");
    EXPECT_EQ(estimateTrains(restarted, at("2026-12-09T08:05")), 0) << "another service day";

    // nothing of the key, nor in the files' contents
    for (const auto& e : std::filesystem::directory_iterator(source.cacheDir)) {
        std::ifstream in(e.path());
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("consumerKey"), std::string::npos);
        EXPECT_EQ(text.find(key), std::string::npos);
    }

    // a Saturday: the other calendar, and the old day's files go
    updateTimetables(day, at("2026-12-12T10:00"), source);
    EXPECT_EQ(requests.back(), "odpt.Railway:TokyoMetro.MarunouchiBranch odpt.Calendar:SaturdayHoliday");
    EXPECT_EQ(cacheFiles().size(), 10u);
    EXPECT_EQ(cacheFiles().begin()->substr(0, 21), "2026-12-12.SaturdayHo");
}

TEST_F(Timetables, DamagedFilesAndFailedRailwaysAreFetchedAgain)
{
    TimetableDay day;
    failing = {"odpt.Railway:TokyoMetro.Tozai"};
    updateTimetables(day, at("2026-12-08T08:05"), source);
    EXPECT_EQ(requests.size(), 10u);
    EXPECT_NE(out.find("の 9/10 路線 (9 本)、残りは次回の更新で取得します\n"), std::string::npos) << out;
    EXPECT_EQ(estimateTrains(day, at("2026-12-08T08:05")), 9) << "the other railways are kept";

    failing.clear();
    updateTimetables(day, at("2026-12-08T08:06:30"), source);
    ASSERT_EQ(requests.size(), 11u);
    EXPECT_EQ(requests.back(), "odpt.Railway:TokyoMetro.Tozai odpt.Calendar:Weekday");
    EXPECT_EQ(estimateTrains(day, at("2026-12-08T08:06:30")), 10);

    // a file cut short, one that is a folder: fetched again on the next start
    std::filesystem::resize_file(source.cacheDir + "/2026-12-08.Weekday.Ginza.timetable", 100);
    std::filesystem::remove(source.cacheDir + "/2026-12-08.Weekday.Hibiya.timetable");
    std::filesystem::create_directory(source.cacheDir + "/2026-12-08.Weekday.Hibiya.timetable");
    TimetableDay restarted;
    updateTimetables(restarted, at("2026-12-08T12:00"), source);
    ASSERT_EQ(requests.size(), 13u);
    EXPECT_EQ(requests[11], "odpt.Railway:TokyoMetro.Ginza odpt.Calendar:Weekday");
    EXPECT_EQ(requests[12], "odpt.Railway:TokyoMetro.Hibiya odpt.Calendar:Weekday");
    EXPECT_NE(out.find("を保存できません"), std::string::npos) << "the folder in the way is reported";
    EXPECT_EQ(estimateTrains(restarted, at("2026-12-08T08:05")), 10);
}

TEST_F(Timetables, AnAbandonedLoadKeepsWhatArrivedAndAsksForTheRestNextTime)
{
    source.cacheDir.clear();  // no cache folder: every start downloads
    TimetableDay day;
    int asked = 0;
    TimetableWatch watch;
    watch.shouldAbandon = [&asked] { return ++asked > 3; };
    int added = 0;
    watch.tablesAdded = [&added] { ++added; };
    EXPECT_FALSE(updateTimetables(day, at("2026-12-08T08:05"), source, watch));
    EXPECT_EQ(requests.size(), 3u);
    EXPECT_EQ(added, 3) << "told after each railway";
    EXPECT_EQ(out.find("時刻表: 2026-12-08"), std::string::npos) << "no summary of an abandoned load";
    EXPECT_EQ(estimateTrains(day, at("2026-12-08T08:05")), 3);
    EXPECT_TRUE(updateTimetables(day, at("2026-12-08T08:06:30"), source));
    EXPECT_EQ(batches, (std::vector<std::size_t>{10, 7}));
    EXPECT_EQ(requests.size(), 10u);
    EXPECT_EQ(estimateTrains(day, at("2026-12-08T08:07")), 10);
}

TEST_F(Timetables, TripsBeyondTheBoundsAreLeftOutAndToldInOneLine)
{
    const std::string huge(1 << 20, 'S');
    TimetableDay day;
    // each answer with a train at a station of a megabyte's name
    source.download = [&, download = source.download](
                          const std::vector<std::string>& railways, const std::string& calendar,
                          const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon) {
        return download(
            railways, calendar,
            [&](std::size_t i, const std::string* body) {
                std::string hostile = body->substr(0, body->size() - 1) + R"(,{"odpt:trainNumber":"B0801",)" +
                                      R"("odpt:trainTimetableObject":[{"odpt:departureTime":"08:00",)" +
                                      R"("odpt:departureStation":")" + huge + R"("},)" +
                                      R"({"odpt:arrivalTime":"08:10","odpt:arrivalStation":")" + huge +
                                      R"(B"}]}])";
                arrived(i, &hostile);
            },
            shouldAbandon);
    };
    updateTimetables(day, at("2026-12-08T08:06"), source);
    EXPECT_EQ(estimateTrains(day, at("2026-12-08T08:06")), 10) << "the rest of each answer is kept";
    std::size_t lines = 0;
    for (std::size_t at = out.find("のうち 1 本は大きさの上限"); at != std::string::npos;
         at = out.find("のうち 1 本は大きさの上限", at + 1))
        ++lines;
    EXPECT_EQ(lines, 10u) << "one line an answer: " << out.substr(0, 2000);
    EXPECT_LT(out.size(), 10000u) << "no name of the answer reaches the console";
}

TEST_F(Timetables, EachRailwaysTrainsShowAsSoonAsItsTimetableIsIn)
{
    start();
    CycleEnv env = rushHourCycle();
    const auto download = source.download;
    std::vector<int> shown;  // trains in the count box as each answer is handed over
    std::vector<bool> ginzaListed;
    std::vector<bool> progressLast;
    source.download = [&](const std::vector<std::string>& railways, const std::string& calendar,
                          const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon) {
        return download(
            railways, calendar,
            [&](std::size_t i, const std::string* body) {
                arrived(i, body);
                shown.push_back(st->shownTrainTotal);
                ginzaListed.push_back(out.find("A08Gi:Local:Ginza:A->B") != std::string::npos);
                // the progress line comes back after the trains' lines
                char progress[64];
                std::snprintf(progress, sizeof progress, "時刻表を取得中 %zu/10 路線", shown.size());
                const std::size_t at = out.rfind(progress);
                progressLast.push_back(at != std::string::npos && at > out.rfind(":A->B"));
            },
            shouldAbandon);
    };
    refreshOnce(*st, env);
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ginzaListed, std::vector<bool>(10, true)) << out;
    EXPECT_EQ(progressLast, std::vector<bool>(10, true)) << out;
    EXPECT_TRUE(st->trainsEstimated);
}

TEST_F(Timetables, ARefreshUsesThemOnlyWithoutLiveTrains)
{
    start();
    CycleEnv env = rushHourCycle();
    refreshOnce(*st, env);  // the live answer fails: the port refuses
    EXPECT_TRUE(st->trainsEstimated);
    EXPECT_EQ(trainCount, 10);
    EXPECT_NE(out.find("列車位置: 時刻表からの推定です"), std::string::npos);
    EXPECT_NE(out.find("A08Gi:Local:Ginza:A->B"), std::string::npos) << out;
    EXPECT_EQ(trainRecords[0].date, "2026-12-08T08:05:30+09:00");
    // the mark sits after the time to the minute, in its own colour
    int marked = 0;
    for (int y = 25; y < 40; ++y)
        for (int x = 62; x < 99; ++x)
            marked += qwin_pixel(x, y) == qwin_rgb(11);
    EXPECT_GT(marked, 20);

    // without timetables (version 2) nothing stands in
    out.clear();
    env.timetables = nullptr;
    refreshOnce(*st, env);
    EXPECT_FALSE(st->trainsEstimated);
    EXPECT_EQ(trainCount, 0);
    EXPECT_EQ(out.find("時刻表"), std::string::npos);
}

TEST_F(Timetables, LiveTrainsWin)
{
    LocalServer live(LocalServer::Kind::Plain);
    live.http().Get("/api/v2/datapoints", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_param_value("rdf:type") == "odpt:Train")
            res.set_content(
                R"([{"@context":"c","@type":"odpt:Train","dc:date":"2026-12-08T08:05:02+09:00",)"
                R"("odpt:railway":"odpt.Railway:TokyoMetro.Ginza","odpt:trainNumber":"A0801",)"
                R"("odpt:fromStation":"odpt.Station:TokyoMetro.Ginza.Ueno","odpt:toStation":null}])",
                "application/json");
        else
            res.set_content("[]", "application/json");
    });
    ASSERT_TRUE(live.start());
    config.api.root = live.root();
    applyConfig(config);
    start();
    CycleEnv env = rushHourCycle();
    refreshOnce(*st, env);
    EXPECT_EQ(trainCount, 1);
    EXPECT_FALSE(st->trainsEstimated);
    EXPECT_TRUE(requests.empty()) << "no timetable is fetched while live trains come";
    EXPECT_EQ(out.find("時刻表"), std::string::npos);
}

}  // namespace
