// The chime's front: counts every chime and hands it to the configured back-end.
#include "platform/chime.h"

#include "platform/chime_backend.h"

namespace {
const ChimeBackend* backend = &chime_device;
int played = 0;
}  // namespace

void configureChime(const ChimeSettings& settings)
{
    backend = settings.silent ? &chime_null : &chime_device;
}

void chime_play()
{
    ++played;
    backend->play();
}

int chime_count()
{
    return played;
}

void chime_close()
{
    backend->close();
}
