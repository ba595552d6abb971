// The speech worker's back-ends: the platform's synthesiser, or none. CMake
// compiles the platform's one (speech_jtalk.cpp); the configuration chooses
// between the two at each start of the worker.
#pragma once

#include <atomic>
#include <string>

// What the speech worker needs of a back-end.
struct SpeechBackend {
    // Prepares the engine before the worker starts. False when it cannot
    // speak, with the start-up line to print in notice (none when empty).
    bool (*open)(std::string& notice);
    // On the worker thread: speaks the UTF-8 text aloud or, when wavPath is
    // not empty, writes it there as a WAV file instead. Returns once done,
    // failed, or soon after cancel became true.
    void (*say)(const std::string& utf8, const std::string& wavPath, const std::atomic<bool>& cancel);
    // Releases what open made; the worker has ended.
    void (*close)();
};

// Speaks nothing and starts no worker; the front still records every phrase
// (speech_null.cpp).
extern const SpeechBackend speech_null;
// The platform's synthesiser (Open JTalk played through the sound device:
// speech_jtalk.cpp).
extern const SpeechBackend speech_engine;
