// SDL audio over ALSA: the set-up lock and a quiet libasound.
#include "platform/audio_sdl.h"

#include <alsa/asoundlib.h>

namespace {

// libasound reports a missing card with several lines of its own on stderr
// before SDL's open fails; the failure itself still reaches the caller, who
// reports it once or rings the bell instead.
void dropAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

std::mutex& audio_setup_lock()
{
    static std::mutex lock;
    return lock;
}

void audio_quiet_library_errors()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(dropAlsaError); });
}
