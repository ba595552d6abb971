#include "platform/speech_play.h"

#include "platform/audio_sdl.h"
#include "platform/speech_child.h"

#include <SDL.h>

namespace {

// Longer than any 200-byte phrase takes to say.
const int kPlayLimitMs = 60000;

bool playSdl(const std::string& path, const std::atomic<bool>& cancel)
{
    std::unique_lock<std::mutex> setup(audio_setup_lock());
    audio_quiet_library_errors();
    // Ctrl-C and SIGTERM stay the program's, not events nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    bool played = false;
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &spec, &samples, &length)) {
        SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
        if (dev != 0) {
            played = SDL_QueueAudio(dev, samples, length) == 0;
            SDL_PauseAudioDevice(dev, 0);
            setup.unlock();
            int waited = 0;
            while (played && SDL_GetQueuedAudioSize(dev) > 0 && !cancel.load() && waited < kPlayLimitMs) {
                SDL_Delay(20);
                waited += 20;
            }
            setup.lock();
            SDL_CloseAudioDevice(dev);
        }
        SDL_FreeWAV(samples);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // SDL frees what it keeps for a thread (its error text) only for threads it
    // started; this is the speech worker.
    SDL_TLSCleanup();
    return played;
}

}  // namespace

void speech_play_wav(const std::string& path, const std::atomic<bool>& cancel)
{
    if (playSdl(path, cancel))
        return;
    std::string aplay = speech_find_program("aplay");
    if (!aplay.empty())
        speech_run_child({aplay, "-q", path}, nullptr, kPlayLimitMs, cancel);
}
