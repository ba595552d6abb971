// The SDL2 back-end. One thread owns the window and makes every SDL video call:
// it creates the window, polls its events, repaints from the bitmap and
// presents what the main thread drew, at most about 60 times a second.
//
// Sections: thread state · painting · event handling · thread body · display probe ·
// back-end entry points
#include "qwin/backend.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {
// ---- thread state ----
constexpr Uint32 kPresentIntervalMs = 16;
// How long the window thread sleeps between looks at its events and the bitmap.
constexpr Uint32 kPollIntervalMs = 8;

pthread_t window_thread;
// A window thread was started and not yet waited for.
std::atomic<bool> thread_started{false};
// True on the window thread, whose own exit must not wait for itself.
thread_local bool on_window_thread = false;
// Set by qwin_close; the window thread acts on it after the next event it handles.
std::atomic<bool> quit_request{false};
// Posted once by the window thread when its window exists. A plain semaphore:
// it has no destructor, so an exit from either thread cannot tear it down
// under a waiter.
sem_t ready_event;
// The bitmap changed since the window thread last presented it.
std::atomic<bool> bitmap_changed{false};
// Close without waiting for an event: the program is exiting.
std::atomic<bool> close_now{false};

// ---- painting ----

// Copies area of the bitmap (black where none exists yet) to the window.
void paint(SDL_Window* window, SDL_Rect area)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(surface_mutex);
        uint32_t* pixels = surface_pixels();
        if (pixels == nullptr) {
            SDL_FillRect(target, &area, SDL_MapRGB(target->format, 0, 0, 0));
        } else {
            SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(pixels, qwin_width, qwin_height, 32,
                                                                     qwin_width * 4, SDL_PIXELFORMAT_RGB888);
            if (source == nullptr)
                return;
            SDL_Rect to = area;
            SDL_BlitSurface(source, &area, target, &to);
            SDL_FreeSurface(source);
        }
    }
    SDL_UpdateWindowSurfaceRects(window, &area, 1);
}

// Presents what changed in the bitmap since the last present.
void presentChanges(SDL_Window* window)
{
    PixelRect changed;
    {
        std::lock_guard<std::mutex> lock(surface_mutex);
        changed = surface_take_changed();
    }
    if (changed.right > changed.left && changed.bottom > changed.top)
        paint(window,
              {changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top});
}

void repaintWindow(SDL_Window* window)
{
    paint(window, {0, 0, qwin_width, qwin_height});
}

// ---- event handling ----

enum class Next { carry_on, end };

// Acts on one event. Every event counts as a message to the window, after
// which a pending quit request takes effect.
Next handle(SDL_Window* window, const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        return Next::end;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            repaintWindow(window);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED:
            if (event.window.data1 != qwin_width || event.window.data2 != qwin_height) {
                SDL_SetWindowSize(window, qwin_width, qwin_height);
                repaintWindow(window);
            }
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            SDL_RestoreWindow(window);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // The close box: the window goes, drawing into the bitmap goes on.
            return Next::end;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE)
            qwin_set_escape();
        if (event.key.repeat != 0)
            break;
        if (event.key.keysym.sym == SDLK_F5)
            repaintWindow(window);
        break;
    default:
        break;
    }
    return quit_request.load() ? Next::end : Next::carry_on;
}

// Handles events until the window is closed or a quit request meets an event,
// and presents bitmap changes at most every kPresentIntervalMs. It polls
// rather than waits: SDL's waiting wakes itself with an X event sent over a
// second connection, and when the window is destroyed just after (Escape,
// close box) that event meets a destroyed window and Xlib's default error
// handler ends the program with status 1.
void runEvents(SDL_Window* window)
{
    Uint32 last_present = SDL_GetTicks() - kPresentIntervalMs;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            if (handle(window, event) == Next::end)
                return;
        if (close_now.load())
            return;
        if (bitmap_changed.load() && SDL_GetTicks() - last_present >= kPresentIntervalMs) {
            bitmap_changed.store(false);
            presentChanges(window);
            last_present = SDL_GetTicks();
        }
        SDL_Delay(kPollIntervalMs);
    }
}

// ---- thread body ----

void* window_main(void*)
{
    on_window_thread = true;
    // Ctrl-C in the console must stay the terminal's, not become an SDL event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Plain pixel copies to the X server; a GL renderer buys nothing here.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fputs("Can't register class.\n", stderr);
        std::exit(1);
    }
    SDL_Window* window = SDL_CreateWindow("qwin", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          qwin_width, qwin_height, SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        std::fputs("Can't create window.\n", stderr);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        std::exit(1);
    }
    repaintWindow(window);
    sem_post(&ready_event);
    runEvents(window);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The rest of SDL (hints, D-Bus) goes too unless another part of the
    // program still uses it (the chime's audio).
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
    return nullptr;
}

// ---- display probe ----

bool envSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// An X server answers at $DISPLAY. The connection is closed again at once:
// every call the window makes stays on its own thread.
bool xDisplayReachable()
{
    if (!envSet("DISPLAY"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XCloseDisplay(display);
    return true;
}

// A Wayland compositor listens on $WAYLAND_DISPLAY (a socket name under
// $XDG_RUNTIME_DIR, or a full path).
bool waylandDisplayReachable()
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

// An X server or a Wayland compositor answers.
bool reachable()
{
    return xDisplayReachable() || waylandDisplayReachable();
}

// ---- back-end entry points ----

void start()
{
    sem_init(&ready_event, 0, 0);
    if (pthread_create(&window_thread, nullptr, window_main, nullptr) != 0) {
        std::fputs("Can't create thread.\n", stderr);
        std::exit(1);
    }
    thread_started.store(true);
    while (sem_wait(&ready_event) != 0 && errno == EINTR) {}
}

void stop(bool at_once)
{
    if (on_window_thread || !thread_started.load())
        return;
    quit_request.store(true);
    close_now.store(at_once);
    pthread_join(window_thread, nullptr);
    thread_started.store(false);
}

void changed()
{
    bitmap_changed.store(true);
}
}  // namespace

const WindowBackend display_window = {reachable, start, stop, changed};
