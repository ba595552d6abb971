// The compiled-in 16 × 16 dot font of double-byte Shift_JIS characters.
#pragma once

#include <cstdint>

// One character: its code, then the 34-byte glyph (width, height, bitmap).
// The bitmap is 16 rows top first, two bytes a row (columns 0–7, then 8–15),
// bit 7 the leftmost column, a set bit ink.
struct FontRecord {
    std::uint16_t code;   // lead byte × 256 + trail byte, stored little-endian
    std::uint8_t width;   // always 16
    std::uint8_t height;  // always 16
    std::uint8_t bitmap[32];
};
static_assert(sizeof(FontRecord) == 36, "a font record is 36 bytes");

// Number of records in fontTable.
constexpr int kFontRecordCount = 4387;

// Bytes of one glyph: a record from its width byte on.
constexpr int kGlyphByteCount = 34;

// Every code of lead bytes 0x81–0x98 (0x85 up to trail 0xDD, 0x98 up to 0x9E),
// in ascending code order, each once; codes without a character carry the
// middle-dot glyph of 0x8145 and 0x8140 is blank.
extern const FontRecord fontTable[kFontRecordCount];
