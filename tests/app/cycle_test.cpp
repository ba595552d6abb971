#include "app/commands.h"
#include "app/cycle.h"
#include "app/typed_ahead.h"
#include "monitor_fixture.h"
#include "platform/chime.h"
#include "tests/platform/local_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char kRefreshStart[] = "データ取得中\r";

std::string countdownLine(int n)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "データ再取得まで %2d 秒\r", n);
    return buf;
}

using Clock = std::chrono::steady_clock;

// Standard input from a pipe: the scripted console cannot deliver a key in
// the middle of a pass, as a user does while a download hangs.
class PipedStdin {
public:
    PipedStdin()
    {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        writeEnd_ = ends[1];
        console_script(nullptr);
    }
    ~PipedStdin()
    {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        close(writeEnd_);
    }
    PipedStdin(const PipedStdin&) = delete;
    PipedStdin& operator=(const PipedStdin&) = delete;

    // Types each key after its delay in milliseconds (counted from the
    // previous one), on a thread of its own.
    std::thread typeLater(std::vector<std::pair<int, char>> keys)
    {
        return std::thread([this, keys] {
            for (const auto& [delayMs, key] : keys) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                EXPECT_EQ(write(writeEnd_, &key, 1), 1);
            }
        });
    }

private:
    int saved_ = dup(STDIN_FILENO);
    int writeEnd_ = -1;
};

}  // namespace

class Cycle : public MonitorFixture {
protected:
    void SetUp() override
    {
        MonitorFixture::SetUp();
        env.now = [this] { return clock; };
        env.sleepMs = [this](int ms) { slept.push_back(ms); };
        start();
    }

    // One pass; the clock does not move.
    bool pass() { return cyclePass(*st, env); }

    // The first refresh and the countdown that follows it, then a clean slate.
    void begin()
    {
        pass();
        pass();
        out.clear();
        slept.clear();
    }

    // Types the keys and runs passes until they are read and the last one
    // (and any redraw it asks for) has been carried out.
    void press(const std::string& k)
    {
        keys += k;
        while (console_key_waiting())
            pass();
        pass();
        if (st->pending == 'r')
            pass();
    }

    // After begin(): the downloads go to a server that never answers and
    // wait up to timeoutMs each; the clock stands at the next refresh.
    void hangDownloads(long timeoutMs)
    {
        ASSERT_TRUE(silent.start());
        config.api.root = silent.root();
        config.api.http.totalTimeoutMs = timeoutMs;
        applyConfig(config);
        clock = 900010 + 70;
    }

    std::time_t clock = 900010;  // 900010 mod 90 = 10
    std::vector<int> slept;
    CycleEnv env;
    LocalServer silent{LocalServer::Silent};
};

TEST_F(Cycle, FirstQuietPassCountsDownAndRefreshesAtOnce)
{
    int chimes = chime_count();
    EXPECT_TRUE(pass());
    // With no phase yet the countdown is 90 - (now - 1) mod 90.
    EXPECT_EQ(out.find(countdownLine(90 - 9)), 0u);
    EXPECT_NE(out.find(kRefreshStart), std::string::npos);
    EXPECT_NE(out.find("データ読み込み中　　　\r"), std::string::npos);
    EXPECT_EQ(st->refreshPhase, 10);
    EXPECT_EQ(st->lastRefresh, clock);
    EXPECT_EQ(chime_count(), chimes + 1);
    // The pass pause, then the four pauses of the refresh; nothing else waits.
    EXPECT_EQ(slept, (std::vector<int>{100, 100, 100, 100, 100}));

    // Now in phase: the next pass shows 90 - (now + 10) mod 90, a further pass
    // in the same second prints nothing and does not refresh again.
    out.clear();
    pass();
    EXPECT_EQ(out, countdownLine(70));
    out.clear();
    pass();
    EXPECT_EQ(out, "");
    EXPECT_EQ(st->lastRefresh, clock);
}

