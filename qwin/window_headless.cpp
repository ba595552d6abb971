// The headless back-end: no thread, no window; the bitmap is the picture.
#include "qwin/backend.h"

namespace {
void nothing() {}
void stop(bool) {}
}  // namespace

const WindowBackend headless_window = {nothing, stop, nothing};
