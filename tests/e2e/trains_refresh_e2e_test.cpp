// One refresh of the real program in tmux against the feed replaying a
// recorded five-train answer: the console lines per train, the status line of
// a disruption, and the count box, per-line counts and marks in its snapshot.
#include "app/fullwidth.h"
#include "app/monitor_state.h"
#include "app/projection.h"
#include "app/startup.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "platform/charset.h"
#include "qwin/qwin.h"
#include "sim/feed/feed.h"
#include "tests/japan_time.h"
#include "tests/qwin/snapshot_read.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char disruption[] = "東西線は車両点検のため、運転を見合わせています。";

// The moment of the recorded answers, on which the feed and the monitor run.
const char recorded[] = "2014-10-14T10:15:02";

struct TrainSpec {
    const char* number;
    const char* railway;
    const char* from;
    const char* to;
};

const TrainSpec replayTrains[] = {
    {"A1001S", "Ginza", "Ginza.Shibuya", ""},
    {"A1002S", "Ginza", "Ginza.Shibuya", "Ginza.OmoteSando"},
    {"B1003", "Marunouchi", "Marunouchi.Yotsuya", "Marunouchi.AkasakaMitsuke"},
    {"C1004", "Tozai", "Tozai.Nakano", ""},
    {"D1005", "MarunouchiBranch", "MarunouchiBranch.Honancho", ""},
};

std::string station_id(const char* part)
{
    return *part ? std::string("odpt.Station:TokyoMetro.") + part : "";
}

std::string trains_json()
{
    std::string s = "[";
    for (const TrainSpec& t : replayTrains) {
        std::string to = *t.to ? "\"" + station_id(t.to) + "\"" : "null";
        s +=
            std::string(s.size() > 1 ? "," : "") +
            "{\"@context\":\"http://vocabulary.odpt.org/context_odpt_Train.jsonld\",\"@type\":\"odpt:Train\","
            "\"@id\":\"urn:ucode:_00001C000000000000010000030C3BE4\",\"dc:date\":\"2014-10-14T10:15:02+09:"
            "00\","
            "\"dct:valid\":\"2014-10-14T10:16:32+09:00\",\"odpt:frequency\":90,"
            "\"odpt:railway\":\"odpt.Railway:TokyoMetro." +
            std::string(t.railway) + "\",\"owl:sameAs\":\"odpt.Train:x\",\"odpt:trainNumber\":\"" + t.number +
            "\",\"odpt:trainType\":\"odpt.TrainType:TokyoMetro.Local\",\"odpt:delay\":0,"
            "\"odpt:startingStation\":\"" +
            station_id(t.from) + "\",\"odpt:terminalStation\":\"" + station_id(t.from) +
            "\",\"odpt:fromStation\":\"" + station_id(t.from) + "\",\"odpt:toStation\":" + to +
            ",\"odpt:railDirection\":\"odpt.RailDirection:TokyoMetro.Asakusa\","
            "\"odpt:trainOwner\":\"odpt.TrainOwner:TokyoMetro\"}";
    }
    return s + "]";
}

std::string status_json()
{
    const char* lines[] = {"Ginza",     "Marunouchi", "Hibiya",  "Tozai",     "Chiyoda",
                           "Yurakucho", "Hanzomon",   "Namboku", "Fukutoshin"};
    std::string s = "[";
    for (int k = 0; k < 9; ++k) {
        std::string text = k == 3 ? disruption : "現在、平常どおり運転しています。";
        std::string status = k == 3 ? "\"odpt:trainInformationStatus\":\"運転見合わせ\"," : "";
        s += std::string(k ? "," : "") +
             "{\"@context\":\"http://vocabulary.odpt.org/context_odpt_TrainInformation.jsonld\","
             "\"@id\":\"urn:ucode:_00001C000000000000010000030C3BE" +
             std::to_string(k) +
             "\",\"dc:date\":\"2014-10-14T10:15:02+09:00\",\"dct:valid\":\"2014-10-14T10:20:02+09:00\","
             "\"odpt:operator\":\"odpt.Operator:TokyoMetro\",\"odpt:railway\":\"odpt.Railway:TokyoMetro." +
             lines[k] + "\",\"odpt:timeOfOrigin\":\"2014-10-14T09:58:00+09:00\"," + status +
             "\"odpt:trainInformationText\":\"" + text + "\",\"@type\":\"odpt:TrainInformation\"}";
    }
    return s + "]";
}

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Polls cond every 50 ms for at most seconds.
template <typename Cond>
bool wait_for(Cond cond, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return cond();
}

// A run of the end-to-end harness kept in dir; its tmux server and files go
// with it, after the feed.
struct HarnessRun {
    std::string dir;
    Feed* feed = nullptr;

    // One command of tests/e2e/harness.bash on this run; its exit status.
    int command(const std::string& line) const
    {
        const char* e2eDir = std::getenv("LINEWATCH_E2E_DIR");
        std::string run =
            "LINEWATCH_E2E_WORK='" + dir + "' bash '" + (e2eDir ? e2eDir : ".") + "/harness.bash' " + line;
        return std::system(run.c_str());
    }

    ~HarnessRun()
    {
        if (feed)
            feed_stop(feed);
        if (!dir.empty())
            command("e2e_cleanup");
    }
};

}  // namespace