TEST_F(Cycle, RefreshesFollowThePhaseOfTheFirstOne)
{
    std::vector<std::time_t> refreshes;
    for (int s = 0; s <= 200; ++s) {
        clock = 900010 + s;
        std::time_t before = st->lastRefresh;
        pass();
        pass();
        if (st->lastRefresh != before)
            refreshes.push_back(st->lastRefresh - 900010);
    }
    EXPECT_EQ(refreshes, (std::vector<std::time_t>{0, 70, 160}));
    // The countdown shown just before a refresh is 1, then it starts from 90.
    clock = 900010 + 249;
    out.clear();
    pass();
    EXPECT_EQ(out, countdownLine(1));
    clock += 1;
    out.clear();
    pass();
    EXPECT_EQ(out.find(countdownLine(90)), 0u);
    EXPECT_NE(out.find(kRefreshStart), std::string::npos);
}

TEST_F(Cycle, ARefreshWaitsWhileCommandsRun)
{
    begin();
    clock = 900010 + 70;
    keys = "c";
    pass();  // reads c
    pass();  // carries it out; the due second goes by
    clock += 1;
    pass();
    EXPECT_EQ(st->lastRefresh, 900010);
    clock = 900010 + 160;
    pass();
    EXPECT_EQ(st->lastRefresh, 900010 + 160);
}

TEST_F(Cycle, PanRightIsRefusedOnceTheOffsetPassesTheFrame)
{
    begin();
    std::vector<int32_t> seen;
    for (int i = 0; i < 5; ++i) {
        press("\x1b[C");
        seen.push_back(st->ixf);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{170, 340, 510, 680, 680}));
    EXPECT_EQ(st->pending, 0);

    press("\x1b[B");
    EXPECT_EQ(st->iyf, 116);
    press("\x1b[D");
    EXPECT_EQ(st->ixf, 510);
    // The arrow keys' second codes are capital letters, which pan too.
    press("H");
    EXPECT_EQ(st->iyf, 0);
    press("K");
    EXPECT_EQ(st->ixf, 340);
    press("P");
    EXPECT_EQ(st->iyf, 116);
    // Panning moves the view, not the scale.
    EXPECT_NEAR(st->xscale, 1442.83, 0.01);
}

TEST_F(Cycle, ZoomOutNeverGoesBelowOne)
{
    begin();
    st->ratio = 3.0f;
    std::vector<float> seen;
    for (int i = 0; i < 3; ++i) {
        press("d");
        seen.push_back(st->ratio);
    }
    EXPECT_EQ(seen, (std::vector<float>{2.0f, 1.0f, 1.0f}));
    press("i");
    press("i");
    EXPECT_EQ(st->ratio, 3.0f);
    EXPECT_NEAR(st->xscale, 3 * 1442.83, 0.05);
    // I and D are no commands.
    press("I");
    press("D");
    EXPECT_EQ(st->ratio, 3.0f);
    // A saved 1.5 goes to 0.5, then back to 1.0.
    st->ratio = 1.5f;
    press("d");
    EXPECT_EQ(st->ratio, 0.5f);
    press("d");
    EXPECT_EQ(st->ratio, 1.0f);
}

TEST_F(Cycle, OnlyTheLastKeyBeforeAQuietPassIsCarriedOut)
{
    begin();
    keys = "di";
    pass();
    pass();
    EXPECT_EQ(st->pending, 'i');
    EXPECT_EQ(st->ratio, 1.0f);
    pass();
    EXPECT_EQ(st->ratio, 2.0f);
    EXPECT_EQ(st->pending, 'r');
    pass();
    EXPECT_EQ(st->pending, 0);
}

TEST_F(Cycle, SwitchesPrintTheirNewValues)
{
    begin();
    press("m");
    press("m");
    press("m");
    EXPECT_EQ(out, "plot_mode:1\nplot_mode:3\nplot_mode:1\n");
    EXPECT_EQ(st->plot_mode, 1);

    out.clear();
    press("j");
    EXPECT_EQ(kstr_flag, 1);
    press("J");
    EXPECT_EQ(kstr_flag, 0);
    press("s");
    EXPECT_EQ(sound_flag, 0);
    EXPECT_EQ(out, "kstr_flag :1\nkstr_flag :0\nsound_flag :0\n");

    // With sound off a refresh does not chime.
    int chimes = chime_count();
    clock = 900010 + 70;
    pass();
    EXPECT_EQ(st->lastRefresh, clock);
    EXPECT_EQ(chime_count(), chimes);

    // A settings file may leave any number in a switch; the next press still
    // gives (n + 1) mod 2, with no overflow at the top of the range.
    kstr_flag = INT32_MAX;
    sound_flag = INT32_MAX;
    out.clear();
    press("j");
    press("s");
    EXPECT_EQ(out, "kstr_flag :0\nsound_flag :0\n");
}

