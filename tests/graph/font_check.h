// Plain lookups on the compiled-in font for tests, independent of the
// search GraphPort::findglyph makes.
#pragma once

#include "graph/font.h"

#include <cstdint>

// The record of `code`, found by a scan of the whole table; nullptr if absent.
inline const FontRecord* fontRecord(std::uint16_t code)
{
    for (const FontRecord& r : fontTable)
        if (r.code == code)
            return &r;
    return nullptr;
}

// Whether dot (column, row) of the record's bitmap is ink.
inline bool hasInk(const FontRecord& r, int column, int row)
{
    return (r.bitmap[row * 2 + column / 8] >> (7 - column % 8)) & 1;
}

// Whether the record's only ink is the middle dot's 3 x 3 block at columns
// 6-8, rows 5-7 (the filler of codes without a character).
inline bool isMiddleDot(const FontRecord& r)
{
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col)
            if (hasInk(r, col, row) != (col >= 6 && col <= 8 && row >= 5 && row <= 7))
                return false;
    return true;
}
