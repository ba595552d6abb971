// Playing a synthesised phrase on the sound device.
#pragma once

#include <atomic>
#include <string>

// Plays the WAV file through SDL audio when a device opens, else through
// aplay when it is installed, else not at all. Returns when the sound has
// ended or *cancel became true.
void speech_play_wav(const std::string& path, const std::atomic<bool>& cancel);
