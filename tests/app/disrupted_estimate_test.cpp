// Refreshes of a version-4 monitor whose notices tell of a suspended section,
// a whole line standing still and a delay: which estimated trains show, where,
// how they are marked, what the console says once; live trains untouched.
#include "app/cycle.h"
#include "opendata/calendar.h"
#include "opendata/parse.h"
#include "platform/charset.h"
#include "tests/app/monitor_fixture.h"
#include "tests/platform/local_server.h"

#include <cstring>
#include <mutex>

namespace {

std::int64_t at(const char* clock)
{
    std::int64_t t = 0;
    EXPECT_TRUE(parseJapanTime(clock, 0, &t)) << clock;
    return t;
}

// One trip: its number and (station, arrival, departure) stops; "" for a missing time.
struct Stop {
    const char *station, *arrive, *depart;
};
std::string trip(const std::string& railway, const char* number, std::initializer_list<Stop> stops)
{
    const std::string prefix = "odpt.Station:TokyoMetro." + railway + ".";
    std::string objects;
    for (const Stop& s : stops) {
        objects += objects.empty() ? "{" : ",{";
        std::string members;
        if (*s.arrive)
            members += std::string(R"("odpt:arrivalTime":")") + s.arrive + R"(","odpt:arrivalStation":")" +
                       prefix + s.station + "\"";
        if (*s.depart)
            members += std::string(members.empty() ? "" : ",") + R"("odpt:departureTime":")" + s.depart +
                       R"(","odpt:departureStation":")" + prefix + s.station + "\"";
        objects += members + "}";
    }
    return R"({"@type":"odpt:TrainTimetable","odpt:railway":"odpt.Railway:TokyoMetro.)" + railway +
           R"(","odpt:trainType":"odpt.TrainType:TokyoMetro.Local","odpt:trainNumber":")" + number +
           R"(","odpt:trainTimetableObject":[)" + objects + "]}";
}

// At 08:05 the 丸ノ内線 has trains inside 池袋～後楽園, at its end 後楽園 and
// beyond it; the 銀座線 train runs 表参道 → 外苑前, and 10 minutes earlier ran
// 渋谷 → 表参道.
std::string timetableOf(const std::string& railway)
{
    if (railway == "odpt.Railway:TokyoMetro.Marunouchi")
        return "[" + trip("Marunouchi", "M01", {{"Ikebukuro", "", "08:04"}, {"ShinOtsuka", "08:06", ""}}) +
               "," +
               trip("Marunouchi", "M02",
                    {{"ShinOtsuka", "", "08:02"},
                     {"Myogadani", "08:04", "08:06"},
                     {"Korakuen", "08:08", ""}}) +
               "," +
               trip("Marunouchi", "M03",
                    {{"Myogadani", "", "08:02"},
                     {"Korakuen", "08:04", "08:06"},
                     {"HongoSanchome", "08:08", ""}}) +
               "," + trip("Marunouchi", "M04", {{"Korakuen", "", "08:04"}, {"HongoSanchome", "08:07", ""}}) +
               "]";
    if (railway == "odpt.Railway:TokyoMetro.Ginza")
        return "[" +
               trip("Ginza", "G01",
                    {{"Shibuya", "", "07:50"}, {"OmoteSando", "", "08:00"}, {"Gaiemmae", "08:10", ""}}) +
               "]";
    return "[]";
}

std::string notice(const char* railway, const char* status, const char* text)
{
    std::string n =
        std::string(R"({"@type":"odpt:TrainInformation","dc:date":"2026-12-08T08:00:00+09:00",)") +
        R"("odpt:railway":"odpt.Railway:TokyoMetro.)" + railway + "\"";
    if (*status)
        n += R"(,"odpt:trainInformationStatus":{"ja":")" + cp932ToUtf8(status) + "\"}";
    return n + R"(,"odpt:trainInformationText":{"ja":")" + cp932ToUtf8(text) + "\"}}";
}

const char normal[] = "現在、平常どおり運転しています。";

