// The off-screen bitmap and the record of what changed since the last present.
#include "qwin/surface.h"

#include "qwin/backend.h"
#include "qwin/qwin.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

std::mutex surface_mutex;

namespace {
// Process lifetime: the bitmap is never replaced, drawing outlives the window.
uint32_t* pixels = nullptr;
PixelRect changed = {0, 0, 0, 0};
std::atomic<bool> shared{false};

// surface_mutex, held while it lives when another thread reads the bitmap.
std::unique_lock<std::mutex> writeLock()
{
    if (shared.load(std::memory_order_relaxed))
        return std::unique_lock<std::mutex>(surface_mutex);
    return std::unique_lock<std::mutex>();
}

PixelRect clip(PixelRect area)
{
    return {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, qwin_width),
            std::min(area.bottom, qwin_height)};
}

bool isEmpty(PixelRect area)
{
    return area.right <= area.left || area.bottom <= area.top;
}

// Caller holds surface_mutex; area is clipped and not empty.
void markChanged(PixelRect area)
{
    if (isEmpty(changed)) {
        changed = area;
        return;
    }
    changed.left = std::min(changed.left, area.left);
    changed.top = std::min(changed.top, area.top);
    changed.right = std::max(changed.right, area.right);
    changed.bottom = std::max(changed.bottom, area.bottom);
}

// Caller holds surface_mutex; (x, y) lies on the bitmap. Pixels drawn one by
// one mostly fall inside the area changed already, which then stays as it is
// without being written again.
void markPixelChanged(int x, int y)
{
    if (x >= changed.left && x < changed.right && y >= changed.top && y < changed.bottom)
        return;
    markChanged({x, y, x + 1, y + 1});
}

// Caller holds surface_mutex; area is clipped.
void fillLocked(PixelRect area, uint32_t rgb)
{
    for (int y = area.top; y < area.bottom; ++y)
        std::fill(pixels + y * qwin_width + area.left, pixels + y * qwin_width + area.right, rgb);
}
}  // namespace

void surface_share()
{
    shared.store(true);
}

bool surface_create()
{
    std::lock_guard<std::mutex> lock(surface_mutex);
    if (pixels == nullptr)
        pixels = static_cast<uint32_t*>(std::calloc(qwin_width * qwin_height, sizeof(uint32_t)));
    return pixels != nullptr;
}

uint32_t* surface_pixels()
{
    return pixels;
}

PixelRect surface_take_changed()
{
    PixelRect area = changed;
    changed = {0, 0, 0, 0};
    return area;
}

void surface_fill(PixelRect area, uint32_t rgb)
{
    area = clip(area);
    if (isEmpty(area))
        return;
    {
        const auto lock = writeLock();
        if (pixels == nullptr)
            return;
        fillLocked(area, rgb);
        markChanged(area);
    }
    window_changed();
}

void surface_outline(PixelRect area, uint32_t rgb, uint32_t inside)
{
    const PixelRect whole = clip(area);
    if (isEmpty(whole))
        return;
    const PixelRect interior = clip({area.left + 1, area.top + 1, area.right - 1, area.bottom - 1});
    {
        const auto lock = writeLock();
        if (pixels == nullptr)
            return;
        fillLocked(whole, rgb);
        if (!isEmpty(interior))
            fillLocked(interior, inside);
        markChanged(whole);
    }
    window_changed();
}

void surface_set(int x, int y, uint32_t rgb)
{
    {
        const auto lock = writeLock();
        if (pixels == nullptr)
            return;
        pixels[y * qwin_width + x] = rgb;
        markPixelChanged(x, y);
    }
    window_changed();
}
