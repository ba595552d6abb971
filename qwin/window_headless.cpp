// The headless back-end: no thread, no window; the bitmap is the picture.
#include "qwin/backend.h"

namespace {
bool always()
{
    return true;
}
void nothing() {}
void stop(bool) {}
}  // namespace

const WindowBackend headless_window = {always, nothing, stop, nothing};
