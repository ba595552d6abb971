// Chime back-end: SDL audio queue, terminal bell as the fallback.
#include "platform/chime.h"

#include <SDL.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kToneMs = 120;   // each of the two notes
constexpr float kNotes[] = {1318.5f, 987.8f};  // a falling pair, E6 then B5

int played = 0;
bool tried = false;
SDL_AudioDeviceID device = 0;
std::vector<int16_t> samples;

bool soundDisabled()
{
    const char* s = std::getenv("LINEWATCH_SOUND");
    return s && std::strcmp(s, "none") == 0;
}

// Two notes, each with a short linear fade at both ends so they do not click.
void buildTone()
{
    const int perNote = kRate * kToneMs / 1000;
    const int fade = kRate / 200;
    for (float f : kNotes) {
        for (int i = 0; i < perNote; ++i) {
            float env = 1.0f;
            if (i < fade)
                env = static_cast<float>(i) / fade;
            else if (i > perNote - fade)
                env = static_cast<float>(perNote - i) / fade;
            double v = std::sin(2.0 * M_PI * f * i / kRate) * env * 0.25;
            samples.push_back(static_cast<int16_t>(v * 32767));
        }
    }
}

void openDevice()
{
    tried = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    buildTone();
    SDL_PauseAudioDevice(device, 0);
}

}  // namespace

void chime_play()
{
    ++played;
    if (soundDisabled())
        return;
    if (!tried)
        openDevice();
    if (device != 0) {
        // A chime still sounding is cut short rather than queued behind.
        SDL_ClearQueuedAudio(device);
        SDL_QueueAudio(device, samples.data(), static_cast<Uint32>(samples.size() * sizeof samples[0]));
        return;
    }
    ssize_t r = write(STDOUT_FILENO, "\a", 1);
    (void)r;
}

int chime_count()
{
    return played;
}

void chime_close()
{
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device = 0;
    }
}
