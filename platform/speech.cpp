// Speech front: records every phrase, queues it for the worker thread, which
// hands it to the configured back-end to be spoken (or written into the
// configured folder).
#include "platform/speech.h"

#include "platform/charset.h"
#include "platform/console.h"
#include "platform/key_mask.h"
#include "platform/speech_backend.h"
#include "platform/speech_queue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

const std::size_t kQueueCapacity = 16;     // phrases waiting to be spoken
const std::size_t kRecordCapacity = 1024;  // phrases kept for speech_recorded

struct SpeechState {
    std::mutex startLock;  // guards started, active and the fields below
    bool started = false;
    bool active = false;  // a worker runs and phrases are queued
    bool overflowReported = false;
    SpeechSettings settings;                      // followed from the next start on
    const SpeechBackend* backend = &speech_null;  // chosen by settings at each start
    std::thread worker;
    std::atomic<bool> cancel{false};
    PhraseQueue queue{kQueueCapacity};
    std::string dir;  // the configured folder for WAV and text files; empty: play
    int nextNumber = 1;

    std::mutex recordLock;
    std::deque<std::string> record;  // at most kRecordCapacity phrases

    ~SpeechState();
};

void stopLocked(SpeechState& s)
{
    if (s.worker.joinable()) {
        s.cancel = true;
        phrase_close(s.queue);
        s.worker.join();
    }
    if (s.active)
        s.backend->close();
    s.active = false;
    s.started = false;
}

// The worker must be joined before the process ends.
SpeechState::~SpeechState()
{
    std::lock_guard<std::mutex> g(startLock);
    stopLocked(*this);
}

SpeechState& state()
{
    static SpeechState s;
    return s;
}

// The number after the highest NNNN.wav already in dir, so a second run does
// not overwrite the first one's phrases.
int firstFreeNumber(const std::string& dir)
{
    int highest = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        int n = 0;
        char tail[8] = {0};
        if (name.size() == 8 && std::sscanf(name.c_str(), "%4d.%3s", &n, tail) == 2 &&
            std::strcmp(tail, "wav") == 0 && n > highest)
            highest = n;
    }
    return highest + 1;
}

bool writeText(const std::string& path, const std::string& utf8)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << utf8;
    return bool(out);
}

void speakOne(SpeechState& s, const std::string& sjis)
{
    const std::string utf8 = cp932ToUtf8(sjis);
    if (s.dir.empty()) {
        s.backend->say(utf8, "", s.cancel);
        return;
    }
    char name[32];  // "/NNNN"; numbers beyond 9999 simply get longer
    std::snprintf(name, sizeof name, "/%04d", s.nextNumber++);
    const std::string base = s.dir + name;
    if (writeText(base + ".txt", utf8))
        s.backend->say(utf8, base + ".wav", s.cancel);
}

void work(SpeechState* s)
{
    std::string phrase;
    while (phrase_pop(s->queue, phrase)) {
        speakOne(*s, phrase);
        phrase_done(s->queue);
    }
}

void startLocked(SpeechState& s)
{
    s.started = true;
    s.active = false;
    s.overflowReported = false;
    s.backend = s.settings.silent ? &speech_null : &speech_engine;
    std::string notice;
    if (!s.backend->open(notice)) {
        if (!notice.empty())
            console_print("%s", notice.c_str());
        return;
    }
    s.dir = s.settings.keepDir;
    std::error_code error;
    if (!s.dir.empty() && !std::filesystem::create_directory(s.dir, error) &&
        !std::filesystem::is_directory(s.dir, error)) {
        s.backend->close();
        console_print("speech: cannot create %s; notices will not be spoken\n", s.dir.c_str());
        return;
    }
    s.nextNumber = s.dir.empty() ? 1 : firstFreeNumber(s.dir);
    {
        std::lock_guard<std::mutex> g(s.queue.lock);
        s.queue.closed = false;
        s.queue.phrases.clear();
        s.queue.busy = false;
    }
    s.cancel = false;
    s.worker = std::thread(work, &s);
    s.active = true;
}

}  // namespace

void configureSpeech(const SpeechSettings& settings)
{
    SpeechState& s = state();
    std::lock_guard<std::mutex> g(s.startLock);
    s.settings = settings;
}

void speech_start()
{
    SpeechState& s = state();
    std::lock_guard<std::mutex> g(s.startLock);
    if (!s.started)
        startLocked(s);
}

void speech_say(const char* sjis)
{
    // the key is masked last, in what is spoken
    const std::string phrase = maskShown(sjis, MaskEncoding::ShiftJis);
    SpeechState& s = state();
    {
        std::lock_guard<std::mutex> g(s.recordLock);
        if (s.record.size() >= kRecordCapacity)
            s.record.pop_front();
        s.record.push_back(phrase);
    }
    std::lock_guard<std::mutex> g(s.startLock);
    if (!s.started)
        startLocked(s);
    if (!s.active)
        return;
    if (phrase_push(s.queue, phrase.c_str()) && !s.overflowReported) {
        s.overflowReported = true;
        console_print("speech: too many phrases waiting; the oldest are dropped\n");
    }
}

bool speech_flush(int timeout_ms)
{
    SpeechState& s = state();
    {
        std::lock_guard<std::mutex> g(s.startLock);
        if (!s.active)
            return true;
    }
    return phrase_wait_idle(s.queue, timeout_ms);
}

void speech_stop()
{
    SpeechState& s = state();
    std::lock_guard<std::mutex> g(s.startLock);
    stopLocked(s);
}

std::vector<std::string> speech_recorded()
{
    SpeechState& s = state();
    std::lock_guard<std::mutex> g(s.recordLock);
    return std::vector<std::string>(s.record.begin(), s.record.end());
}

void speech_clear_record()
{
    SpeechState& s = state();
    std::lock_guard<std::mutex> g(s.recordLock);
    s.record.clear();
}
