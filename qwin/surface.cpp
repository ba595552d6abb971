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
std::unique_lock<std::mutex> write_lock()
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

bool is_empty(PixelRect area)
{
    return area.right <= area.left || area.bottom <= area.top;
}

// Caller holds surface_mutex; area is clipped and not empty.
void mark_changed(PixelRect area)
{
    if (is_empty(changed)) {
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
void mark_pixel_changed(int x, int y)
{
    if (x >= changed.left && x < changed.right && y >= changed.top && y < changed.bottom)
        return;
    mark_changed({x, y, x + 1, y + 1});
}

// Caller holds surface_mutex; area is clipped.
void fill_locked(PixelRect area, uint32_t rgb)
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
    if (is_empty(area))
        return;
    {
        const auto lock = write_lock();
        if (pixels == nullptr)
            return;
        fill_locked(area, rgb);
        mark_changed(area);
    }
    window_changed();
}

void surface_outline(PixelRect area, uint32_t rgb, uint32_t inside)
{
    const PixelRect whole = clip(area);
    if (is_empty(whole))
        return;
    const PixelRect interior = clip({area.left + 1, area.top + 1, area.right - 1, area.bottom - 1});
    {
        const auto lock = write_lock();
        if (pixels == nullptr)
            return;
        fill_locked(whole, rgb);
        if (!is_empty(interior))
            fill_locked(interior, inside);
        mark_changed(whole);
    }
    window_changed();
}

void surface_set(int x, int y, uint32_t rgb)
{
    {
        const auto lock = write_lock();
        if (pixels == nullptr)
            return;
        pixels[y * qwin_width + x] = rgb;
        mark_pixel_changed(x, y);
    }
    window_changed();
}