TEST_F(Cycle, CapitalHPansAndSmallHHelps)
{
    begin();
    press("h");
    EXPECT_EQ(st->iyf, 0);
    EXPECT_EQ(out,
              "c : 画像のクリア,\tj : 日本語駅名表示 on/off,\ti : ズームイン\n"
              "d : ズームアウト,\t↓ → ← ↑ : 表示領域移動,\tr : 画像の再描画\n"
              "f : 料金情報検索,\th : ヘルプ,\tm : 表示モード変更\n"
              "q : 終了,\ts : sound on/off,\tt : 次の発車案内\n");
    out.clear();
    press("H");
    EXPECT_EQ(st->iyf, -116);
    EXPECT_EQ(out, "");
}

// The dialogue reads its line after the prompt, so the line is scripted only
// once the key has been taken.
TEST_F(Cycle, LineSelectionReadsUpToTenTokens)
{
    begin();
    keys = "a";
    pass();
    EXPECT_EQ(st->pending, 'a');
    keys = "3 8 12 x\n";
    ASSERT_TRUE(carryOutCommand(*st, env));
    EXPECT_EQ(st->iflag, 8 | 256 | 1);
    EXPECT_EQ(st->pending, 'r');
    EXPECT_EQ(out.find("色付表示路線の指定\n(0)銀座線\n(1)丸ノ内線\n"), 0u);
    EXPECT_EQ(out.substr(out.find("(8)副都心線\n")), "(8)副都心線\n?\n3 8 12 x ");

    out.clear();
    keys = "\t0 0  0 0 0 0 0 0 0 0 5 6\n";
    selectLines(*st);
    EXPECT_EQ(st->iflag, 1);
    EXPECT_EQ(out.substr(out.find("?\n") + 2), "0 0 0 0 0 0 0 0 0 0 ");

    // An empty line, and the end of input, leave no line selected.
    keys = "\n";
    selectLines(*st);
    EXPECT_EQ(st->iflag, 0);
    st->iflag = 5;
    selectLines(*st);
    EXPECT_EQ(st->iflag, 0);
}

// The click message belongs to a real window (the windowed end-to-end run
// checks it); headless, nothing waits for a click, so nothing asks for one.
TEST_F(Cycle, HeadlessQuitEndsWithoutAskingForAClick)
{
    begin();
    keys = "Q";
    EXPECT_FALSE(pass());
    EXPECT_EQ(out, "");
    keys = "xq";
    EXPECT_TRUE(pass());
    EXPECT_FALSE(pass());
}

