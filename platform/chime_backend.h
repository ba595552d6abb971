// The chime's back-ends: the platform's sound device, or none. CMake compiles
// the platform's one (chime_sdl.cpp); the configuration chooses between the two.
#pragma once

// What the chime needs of a back-end.
struct ChimeBackend {
    // Starts one tone and returns at once.
    void (*play)();
    // Stops a playing tone and releases the device; safe to repeat.
    void (*close)();
};

// Plays nothing (chime_null.cpp).
extern const ChimeBackend chime_null;
// The platform's sound device (SDL audio, terminal bell when none opens: chime_sdl.cpp).
extern const ChimeBackend chime_device;
