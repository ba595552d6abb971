// Bitmap-font text: double-byte Shift_JIS strings drawn from the compiled-in
// 16-dot font, dot by dot, with neighbouring dots joined by lines.
#include "graph/font.h"
#include "graph/graphport.h"
#include "qwin/qwin.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Capacity of print's work buffer in bytes: 256 character codes.
constexpr std::size_t kTextBufferBytes = 512;

// origin + trunc(offset), kept within [lo, hi] so that absurd positions or
// scales cannot overflow the integer types; the clamped points lie far off
// the window, where nothing is drawn anyway. NaN goes to lo.
double clampedSum(std::int32_t origin, double offset, double lo, double hi)
{
    const double v = origin + std::trunc(offset);
    if (!(v >= lo))
        return lo;
    return v > hi ? hi : v;
}

// Window coordinate of dot `index` of a glyph drawn from `origin` at `scale`.
std::int16_t dotCoordinate(std::int32_t origin, int index, float scale)
{
    return static_cast<std::int16_t>(clampedSum(origin, index * static_cast<double>(scale),
                                                std::numeric_limits<std::int16_t>::min(),
                                                std::numeric_limits<std::int16_t>::max()));
}

// Window coordinate of character `i / 2` of a text drawn from `origin`.
std::int32_t characterCoordinate(std::int32_t origin, std::size_t i, float scale)
{
    const double offset = 8.0 * static_cast<double>(scale) * static_cast<double>(i);
    return static_cast<std::int32_t>(clampedSum(origin, offset, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

void joinDots(const GlyphDot& from, const GlyphDot& to, std::int32_t colour)
{
    qwin_line(from.x, from.y, to.x, to.y, colour);
}

}  // namespace

void GraphPort::print(const char* text, std::int32_t x, std::int32_t y, std::int32_t colour, float scale,
                      std::int32_t direction)
{
    // Longer texts are outside the contract; reading stops at the capacity.
    std::size_t n = 0;
    while (text && n < kTextBufferBytes && text[n] != '\0')
        ++n;
    std::uint16_t codes[kTextBufferBytes / 2] = {};
    for (std::size_t k = 0; k < n / 2; ++k) {
        codes[k] = static_cast<std::uint16_t>(static_cast<unsigned char>(text[2 * k]) * 256 +
                                              static_cast<unsigned char>(text[2 * k + 1]));
    }

    for (std::size_t i = 0; i < n; i += 2) {
        std::int32_t cx = x;
        std::int32_t cy = y;
        if (direction == 1) {
            cy = characterCoordinate(y, i, scale);
        } else if (direction == 2) {
            cx = characterCoordinate(x, i, scale);
            cy = characterCoordinate(y, i, scale);
        } else {
            cx = characterCoordinate(x, i, scale);
        }
        // A code missing from the font leaves the glyph buffer as the last
        // drawing consumed it, so the character's place stays empty.
        findglyph(codes[i / 2], glyph);
        putglyph(glyph, cx, cy, colour, scale);
    }
}

int GraphPort::findglyph(std::uint16_t code, unsigned char* buffer)
{
    const int count = std::clamp(fontcount, 0, kFontRecordCount);
    const FontRecord* end = fontTable + count;
    const FontRecord* found = std::lower_bound(
        fontTable, end, code, [](const FontRecord& r, std::uint16_t c) { return r.code < c; });
    if (found == end || found->code != code)
        return 0;
    buffer[0] = found->width;
    buffer[1] = found->height;
    std::memcpy(buffer + 2, found->bitmap, sizeof found->bitmap);
    return 1;
}

void GraphPort::putglyph(unsigned char* bytes, std::int32_t x, std::int32_t y, std::int32_t colour,
                         float scale)
{
    if (x < 0)
        x = 100;
    if (y < 0)
        y = 100;
    if (!(scale >= 0.1))
        scale = 4.0f;
    glyphbytes = kGlyphByteCount;

    // Spread the bitmap over the dot grid, consuming it bit by bit.
    for (int b = 2; b < kGlyphByteCount; ++b) {
        const int r = b / 2 - 1;
        const int firstColumn = (b % 2 == 0) ? 0 : 8;
        for (int c = firstColumn; c < firstColumn + 8; ++c) {
            dots[c][r].x = dotCoordinate(x, c, scale);
            dots[c][r].y = dotCoordinate(y, r, scale);
            dots[c][r].on = (bytes[b] & 0x80) ? 1 : 0;
            bytes[b] = static_cast<unsigned char>(bytes[b] << 1);
        }
    }

    // Each ink dot is joined to its left neighbour (or set alone) and to the
    // dot above it, or else to a diagonal one not already reachable sideways.
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const GlyphDot& p = dots[c][r];
            if (!p.on)
                continue;
            if (c > 0 && dots[c - 1][r].on)
                joinDots(dots[c - 1][r], p, colour);
            else
                joinDots(p, p, colour);
            if (r == 0)
                continue;
            if (dots[c][r - 1].on)
                joinDots(dots[c][r - 1], p, colour);
            else if (c > 0 && dots[c - 1][r - 1].on && !dots[c - 1][r].on)
                joinDots(dots[c - 1][r - 1], p, colour);
            else if (c < 15 && dots[c + 1][r - 1].on && !dots[c + 1][r].on)
                joinDots(dots[c + 1][r - 1], p, colour);
        }
    }
}