class DisruptedEstimate : public MonitorFixture {
protected:
    void SetUp() override
    {
        MonitorFixture::SetUp();
        server.http().Get("/api/v4/odpt:Train", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(mutex);
            res.set_content(liveTrains, "application/json");
        });
        server.http().Get("/api/v4/odpt:TrainInformation",
                          [this](const httplib::Request&, httplib::Response& res) {
                              std::lock_guard<std::mutex> lock(mutex);
                              res.set_content(notices, "application/json");
                          });
        ASSERT_TRUE(server.start());
        config.api.root = server.root();
        config.api.version = ApiVersion::V4;
        applyConfig(config);
        source.root = server.root();
        source.download = [](const std::vector<std::string>& railways, const std::string&,
                             const TimetableArrivalFn& arrived, const HttpAbandonFn&) {
            for (std::size_t i = 0; i < railways.size(); ++i) {
                const std::string body = timetableOf(railways[i]);
                arrived(i, &body);
            }
            return true;
        };
        env.now = [this] { return static_cast<std::time_t>(clock); };
        env.sleepMs = [](int) {};
        env.timetables = &source;
        start();
    }

    // One refresh with these notices for 丸ノ内線 and 銀座線 (the rest normal);
    // returns what the console got.
    std::string refresh(const char* marunouchiStatus, const char* marunouchi, const char* ginzaStatus,
                        const char* ginza)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            notices = "[" + notice("Ginza", ginzaStatus, ginza) + "," +
                      notice("Marunouchi", marunouchiStatus, marunouchi) + "]";
        }
        out.clear();
        refreshOnce(*st, env);
        return out;
    }

    // The estimated trains' numbers, in record order.
    static std::string numbers()
    {
        std::string n;
        for (int i = 0; i < trainCount; ++i)
            n += trainRecords[i].trainNumber + " ";
        return n;
    }

    // Pixels of the train's colour where the "?" beside its mark goes.
    int querySpot(const char* number) const
    {
        for (int i = 0; i < st->known.count; ++i) {
            const KnownTrain& k = st->known.trains[i];
            if (std::strcmp(k.number, number) != 0)
                continue;
            int n = 0;
            for (int y = k.y - 14; y < k.y - 1; ++y)
                for (int x = k.x + 3; x < k.x + 16; ++x)
                    n += qwin_pixel(x, y) == qwin_rgb(k.colour);
            return n;
        }
        return -1;
    }

    static int count(const std::string& text, const std::string& part)
    {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

    LocalServer server{LocalServer::Kind::Plain};
    std::mutex mutex;
    std::string liveTrains = "[]";
    std::string notices = "[]";
    TimetableSource source;
    CycleEnv env;
    std::int64_t clock = at("2026-12-08T08:05:00");  // every refresh's moment
};

const char section[] = "信号故障のため、池袋駅～後楽園駅間で運転を見合わせています。";
const char whole[] = "人身事故の影響で、全線で運転を見合わせています。";
const char late[] = "車両点検の影響で、ダイヤが乱れています。１０分～１５分程度の遅れが出ています。";

TEST_F(DisruptedEstimate, NoticesDecideWhichEstimatedTrainsShowWhereAndHowTheyAreMarked)
{
    std::string said = refresh("運転見合わせ", section, "ダイヤ乱れ", late);
    // M01 runs and M02 stands inside the section; M03 stands at its end, M04 beyond it.
    EXPECT_EQ(numbers(), "G01 M03 M04 ");
    EXPECT_EQ(count(said, "丸ノ内線: 池袋～後楽園間の運転見合わせのため、区間内の推定列車を表示しません"), 1)
        << said;
    EXPECT_EQ(count(said, "銀座線: 遅れのため、推定列車は時刻表の10分前の位置に"), 1) << said;
    // the delayed train is where the timetable had it at 07:55 (listed once
    // the day is loaded; the listings while the railways arrived come before)
    const std::string listed = said.substr(said.find("時刻表: 2026-12-08"));
    EXPECT_EQ(count(listed, "G01:Local:Ginza:Shibuya->OmoteSando（推定・遅れ）"), 1) << said;
    EXPECT_EQ(count(listed, "M04:Local:Marunouchi:Korakuen->HongoSanchome（推定・一部運転見合わせ）"), 1)
        << said;

    // The same notices again: the same trains, nothing said again.
    said = refresh("運転見合わせ", section, "ダイヤ乱れ", late);
    EXPECT_EQ(numbers(), "G01 M03 M04 ");
    EXPECT_EQ(said.find("見合わせのため"), std::string::npos) << said;
    EXPECT_EQ(said.find("遅れのため"), std::string::npos) << said;
    // On the map a "?" stands beside each uncertain mark, and goes when the
    // line runs normally again though the train stays where it stands.
    const int marked = querySpot("M03");
    EXPECT_GE(marked, 10);
    refresh("", normal, "ダイヤ乱れ", late);
    EXPECT_EQ(numbers(), "G01 M01 M02 M03 M04 ");
    EXPECT_LE(querySpot("M03"), marked - 10);
    EXPECT_GE(querySpot("G01"), 10);

    // The whole line: none of its trains, said once.
    said = refresh("運転見合わせ", whole, "", normal);
    EXPECT_EQ(numbers(), "G01 ");
    EXPECT_EQ(count(said, "丸ノ内線: 運転見合わせのため、時刻表からの推定列車を表示しません"), 1) << said;
    EXPECT_EQ(count(said, "銀座線: 推定列車を時刻表どおりに表示します"), 1) << said;
    EXPECT_EQ(count(said, "G01:Local:Ginza:OmoteSando->Gaiemmae         \r"), 1) << said;
    said = refresh("運転見合わせ", whole, "", normal);
    EXPECT_EQ(said.find("見合わせのため"), std::string::npos) << said;

    // Back to normal: the timetable as it is, no marks.
    said = refresh("", normal, "", normal);
    EXPECT_EQ(numbers(), "G01 M01 M02 M03 M04 ");
    EXPECT_EQ(count(said, "丸ノ内線: 推定列車を時刻表どおりに表示します"), 1) << said;
    EXPECT_EQ(said.find("（推定"), std::string::npos) << said;

    // A text that says nothing known leaves the estimate as it is.
    said = refresh("", "本日は駅構内で工事を行っています。", "", normal);
    EXPECT_EQ(numbers(), "G01 M01 M02 M03 M04 ");
    EXPECT_EQ(said.find("（推定"), std::string::npos) << said;
}