TEST(TrainsRefreshE2E, OneRefreshDrawsCountsMarksAndPrintsEveryTrain)
{
    const char* bin = std::getenv("LINEWATCH_BIN");
    ASSERT_NE(bin, nullptr);
    HarnessRun run;
    char temp[] = "/tmp/linewatch-trains-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(temp), nullptr);
    run.dir = temp;
    ASSERT_EQ(mkdir((run.dir + "/replay").c_str(), 0755), 0);
    write_file(run.dir + "/replay/Train.json", trains_json());
    write_file(run.dir + "/replay/TrainInformation.json", status_json());

    FeedOptions options;
    options.replayDir = run.dir + "/replay";
    options.rateLimit = false;
    options.startTime = japanTime(recorded);
    std::string error;
    run.feed = feed_start(options, &error);
    ASSERT_NE(run.feed, nullptr) << error;

    ASSERT_EQ(run.command("start_monitor m LINEWATCH_HTTP_TIMEOUT_MS=5000 LINEWATCH_API_ROOT='" +
                          feed_root(run.feed) + "' LINEWATCH_CONSUMER_KEY='" + kFeedDefaultKey +
                          "' -- --time " + recorded),
              0);
    const std::string m = run.dir + "/m";

    std::string line = std::string("2014-10-14T10:15:02 東西線 ") + disruption;
    ASSERT_TRUE(wait_for([&] { return read_file(m + "/raw.log").find(line) != std::string::npos; }, 60))
        << read_file(m + "/raw.log");
    ASSERT_EQ(run.command("keys m q"), 0);
    ASSERT_TRUE(wait_for([&] { return exists(m + "/status"); }, 30));
    EXPECT_EQ(read_file(m + "/status"), "0\n");

    // One console line per train, in train-number order, each erasing the
    // line it overwrites before it is written.
    std::string raw = read_file(m + "/raw.log");
    const char* expected[] = {
        "\x1b[KA1001S:Local:Ginza         \r",
        "\x1b[KA1002S:Local:Ginza:Shibuya->OmoteSando         \r",
        "\x1b[KB1003:Local:Marunouchi:Yotsuya->AkasakaMitsuke         \r",
        "\x1b[KC1004:Local:Tozai         \r",
        "\x1b[KD1005:Local:MarunouchiBranch         \r",
    };
    std::size_t at = 0;
    for (const char* l : expected) {
        std::size_t found = raw.find(l, at);
        EXPECT_NE(found, std::string::npos) << l;
        if (found != std::string::npos)
            at = found;
    }
    EXPECT_NE(raw.find("2014-10-14T10:15:02 銀座線 現在、平常どおり運転しています。"), std::string::npos);

    std::vector<uint32_t> snap = read_png(m + "/snap.png");
    ASSERT_EQ(snap.size(), std::size_t(qwin_width * qwin_height));
    auto shot = [&](int x, int y) { return snap[y * qwin_width + x]; };

    // What the count box and the per-line counts must look like, drawn here.
    GraphPort port;
    port.gopen("RATIO");
    port.cls(0);
    port.print(utf8ToCp932("列車総数：").c_str(), 3, 5, 2, 0.8f, 0);
    port.print(to_fullwidth("005").c_str(), 63, 5, 2, 0.8f, 0);
    port.print(to_fullwidth("10:15:02").c_str(), 3, 25, 7, 0.73f, 0);
    const int counts[9] = {2, 1, 0, 1, 0, 0, 0, 0, 0};
    for (int k = 0; k < 9; ++k)
        port.print(to_fullwidth(std::to_string(counts[k])).c_str(), 75, 20 * k + 62, k + 1, 1.0f, 0);

    int wrong = 0;
    for (int y = 4; y <= 41; ++y)
        for (int x = 2; x <= 107; ++x)
            wrong += shot(x, y) != qwin_pixel(x, y);
    EXPECT_EQ(wrong, 0) << "count box pixels differ";
    for (int k = 0; k < 9; ++k) {
        wrong = 0;
        for (int y = 20 * k + 62; y < 20 * k + 82; ++y)
            for (int x = 75; x < 106; ++x)
                wrong += shot(x, y) != qwin_pixel(x, y);
        EXPECT_EQ(wrong, 0) << "count of line " << k;
    }

    // Standing trains: a 4 x 4 mark on their station, in their line's colour
    // (white for the branch, which is none of the nine lines).
    MonitorState st;
    MapBounds b = widenBounds(mapBounds);
    st.north = b.north;
    st.south = b.south;
    st.east = b.east;
    st.west = b.west;
    updateScales(st);
    struct Mark {
        const char* station;
        int colour;
    } marks[] = {{"odpt.Station:TokyoMetro.Tozai.Nakano", 4},
                 {"odpt.Station:TokyoMetro.MarunouchiBranch.Honancho", 7}};
    for (const Mark& m : marks) {
        int32_t lx, ly, dir;
        float lon, lat;
        ASSERT_NE(findStation(m.station, lx, ly, dir, lon, lat), kStationTableSize);
        ScreenPoint p = project(st, lat, lon);
        for (int dy = -2; dy <= 1; ++dy)
            for (int dx = -2; dx <= 1; ++dx)
                EXPECT_EQ(shot(p.x + dx, p.y + dy), qwin_rgb(m.colour))
                    << m.station << " " << dx << "," << dy;
    }
}
