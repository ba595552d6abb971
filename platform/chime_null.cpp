// The silent chime: nothing to play, nothing to release.
#include "platform/chime_backend.h"

namespace {
void nothing() {}
}  // namespace

const ChimeBackend chime_null = {nothing, nothing};
