// Opening and closing the window, the choice of back-end and the escape event.
#include "qwin/backend.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {
bool first_open = true;
WindowSettings settings;
// Set by the first qwin_open; headless until then.
const WindowBackend* backend = &headless_window;
// Starts unset: only a press in the window (or qwin_set_escape) sets it.
std::atomic<bool> escape_event{false};

// A window only where a display answers: a stale display (a closed remote
// session, say) leaves the monitor running on its bitmap instead of ending it.
const WindowBackend* choose_backend()
{
    if (!settings.headless && display_window.reachable())
        return &display_window;
    return &headless_window;
}

// The choice is made once, so the answer given before the window opens is
// the back-end it opens with.
const WindowBackend* chosen_backend()
{
    static const WindowBackend* const chosen = choose_backend();
    return chosen;
}

// At exit nobody is left to click the window, so it closes at once.
void closeAtExit()
{
    backend->stop(true);
}
}  // namespace

void configureWindow(const WindowSettings& chosen)
{
    settings = chosen;
}

void window_changed()
{
    backend->changed();
}

void qwin_open()
{
    if (first_open) {
        std::atexit(closeAtExit);
        first_open = false;
        backend = chosen_backend();
        if (backend != &headless_window)
            surface_share();
        backend->start();
    }
    if (!surface_create()) {
        std::fputs("Can't create bitmap.\n", stderr);
        std::exit(1);
    }
    surface_fill({0, 0, qwin_width, qwin_height}, 0);
}

bool qwin_headless()
{
    return chosen_backend() == &headless_window;
}

void qwin_close()
{
    backend->stop(false);
}

void qwin_poll_escape()
{
    if (escape_event.exchange(false))
        std::exit(0);
}

bool qwin_escape_pressed()
{
    return escape_event.load();
}

void qwin_set_escape()
{
    escape_event.store(true);
}
