// Speech of Shift_JIS phrases, one call per phrase, never blocking the caller.
#pragma once

#include <string>
#include <vector>

// Whether and where phrases are spoken; the program's configuration fills it.
struct SpeechSettings {
    bool silent = false;  // nothing is spoken, calls are only recorded
    // Non-empty: each phrase is written as keepDir/NNNN.wav and keepDir/NNNN.txt
    // (UTF-8) instead of being played.
    std::string keepDir;
};

// Makes settings the ones the next start of the worker follows; until the
// first call the defaults above apply.
void configureSpeech(const SpeechSettings& settings);

// Queues one NUL-terminated Shift_JIS phrase, the key masked (maskShown);
// phrases are spoken in order.
// The first call starts the engine when speech_start was not called.
void speech_say(const char* sjis);

// Starts the speech worker; prints one notice when no engine is installed.
void speech_start();

// Waits until every queued phrase has been spoken or written (at most
// timeout_ms milliseconds); returns true when the queue ran empty.
bool speech_flush(int timeout_ms);

// Stops the worker after the current phrase; later calls are only recorded.
void speech_stop();

// Every phrase passed to speech_say since the last speech_clear_record, in order.
std::vector<std::string> speech_recorded();

// Empties the record of spoken phrases.
void speech_clear_record();
