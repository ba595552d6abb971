// Opening and closing the window, the choice of back-end and the escape event.
#include "qwin/backend.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool first_open = true;
// Chosen by the first qwin_open; headless until then.
const WindowBackend* backend = &headless_window;
// Starts unset: only a press in the window (or qwin_set_escape) sets it.
std::atomic<bool> escape_event{false};

bool env_set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

const WindowBackend* choose_backend()
{
    const char* headless = std::getenv("LINEWATCH_HEADLESS");
    if (headless != nullptr && std::strcmp(headless, "1") == 0)
        return &headless_window;
    if (env_set("DISPLAY") || env_set("WAYLAND_DISPLAY"))
        return &sdl_window;
    return &headless_window;
}

// At exit nobody is left to click the window, so it closes at once.
void close_at_exit()
{
    backend->stop(true);
}
}  // namespace

void window_changed()
{
    backend->changed();
}

void qwin_open()
{
    if (first_open) {
        std::atexit(close_at_exit);
        first_open = false;
        backend = choose_backend();
        backend->start();
    }
    if (!surface_create()) {
        std::fputs("Can't create bitmap.\n", stderr);
        std::exit(1);
    }
    surface_fill({0, 0, qwin_width, qwin_height}, 0);
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

void qwin_set_escape()
{
    escape_event.store(true);
}
