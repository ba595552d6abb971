// The window back-ends behind qwin_open/qwin_close: the platform's window on a
// thread of its own, or none at all (headless). CMake compiles the platform's
// one (window_sdl.cpp, window_gdi.cpp on Windows); the configuration and its
// probe choose, once per run.
#pragma once

// What qwin needs of a window back-end.
struct WindowBackend {
    // True when a window can be shown here (a display answers); never blocks for long.
    bool (*reachable)();
    // Shows the window and returns once it exists; exits with status 1 and a
    // message on stderr when it cannot.
    void (*start)();
    // Ends the window thread at its next event and waits for it; returns at
    // once when there is none, it has ended, or on the window thread itself.
    // at_once: end it now instead of at the next event (the program is exiting).
    void (*stop)(bool at_once);
    // Tells the window that the bitmap changed; cheap, called after every figure.
    void (*changed)();
};

// No window: the bitmap is the only picture.
extern const WindowBackend headless_window;
// The platform's window on a thread of its own (SDL2: window_sdl.cpp; GDI:
// window_gdi.cpp).
extern const WindowBackend display_window;

// Forwards a bitmap change to the back-end in use.
void window_changed();
