// Opening and closing the window, the choice of back-end and the escape event.
#include "qwin/backend.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool first_open = true;
WindowSettings settings;
// Set by the first qwin_open; headless until then.
const WindowBackend* backend = &headless_window;
// Starts unset: only a press in the window (or qwin_set_escape) sets it.
std::atomic<bool> escape_event{false};

bool env_set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// An X server answers at $DISPLAY. The connection is closed again at once:
// every call the window makes stays on its own thread.
bool x_display_reachable()
{
    if (!env_set("DISPLAY"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XCloseDisplay(display);
    return true;
}

// A Wayland compositor listens on $WAYLAND_DISPLAY (a socket name under
// $XDG_RUNTIME_DIR, or a full path).
bool wayland_display_reachable()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return false;
    std::string path = name;
    if (name[0] != '/') {
        const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
        if (runtime_dir == nullptr || runtime_dir[0] == '\0')
            return false;
        path = std::string(runtime_dir) + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// A window only where a display answers: a stale $DISPLAY (a closed remote
// session, say) leaves the monitor running on its bitmap instead of ending it.
const WindowBackend* choose_backend()
{
    if (settings.headless)
        return &headless_window;
    if (x_display_reachable() || wayland_display_reachable())
        return &sdl_window;
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
void close_at_exit()
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
        std::atexit(close_at_exit);
        first_open = false;
        backend = chosen_backend();
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

void qwin_set_escape()
{
    escape_event.store(true);
}
