#include "app/commands.h"

#include "app/fare.h"
#include "app/map.h"
#include "app/trains.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <cstdlib>

namespace {

constexpr int kGrey = 15;
// Room for 255 characters and the NUL; the dialogue reads at most 10 tokens.
constexpr int kLineCapacity = 256;
constexpr int kMaxTokens = 10;

const char* const kHelp[] = {
    "c : 画像のクリア",
    "j : 日本語駅名表示 on/off",
    "i : ズームイン",
    "d : ズームアウト",
    "↓ → ← ↑ : 表示領域移動",
    "r : 画像の再描画",
    "f : 料金情報検索",
    "h : ヘルプ",
    "m : 表示モード変更",
    "q : 終了",
    "s : sound on/off",
};

void clearWindow(MonitorState& st)
{
    st.port->cls(0);
}

void drawFrame(MonitorState& st)
{
    st.port->box(static_cast<int16_t>(st.left), static_cast<int16_t>(st.top),
                 static_cast<int16_t>(st.right), static_cast<int16_t>(st.bottom), kGrey);
}

void clearAndFrame(MonitorState& st)
{
    clearWindow(st);
    drawFrame(st);
}

void redraw(MonitorState& st, const CycleEnv& env)
{
    drawFrame(st);
    drawMap(st);
    if (trainCount > 0)
        redrawTrains(st);
    takeSnapshot(env);
}

// Pan steps: a third of the frame, cut toward zero.
int32_t panStepX(const MonitorState& st)
{
    return st.frameWidth / 3;
}

int32_t panStepY(const MonitorState& st)
{
    return st.frameHeight / 3;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

void printHelp()
{
    constexpr int n = sizeof kHelp / sizeof kHelp[0];
    for (int i = 0; i < n; ++i) {
        const char* sep = i == n - 1 ? "" : ((i + 1) % 3 == 0 ? "\n" : ",\t");
        console_print("%s%s", kHelp[i], sep);
    }
    console_print("\n");
}

void selectLines(MonitorState& st)
{
    st.iflag = 0;
    console_print("色付表示路線の指定\n");
    for (int k = 0; k < railwayCount; ++k)
        console_print("(%d)%s\n", k, railways[k].name);
    console_print("?\n");

    char line[kLineCapacity];
    if (!console_read_line(line, sizeof line))
        line[0] = '\0';
    const char* tokens[kMaxTokens];
    int count = 0;
    char* p = line;
    while (*p && count < kMaxTokens) {
        while (*p && isBlank(*p))
            *p++ = '\0';
        if (!*p)
            break;
        tokens[count++] = p;
        while (*p && !isBlank(*p))
            ++p;
        if (*p)
            *p++ = '\0';
    }
    for (int i = 0; i < count; ++i)
        console_print("%s ", tokens[i]);
    for (int i = 0; i < count; ++i) {
        long n = std::strtol(tokens[i], nullptr, 10);
        if (n >= 0 && n < railwayCount)
            st.iflag |= railways[n].mask;
    }
}

bool carryOutCommand(MonitorState& st, const CycleEnv& env)
{
    switch (st.pending) {
    case 'a':
    case 'A':
        selectLines(st);
        st.pending = 'r';
        return true;
    case 'f':
    case 'F':
        fareQuery(st);
        st.pending = 0;
        return true;
    case 0x4B:  // left arrow, or K
        st.ixf -= panStepX(st);
        clearAndFrame(st);
        st.pending = 'r';
        return true;
    case 0x4D:  // right arrow, or M
        st.pending = 0;
        if (static_cast<double>(st.frameWidth) * st.ratio > st.ixf) {
            st.ixf += panStepX(st);
            clearAndFrame(st);
            st.pending = 'r';
        }
        return true;
    case 0x50:  // down arrow, or P
        st.pending = 0;
        if (static_cast<double>(st.frameHeight) * st.ratio > st.iyf) {
            st.iyf += panStepY(st);
            clearAndFrame(st);
            st.pending = 'r';
        }
        return true;
    case 0x48:  // up arrow, or H
        st.iyf -= panStepY(st);
        clearAndFrame(st);
        st.pending = 'r';
        return true;
    case 'i':
        st.ratio += 1.0f;
        updateScales(st);
        clearAndFrame(st);
        st.pending = 'r';
        return true;
    case 'd':
        st.ratio -= 1.0f;
        if (!(st.ratio > 0.0f))
            st.ratio = 1.0f;
        updateScales(st);
        clearAndFrame(st);
        st.pending = 'r';
        return true;
    case 'r':
    case 'R':
        redraw(st, env);
        st.pending = 0;
        return true;
    case 'c':
    case 'C':
        clearWindow(st);
        st.pending = 0;
        return true;
    case 'h':
        printHelp();
        st.pending = 0;
        return true;
    case 'j':
    case 'J':
        kstr_flag = (kstr_flag + 1) % 2;
        console_print("kstr_flag :%d\n", kstr_flag);
        clearWindow(st);
        st.pending = 'r';
        return true;
    case 'm':
        st.plot_mode = (st.plot_mode + 1) % 4;
        if (st.plot_mode == 0)
            st.plot_mode = 1;
        else if (st.plot_mode == 2)
            st.plot_mode = 3;
        console_print("plot_mode:%d\n", st.plot_mode);
        clearWindow(st);
        st.pending = 'r';
        return true;
    case 's':
    case 'S':
        sound_flag = (sound_flag + 1) % 2;
        console_print("sound_flag :%d\n", sound_flag);
        st.pending = 0;
        return true;
    default:
        return false;
    }
}
