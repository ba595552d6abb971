#include "app/cycle.h"

#include "app/commands.h"
#include "app/disrupted_estimate.h"
#include "app/status.h"
#include "app/trains.h"
#include "app/typed_ahead.h"
#include "opendata/fetch.h"
#include "opendata/parse.h"
#include "platform/chime.h"
#include "platform/console.h"
#include "qwin/qwin.h"

namespace {

constexpr int kRefreshPeriod = 90;  // seconds
constexpr int kPassDelayMs = 100;

void showCountdown(MonitorState& st, std::time_t now)
{
    int32_t countdown = static_cast<int32_t>((st.refreshPhase + now) % kRefreshPeriod);
    if (countdown != st.lastCountdown) {
        st.lastCountdown = countdown;
        console_print("データ再取得まで %2d 秒\r", kRefreshPeriod - countdown);
    }
}

void refreshIfDue(MonitorState& st, const CycleEnv& env)
{
    std::time_t now = env.now();
    if (st.refreshPhase >= 0 && (now + st.refreshPhase) % kRefreshPeriod != 0)
        return;
    if (st.refreshPhase < 0)
        st.refreshPhase = static_cast<int32_t>(now % kRefreshPeriod);
    if (now == st.lastRefresh)
        return;
    refreshOnce(st, env);
    st.lastRefresh = now;
}

}  // namespace

void refreshOnce(MonitorState& st, const CycleEnv& env)
{
    for (std::string& t : responseText.text)
        t.clear();
    console_print("データ取得中\r");
    const HttpAbandonFn interrupted = [&st] { return downloadInterrupted(st); };
    if (!fetchLive(interrupted))
        return;
    console_print("データ読み込み中　　　\r");
    env.sleepMs(kPassDelayMs);
    if (sound_flag == 1)
        chime_play();
    parseResponse(ResponseKind::Trains);
    // The estimate reads the notices; they are reported after the trains, as ever.
    parseResponse(ResponseKind::Status);
    // live positions win; the timetables stand in only for an empty or failed answer
    st.trainsEstimated = false;
    if (trainCount == 0 && env.timetables) {
        // each railway's trains show as soon as its timetable is in
        const auto showSoFar = [&] {
            if (estimateWithNotices(st, env.now()) == 0)
                return;
            st.trainsEstimated = true;
            updateTrainDisplay(st);
        };
        if (!updateTimetables(st.timetables, env.now(), *env.timetables, {interrupted, showSoFar}))
            return;
        st.trainsEstimated = estimateWithNotices(st, env.now()) > 0;
        if (st.trainsEstimated)
            console_print("列車位置: 時刻表からの推定です（リアルタイムの位置ではありません）\n");
    }
    env.sleepMs(kPassDelayMs);
    // No train at all is news too (every one withdrawn, or the night's last
    // gone): the marks still on the map go. Only when nothing was learnt
    // does the map keep what it showed: no live answer, or, where the trains
    // are estimated (an empty live answer says nothing then), no timetable.
    const bool answered =
        env.timetables ? loadedTables(st.timetables) > 0 : !responseText[ResponseKind::Trains].empty();
    if (trainCount > 0 || answered)
        updateTrainDisplay(st);
    env.sleepMs(kPassDelayMs);
    reportStatus(st, env.now());
    env.sleepMs(kPassDelayMs);
    takeSnapshot(env);
}

bool cyclePass(MonitorState& st, const CycleEnv& env)
{
    // Escape in the window ends the program here, without saving the settings.
    qwin_poll_escape();
    showCountdown(st, env.now());
    env.sleepMs(kPassDelayMs);
    if (keyWaiting(st)) {
        st.pending = readKey(st);
        if (isQuit(st.pending)) {
            // Without a window the program ends at once: no click to ask for.
            if (!qwin_headless())
                console_print("グラフィックウインド(qwin)をクリックすると終了します。\n");
            return false;
        }
        return true;
    }
    if (!carryOutCommand(st, env))
        refreshIfDue(st, env);
    return true;
}

void runCycle(MonitorState& st, const CycleEnv& env)
{
    while (cyclePass(st, env)) {}
}
