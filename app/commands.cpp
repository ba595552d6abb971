#include "app/commands.h"

#include "app/fare.h"
#include "app/map.h"
#include "app/next_trains_query.h"
#include "app/projection.h"
#include "app/trains.h"
#include "graph/graphport.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"

#include <cstdlib>

namespace {

// Room for 255 characters and the NUL; the dialogue reads at most 10 tokens.
constexpr int kLineCapacity = 256;
constexpr int kMaxTokens = 10;

const char* const kHelp[] = {
    "c : 画像のクリア",       "j : 日本語駅名表示 on/off",
    "i : ズームイン",         "d : ズームアウト",
    "↓ → ← ↑ : 表示領域移動", "r : 画像の再描画",
    "f : 料金情報検索",       "h : ヘルプ",
    "m : 表示モード変更",     "q : 終了",
    "s : sound on/off",       "t : 次の発車案内",
};

void clearWindow(const MonitorState& st)
{
    st.port->cls(0);
}

void clearAndFrame(const MonitorState& st)
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

// Moves the view by step pixels (a third of the frame, cut toward zero, either
// way) along offset; the next quiet pass redraws.
void pan(MonitorState& st, int32_t& offset, int32_t step)
{
    offset += step;
    clearAndFrame(st);
    st.pending = 'r';
}

// Right and down: refused once the offset is no longer below the zoomed frame size.
void panForward(MonitorState& st, int32_t& offset, int32_t frameSize)
{
    st.pending = 0;
    if (static_cast<double>(frameSize) * st.ratio > offset)
        pan(st, offset, frameSize / 3);
}

// Zoom by delta; a zoom that would reach zero or below goes back to 1.
void zoom(MonitorState& st, float delta)
{
    st.ratio += delta;
    if (!(st.ratio > 0.0f))
        st.ratio = 1.0f;
    updateScales(st);
    clearAndFrame(st);
    st.pending = 'r';
}

// A switch read from the settings may hold any value; (v + 1) mod 2 without overflow.
int32_t toggled(int32_t v)
{
    return static_cast<int32_t>((int64_t{v} + 1) % 2);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The key list, three entries to a line.
void printHelp()
{
    constexpr int kEntries = sizeof kHelp / sizeof kHelp[0];
    for (int i = 0; i < kEntries; ++i) {
        const char* sep = i == kEntries - 1 ? "" : ((i + 1) % 3 == 0 ? "\n" : ",\t");
        console_print("%s%s", kHelp[i], sep);
    }
    console_print("\n");
}

}  // namespace

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
    case 't':
    case 'T':
        nextTrainsQuery(st, env);
        st.pending = 0;
        return true;
    case kConsoleArrowLeft:  // or K
        pan(st, st.ixf, -(st.frameWidth / 3));
        return true;
    case kConsoleArrowRight:  // or M
        panForward(st, st.ixf, st.frameWidth);
        return true;
    case kConsoleArrowDown:  // or P
        panForward(st, st.iyf, st.frameHeight);
        return true;
    case kConsoleArrowUp:  // or H
        pan(st, st.iyf, -(st.frameHeight / 3));
        return true;
    case 'i':
        zoom(st, 1.0f);
        return true;
    case 'd':
        zoom(st, -1.0f);
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
        kstr_flag = toggled(kstr_flag);
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
        sound_flag = toggled(sound_flag);
        console_print("sound_flag :%d\n", sound_flag);
        st.pending = 0;
        return true;
    default:
        return false;
    }
}