TEST_F(Cycle, EscapeInTheWindowEndsAtTheNextPassWithoutSaving)
{
    begin();
    std::string ini = settingsPath;
    EXPECT_EXIT(
        {
            qwin_set_escape();
            cyclePass(*st, env);
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    struct stat sb;
    EXPECT_NE(stat(ini.c_str(), &sb), 0);
}

TEST_F(Cycle, RedrawWritesTheSnapshot)
{
    begin();
    std::string png = dir + "/view.png";
    env.snapshot = png.c_str();
    press("r");
    struct stat sb;
    ASSERT_EQ(stat(png.c_str(), &sb), 0);
    EXPECT_GT(sb.st_size, 1000);

    env.snapshot = "/nonexistent-dir/view.png";
    out.clear();
    press("r");
    EXPECT_EQ(out, "snapshot: cannot write /nonexistent-dir/view.png: No such file or directory\n");
}

TEST_F(Cycle, QuitTypedWhileADownloadHangsEndsTheProgramWithinASecond)
{
    begin();
    hangDownloads(10000);
    PipedStdin input;
    std::thread typist = input.typeLater({{200, 'x'}, {0, 's'}, {200, 'q'}});
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(pass());
    const Clock::duration held = Clock::now() - start;
    typist.join();
    EXPECT_LT(held, std::chrono::milliseconds(1400));
    EXPECT_NE(out.find(kRefreshStart), std::string::npos);
    EXPECT_EQ(out.find("データ読み込み中"), std::string::npos);
    // The next pass quits as it would between refreshes; the keys typed
    // before q are never carried out, as passes would have read them all.
    EXPECT_FALSE(pass());
    EXPECT_EQ(sound_flag, 1);
}

TEST_F(Cycle, OtherKeysTypedWhileADownloadHangsWaitForTheCycle)
{
    begin();
    hangDownloads(300);
    PipedStdin input;
    std::thread typist = input.typeLater({{100, 'c'}, {0, 's'}});
    EXPECT_TRUE(pass());
    typist.join();
    EXPECT_NE(out.find("odpt:TrainInformation: download failed"), std::string::npos) << out;
    EXPECT_EQ(out.find("sound_flag"), std::string::npos);
    // Read by the next passes in the order typed, the last one carried out.
    out.clear();
    EXPECT_TRUE(pass());
    EXPECT_EQ(st->pending, 'c');
    EXPECT_TRUE(pass());
    EXPECT_EQ(st->pending, 's');
    EXPECT_TRUE(pass());
    EXPECT_EQ(out, "sound_flag :0\n");
}

TEST_F(Cycle, EscapeWhileADownloadHangsEndsTheProgramWithinASecond)
{
    begin();
    hangDownloads(10000);
    const Clock::time_point start = Clock::now();
    EXPECT_EXIT(
        {
            std::thread window([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                qwin_set_escape();
            });
            window.detach();
            cyclePass(*st, env);
            cyclePass(*st, env);
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(Cycle, QuitTypedWhileTheTimetablesDownloadEndsTheProgramWithinASecond)
{
    begin();
    // the live answers come at once and hold no trains, as the real API's do;
    // the timetables trickle, a byte every 100 ms, until the test ends
    // a timetable answer ends when the round it was asked in is over
    std::atomic<int> round{0};
    std::atomic<int> trickling{0};  // timetable answers being sent
    LocalServer server(LocalServer::Plain);
    server.http().Get(R"(/api/v4/([^?]+))", [&](const httplib::Request& req, httplib::Response& res) {
        if (req.matches[1] != "odpt:TrainTimetable")
            return res.set_content("[]", "application/json");
        ++trickling;
        res.set_chunked_content_provider(
            "application/json",
            [&, askedIn = round.load()](std::size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                return askedIn == round && sink.write(" ", 1);
            },
            [&](bool) { --trickling; });
    });
    ASSERT_TRUE(server.start());
    config.api.root = server.root();
    config.api.version = ApiVersion::V4;
    config.api.http.totalTimeoutMs = 10000;
    applyConfig(config);
    const TimetableSource source{server.root(), "", fetchTimetables};
    env.timetables = &source;
    clock = 900010 + 70;
    for (const char quit : {'q', 'Q'}) {
        out.clear();
        PipedStdin input;
        std::thread typist = input.typeLater({{400, 'c'}, {0, quit}});
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(pass());
        const Clock::duration held = Clock::now() - start;
        typist.join();
        EXPECT_LT(held, std::chrono::milliseconds(1400)) << quit;
        EXPECT_NE(out.find("時刻表を取得中 0/10 路線"), std::string::npos) << out;
        EXPECT_EQ(out.find("odpt:TrainTimetable"), std::string::npos) << "abandoned, not failed: " << out;
        EXPECT_FALSE(pass());
        clock += 90;
        // the server's workers are free for the next round
        ++round;
        for (int i = 0; i < 100 && trickling > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TEST_F(Cycle, QuitTypedWhileTheFareDownloadsEndsTheQueryAndTheProgram)
{
    begin();
    hangDownloads(10000);
    // The dialogue's lines are typed after f is read, so it is carried out here.
    st->pending = 'f';
    keys = "3 5\n1\nq";
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(carryOutCommand(*st, env));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1400));
    EXPECT_EQ(out.find("hit anykey!"), std::string::npos) << out;
    EXPECT_EQ(out.find("料金 "), std::string::npos) << out;
    EXPECT_FALSE(pass());
}

TEST_F(Cycle, KeysTypedDuringADownloadKeepTheNewestWhenMoreArriveThanFit)
{
    begin();
    keys = std::string(kTypedAheadCapacity + 40, 'c') + "hs";
    EXPECT_FALSE(downloadInterrupted(*st));
    EXPECT_EQ(keys, "");
    std::string read;
    while (keyWaiting(*st))
        read += static_cast<char>(readKey(*st));
    EXPECT_EQ(read, std::string(kTypedAheadCapacity - 2, 'c') + "hs");
}
