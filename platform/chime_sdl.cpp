// Chime back-end: SDL audio queue, terminal bell as the fallback. The audio
// device is opened on a helper thread, since opening it may take a while.
#include "platform/audio_sdl.h"
#include "platform/chime_backend.h"
#include "platform/chime_tone.h"

#include <SDL.h>
#include <atomic>
#include <cstdint>
#include <unistd.h>
#include <vector>

namespace {

enum class Device { Unopened, Opening, Open, Failed };

std::atomic<Device> device{Device::Unopened};
std::atomic<bool> pendingTone{false};  // a chime asked for while the device was opening
SDL_AudioDeviceID deviceId = 0;        // written by the opener before device becomes Open
std::vector<int16_t> samples;          // written by the opener before device becomes Open
// The opener is an SDL thread: SDL frees what it keeps for a thread (its error
// text) only for its own threads, and a plain pointer has nothing to destroy
// at exit. chime_close waits for it.
SDL_Thread* opener = nullptr;

// Only a terminal rings; in a file or a pipe the byte would be noise in the text.
void ringBell()
{
    if (!isatty(STDOUT_FILENO))
        return;
    ssize_t r = write(STDOUT_FILENO, "\a", 1);
    (void)r;
}

// A chime still sounding is cut short rather than queued behind.
void queueTone()
{
    SDL_ClearQueuedAudio(deviceId);
    SDL_QueueAudio(deviceId, samples.data(), static_cast<Uint32>(samples.size() * sizeof samples[0]));
}

// Plays a chime that was asked for while the device was opening, once its fate is known.
void playPending()
{
    if (!pendingTone.exchange(false))
        return;
    if (device == Device::Open)
        queueTone();
    else
        ringBell();
}

int openDevice(void*)
{
    std::unique_lock<std::mutex> setup(audio_setup_lock());
    audio_quiet_library_errors();
    // Audio brings up SDL's event layer, which would otherwise take Ctrl-C and
    // SIGTERM for itself; with no window polling its events they would be lost.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        SDL_AudioSpec want;
        SDL_zero(want);
        want.freq = kChimeSampleRate;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 1024;
        deviceId = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (deviceId == 0)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (deviceId == 0) {
        device = Device::Failed;
    } else {
        samples = chime_tone();
        SDL_PauseAudioDevice(deviceId, 0);
        device = Device::Open;
    }
    setup.unlock();
    playPending();
    return 0;
}

void playTone()
{
    switch (device.load()) {
    case Device::Unopened:
        pendingTone = true;
        device = Device::Opening;
        opener = SDL_CreateThread(openDevice, "chime", nullptr);
        if (opener == nullptr) {
            device = Device::Failed;
            playPending();
        }
        break;
    case Device::Opening:
        pendingTone = true;
        // The opener may have finished meanwhile; whoever takes the flag plays it.
        if (device != Device::Opening)
            playPending();
        break;
    case Device::Open:
        queueTone();
        break;
    case Device::Failed:
        ringBell();
        break;
    }
}

void closeDevice()
{
    if (opener != nullptr) {
        SDL_WaitThread(opener, nullptr);
        opener = nullptr;
    }
    if (device == Device::Open) {
        std::lock_guard<std::mutex> setup(audio_setup_lock());
        SDL_CloseAudioDevice(deviceId);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        deviceId = 0;
        device = Device::Unopened;
    }
}

}  // namespace

const ChimeBackend chime_device = {playTone, closeDevice};
