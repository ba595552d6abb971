#include "platform/chime.h"

#include <alsa/asoundlib.h>

namespace {

// libasound reports a missing card with several lines of its own on stderr
// before SDL's open fails; the failure itself still reaches the caller, who
// reports it once or rings the bell instead.
void dropAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void audio_quiet_library_errors()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(dropAlsaError); });
}
