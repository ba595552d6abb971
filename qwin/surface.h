// The off-screen bitmap: 640 x 400 pixels of 0xRRGGBB, written by the raster
// operations on the main thread and read by the window back-end's repaints.
#pragma once

#include <cstdint>
#include <mutex>

// A half-open pixel rectangle: left <= x < right, top <= y < bottom.
struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;
};

// Held for every read of the bitmap and of its changed area, and for every
// write once surface_share was called.
extern std::mutex surface_mutex;

// Tells the bitmap that another thread (the window's) is about to read it;
// call before that thread starts. Until then the raster operations write
// without taking surface_mutex: the lock cost a pixel several times its write.
void surface_share();

// Allocates the bitmap if it does not exist yet; false when memory is short.
bool surface_create();
// The bitmap, row after row, 640 pixels a row; nullptr before surface_create.
// Hold surface_mutex while using it.
uint32_t* surface_pixels();
// Returns the area changed since the last call and forgets it (empty when
// right <= left). Hold surface_mutex.
PixelRect surface_take_changed();

// Fills area, clipped to the bitmap, with rgb.
void surface_fill(PixelRect area, uint32_t rgb);
// Draws area's one-pixel border in rgb and its interior in inside, clipped.
void surface_outline(PixelRect area, uint32_t rgb, uint32_t inside);
// Sets pixel (x, y), which must lie on the bitmap.
void surface_set(int x, int y, uint32_t rgb);