TEST_F(DisruptedEstimate, WhenNoTrainIsLeftTheLastMarksGoAndTheCountSaysNone)
{
    const auto marked = [this] {
        int n = 0;
        for (int i = 0; i < st->known.count; ++i) {
            const KnownTrain& k = st->known.trains[i];
            n += k.shown != 0 && qwin_pixel(k.x, k.y) == qwin_rgb(k.colour);
        }
        return n;
    };
    refresh("", normal, "", normal);
    EXPECT_EQ(numbers(), "G01 M01 M02 M03 M04 ");
    EXPECT_EQ(marked(), 5);

    refresh("運転見合わせ", whole, "運転見合わせ", whole);
    EXPECT_EQ(numbers(), "");
    for (int i = 0; i < st->known.count; ++i) {
        const KnownTrain& k = st->known.trains[i];
        EXPECT_EQ(k.shown, 0) << k.number;
        EXPECT_NE(qwin_pixel(k.x, k.y), qwin_rgb(k.colour)) << k.number << " still marked";
    }
    EXPECT_EQ(st->shownTrainTotal, 0) << "the count box says none";

    // the next service day's timetables all fail: nothing was learnt, the map stays
    refresh("", normal, "", normal);
    EXPECT_EQ(marked(), 5);
    clock += 24 * 3600;
    source.download = [](const std::vector<std::string>& railways, const std::string&,
                         const TimetableArrivalFn& arrived, const HttpAbandonFn&) {
        for (std::size_t i = 0; i < railways.size(); ++i)
            arrived(i, nullptr);
        return true;
    };
    refresh("", normal, "", normal);
    EXPECT_EQ(numbers(), "");
    EXPECT_EQ(marked(), 5);
    EXPECT_EQ(st->shownTrainTotal, 5);
}

TEST_F(DisruptedEstimate, LivePositionsAreNeverAltered)
{
    liveTrains = R"([{"@type":"odpt:Train","dc:date":"2026-12-08T08:05:02+09:00",)"
                 R"("odpt:railway":"odpt.Railway:TokyoMetro.Marunouchi","odpt:trainNumber":"L01",)"
                 R"("odpt:fromStation":"odpt.Station:TokyoMetro.Marunouchi.Ikebukuro",)"
                 R"("odpt:toStation":"odpt.Station:TokyoMetro.Marunouchi.ShinOtsuka"}])";
    const std::string said = refresh("運転見合わせ", whole, "", normal);
    EXPECT_FALSE(st->trainsEstimated);
    EXPECT_EQ(numbers(), "L01 ");
    EXPECT_EQ(said.find("（推定"), std::string::npos) << said;
    EXPECT_EQ(said.find("見合わせのため"), std::string::npos) << said;
}

}  // namespace
