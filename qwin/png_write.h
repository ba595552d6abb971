// A PNG encoder for the snapshot: 8-bit RGB, no interlace, one zlib stream.
#pragma once

#include <cstdint>
#include <string>

// Encodes a width x height picture of packed RGB bytes (row after row, 3 bytes
// a pixel) as a complete PNG file into png; false when zlib failed.
bool png_encode_rgb(const uint8_t* rgb, int width, int height, std::string& png);
