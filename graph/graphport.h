// GraphPort: the drawing object over the qwin window. Every coordinate is a
// window pixel (x right, y down); colours are palette indices 0-15.
#pragma once

#include <cstdint>

// One dot of the bitmap-font work grid: its window position and whether it is ink.
struct GlyphDot {
    int16_t x;
    int16_t y;
    uint16_t on;
};

class GraphPort {
public:
    // Number of palette colours, 16 after gopen.
    int32_t colours;
    // Page size ratio, 1.0 after gopen.
    float sizeratio;
    // Owned 34-byte glyph buffer: width, height, 32 bitmap bytes (zeroed at construction).
    unsigned char* glyph;
    // Size of a glyph in `glyph`, 34 once putglyph has run.
    int16_t glyphbytes;
    // Number of records in the font table.
    int32_t fontcount;
    // Work grid of putglyph, indexed [column][row].
    GlyphDot dots[16][16];
    // Page width in pixels (640).
    int32_t xsize;
    // Horizontal offset of the frame (10).
    int32_t xshift;
    // Right limit of the laid-out frame; cls clears up to it.
    int32_t xmax;
    // Left limit of the laid-out frame; cls clears from it.
    int32_t xmin;
    // Frame width in pixels.
    int32_t xspan;
    // Left edge of the plot frame (the application may move it).
    int32_t left;
    // Horizontal centre of the frame.
    int32_t xcentre;
    // Right edge of the plot frame (the application may move it).
    int32_t right;
    // Page height in pixels (400).
    int32_t ysize;
    // Vertical offset of the frame (30).
    int32_t yshift;
    // Lower limit of the laid-out frame (larger y); cls clears up to it.
    int32_t ymax;
    // Upper limit of the laid-out frame (smaller y); cls clears from it.
    int32_t ymin;
    // Frame height in pixels (the application may change it).
    int32_t yspan;
    // Top edge of the plot frame (the application may move it).
    int32_t top;
    // Vertical centre of the frame.
    int32_t ycentre;
    // Bottom edge of the plot frame (the application may move it).
    int32_t bottom;

    // Allocates the glyph buffer and opens the window.
    GraphPort();
    // Frees the glyph buffer and closes the window (may wait for a window event).
    ~GraphPort();
    GraphPort(const GraphPort&) = delete;
    GraphPort& operator=(const GraphPort&) = delete;

    // Lays out the 640 x 400 page and its plot frame; the name is not used.
    void gopen(const char* name);
    // mode % 5 == 0: clear everything; 1 or 2: clear the gopen frame area; else nothing.
    void cls(int32_t mode);
    // Does nothing (the current colour is untouched); returns 0.
    int color(int16_t colour);
    // Returns the window width, 640.
    int16_t getxmax();
    // Returns the window height, 400.
    int16_t getymax();
    // Filled box (half-open) in fill; a closed outline in frame when frame >= 0
    // and differs from fill. Returns 0.
    int boxf(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t fill, int16_t frame);
    // Closed outline through both corners, in either order. Returns 0.
    int box(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour);
    // Line including both end points. Returns 0.
    int line(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour);

    // Draws double-byte Shift_JIS text (at most 512 bytes) from its top-left dot
    // at (x, y); direction 0 right, 1 down, 2 diagonal; 16 * scale pixels per character.
    void print(const char* text, int32_t x, int32_t y, int32_t colour, float scale, int32_t direction);
    // Copies the 34 glyph bytes of code into buffer and returns 1; returns 0 and
    // leaves buffer alone when the font has no such code.
    int findglyph(uint16_t code, unsigned char* buffer);
    // Draws the 16 x 16 bitmap of a 34-byte glyph with its top-left dot at (x, y),
    // consuming (zeroing) its bitmap bytes.
    void putglyph(unsigned char* glyph, int32_t x, int32_t y, int32_t colour, float scale);

    // Letters text (at most 255 bytes) in 8 x 8 block glyphs, cells of size x size
    // pixels side by side from (x, y); bytes without a glyph leave their cell empty.
    void plotstr(const char* text, int16_t x, int16_t y, int16_t size, int16_t colour);
    // plotstr with 10-pixel cells.
    void plotstr(const char* text, int16_t x, int16_t y, int16_t colour);
    // Fills dot (col, row) of a cell of size pixels divided div ways, from (x, y).
    void fillcell(int16_t col, int16_t row, int16_t x, int16_t y, int16_t size, int16_t colour, int16_t div);
};
