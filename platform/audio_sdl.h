// What the SDL audio users (the chime and speech playback) share.
#pragma once

#include <mutex>

// Held while SDL audio or a device is started or stopped: the chime's opener
// and speech playback do that on two threads, and SDL's set-up must not overlap.
std::mutex& audio_setup_lock();

// Stops the sound library printing its own error messages on stderr; call
// before starting SDL audio. Failures still show in SDL's return values.
void audio_quiet_library_errors();
