#include "app/startup.h"

#include "app/cycle.h"
#include "app/map.h"
#include "app/projection.h"
#include "app/settings.h"
#include "graph/graphport.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/chime.h"
#include "platform/console.h"
#include "platform/speech.h"
#include "qwin/qwin.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Pixels of margin added on every side of the network before it is fitted.
constexpr int kBoundsMargin = 6;

// The map frame is the port's plot frame moved right and up.
void layoutFrame(MonitorState& st, GraphPort& port)
{
    port.left += 35;
    port.right += 35;
    port.top -= 45;
    port.bottom -= 15;
    port.yspan = port.bottom - port.top;
    st.left = port.left;
    st.top = port.top;
    st.right = port.right;
    st.bottom = port.bottom;
    st.frameWidth = port.xspan;
    st.frameHeight = port.yspan;
}

// Empties the response texts and the parsed records.
void releaseRecords()
{
    for (TrainInfoRecord& r : infoRecords)
        r = TrainInfoRecord{};
    for (TrainRecord& r : trainRecords)
        r = TrainRecord{};
    trainCount = 0;
    fareRecord = FareRecord{};
    for (std::string& t : responseText.text)
        std::string().swap(t);
}

// The threads the monitor starts besides the window's: the speech worker and
// the chime's device opener. They end here on every way out, the orderly end
// and exit() alike (Escape in the window, a fatal error): a thread still
// joinable when the process destroys its objects aborts it, and one still
// running would use what is being destroyed. Before the window closes, since
// the last user of SDL shuts it down.
void stopWorkers()
{
    speech_stop();
    chime_close();
}

// Registered once the window is open: exit hooks run in reverse order, so
// this one runs before the window's own.
void stopWorkersAtExit()
{
    static bool registered = false;
    if (!registered)
        registered = std::atexit(stopWorkers) == 0;
}

}  // namespace

MapBounds widenBounds(MapBounds b)
{
    const float ystep = (b.north - b.south) / kMapFrameHeight;
    const float xstep = (b.east - b.west) / kMapFrameWidth;
    b.north += kBoundsMargin * ystep;
    b.south -= kBoundsMargin * ystep;
    b.east += kBoundsMargin * xstep;
    b.west -= kBoundsMargin * xstep;
    return b;
}

void startMonitor(MonitorState& st, const Options& o, const char* settingsPath)
{
    st.ratio = 1.0f;
    st.plot_mode = 3;
    st.port->gopen("RATIO");
    layoutFrame(st, *st.port);
    MapBounds b = widenBounds(mapBounds);
    st.north = b.north;
    st.south = b.south;
    st.east = b.east;
    st.west = b.west;
    readSettings(st, settingsPath, o.lineArgsGiven);
    updateScales(st);
    drawFrame(st);
    drawMap(st);
    st.pending = 0;
    st.refreshPhase = -1;
    st.lastCountdown = -1;
    st.lastRefresh = -1;
    st.shownTrainTotal = -1;
    st.trainsEstimated = false;
    st.shownEstimated = false;
    st.known.count = 0;
}

void printApiNotices(const ApiSettings& api, const std::string& keyFile)
{
    if (apiVersion() != ApiVersion::V4)
        return;
    console_print(
        "このプログラムは、公共交通オープンデータセンターが提供する東京メトロのデータを、"
        "公共交通オープンデータ基本ライセンスに基づいて利用しています。\n"
        "データの正確性・完全性は保証されません。このプログラムについてのお問い合わせは、"
        "東京メトロや同センターではなく linewatch の開発者にお寄せください。\n");
    if (api.consumerKey != ApiSettings{}.consumerKey)
        return;
    console_print(
        "APIキーが設定されていません。developer.odpt.org で無料の開発者登録をしてキーを受け取り、"
        "環境変数 LINEWATCH_CONSUMER_KEY に設定してください。\n");
    if (!keyFile.empty())
        console_print(
            "または、キーをファイル %s の1行目に書き、chmod 600 で本人だけが読めるようにしてください。\n",
            keyFile.c_str());
    console_print("キーがなくても --demo で模擬データによる動作を試せます。\n");
}

std::optional<int> answerWithoutMonitor(const Options& o)
{
    if (o.error) {
        std::fprintf(stderr, "linewatch: unknown option or missing value: %s (see --help)\n", o.error);
        return 2;
    }
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (o.version) {
        std::printf("linewatch %s\n", LINEWATCH_VERSION);
        return 0;
    }
    return std::nullopt;
}

int runMonitor(const Config& config)
{
    applyConfig(config);
    releaseRecords();
    sound_flag = 1;
    static MonitorState st;  // about 40 KB, kept off the stack
    st.iflag = config.options.iflag;
    sortStations();
    {
        GraphPort port;
        stopWorkersAtExit();
        st.port = &port;
        startMonitor(st, config.options, kSettingsFile);
        CycleEnv env = realCycleEnv(config.options.snapshot, config.clockOffset);
        // Only version 4 publishes timetables; its answers never carry positions.
        TimetableSource timetables{config.api.root, config.cacheDir, fetchTimetables};
        if (apiVersion() == ApiVersion::V4)
            env.timetables = &timetables;
        console_open();
        printApiNotices(config.api, config.keyFile);
        // Started here, not at the first disruption, so a missing engine is
        // reported when the program starts.
        speech_start();
        runCycle(st, env);
        console_close();
        takeSnapshot(env);
        releaseRecords();
        writeSettings(st, kSettingsFile);
        stopWorkers();
        st.port = nullptr;
    }
    return 0;
}
