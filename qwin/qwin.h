// qwin: the program's one 640 x 400 graphics window, its off-screen bitmap
// (the picture of record) and the raster operations drawing into both.
// Coordinates are pixels, x to the right, y downward, (0, 0) top left.
// Colours are palette indices 0-15; other values are taken modulo 16.
#pragma once

#include "platform/file.h"

#include <cstdint>

// Width of the window's client area and of the off-screen bitmap, in pixels.
constexpr int qwin_width = 640;
// Height of the window's client area and of the off-screen bitmap, in pixels.
constexpr int qwin_height = 400;

// One palette colour, 0-255 per channel.
struct PaletteEntry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// The fixed 16-colour palette, indexed by colour number.
extern const PaletteEntry palette[16];

// How the window is shown; the program's configuration fills it.
struct WindowSettings {
    bool headless = false;  // draw into the bitmap only, even where a display answers
};

// Makes settings the ones the back-end is chosen by; until the first call the
// defaults above apply. Has no effect once the back-end has been chosen.
void configureWindow(const WindowSettings& settings);

// Opens the window on first use (the platform's window, or headless when so
// configured or no display is reachable) and clears the bitmap to black; exits with status 1
// and a message on stderr when the window cannot be made.
void qwin_open();
// True when the window is headless: configured so, or no display answers.
// Decided once per run, at this call or the first qwin_open, whichever comes
// first; qwin_open then uses the same back-end.
bool qwin_headless();
// Ends the window thread once the window receives its next event, waiting for
// it; returns at once when headless, after the window was closed, on a second
// call or on the window thread. Also runs as an exit hook.
void qwin_close();

// Clears the whole bitmap and window to black.
void qwin_cls();
// Fills left <= x < right, top <= y < bottom; draws nothing when x2 as passed
// is >= 640 or the lower edge is >= 400 or < 0.
void qwin_boxf(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour);
// Outlines the half-open rectangle in colour with a white interior; draws
// nothing when x2 >= 640 or y2 >= 400 as passed.
void qwin_rect(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour);
// Sets one pixel; x and y are compared as unsigned, so negatives draw nothing.
void qwin_pset(int32_t x, int32_t y, int32_t colour);
// Draws a line including both end points, one qwin_pset per pixel.
void qwin_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
// Mode 2: closed outline of four lines in the current colour; any other mode:
// qwin_rect in the current colour. Returns 0.
int qwin_box(int16_t mode, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
// Returns the current colour (initially 0).
int32_t qwin_getcolor();
// Makes colour current and returns it.
int32_t qwin_setcolor(int32_t colour);

// Ends the program with status 0 if Escape was pressed in the window since the
// last look (the drawing checkpoint and the main cycle call this); otherwise
// returns at once.
void qwin_poll_escape();
// True when Escape was pressed in the window since qwin_poll_escape last
// looked; leaves the press for it and never ends the program.
bool qwin_escape_pressed();
// Records an Escape press, as the window does on the Escape key (tests).
void qwin_set_escape();

// Writes the bitmap as a 640 x 400 RGB PNG file through the file service
// (replaced whole; a symlink, mode and hard links kept); saved only if it was
// written completely.
FileSave qwin_snapshot(const char* path);
// Returns the bitmap pixel at (x, y) as 0xRRGGBB; 0 outside the bitmap or
// before the first qwin_open.
uint32_t qwin_pixel(int x, int y);
// Returns palette colour `colour` as 0xRRGGBB, as qwin_pixel reports it.
uint32_t qwin_rgb(int32_t colour);
