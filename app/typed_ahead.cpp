#include "app/typed_ahead.h"

#include "app/monitor_state.h"
#include "platform/console.h"
#include "qwin/qwin.h"

namespace {

// Appends key to the keys typed during a download; a full list drops its oldest.
void keepTypedKey(MonitorState& st, int32_t key)
{
    if (st.typedAheadCount == kTypedAheadCapacity) {
        st.typedAheadFirst = (st.typedAheadFirst + 1) % kTypedAheadCapacity;
        --st.typedAheadCount;
    }
    st.typedAhead[(st.typedAheadFirst + st.typedAheadCount) % kTypedAheadCapacity] = key;
    ++st.typedAheadCount;
}

}  // namespace

bool isQuit(int key)
{
    return key == 'q' || key == 'Q';
}

bool downloadInterrupted(MonitorState& st)
{
    if (qwin_escape_pressed())
        return true;
    while (console_key_waiting()) {
        const int key = console_read_key();
        if (isQuit(key)) {
            // The keys before it would never be carried out: passes read
            // them one after another, and the quit ends the loop.
            st.typedAheadCount = 0;
            keepTypedKey(st, key);
            return true;
        }
        keepTypedKey(st, key);
    }
    return false;
}

bool keyWaiting(const MonitorState& st)
{
    return st.typedAheadCount > 0 || console_key_waiting();
}

int readKey(MonitorState& st)
{
    if (st.typedAheadCount == 0)
        return console_read_key();
    const int key = st.typedAhead[st.typedAheadFirst];
    st.typedAheadFirst = (st.typedAheadFirst + 1) % kTypedAheadCapacity;
    --st.typedAheadCount;
    return key;
}
