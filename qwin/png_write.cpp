// PNG = signature, IHDR, IDAT (zlib stream of filtered rows), IEND; each chunk
// is length, type, data and a CRC-32 of type and data, numbers big-endian.
#include "qwin/png_write.h"

#include <zlib.h>

#include <vector>

namespace {

void putBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

void appendChunk(std::string& png, const char type[4], const void* data, std::size_t size)
{
    putBigEndian(png, static_cast<uint32_t>(size));
    const std::size_t typeAt = png.size();
    png.append(type, 4);
    png.append(static_cast<const char*>(data), size);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(png.data() + typeAt),
                            static_cast<uInt>(size + 4));
    putBigEndian(png, static_cast<uint32_t>(crc));
}

}  // namespace

bool png_encode_rgb(const uint8_t* rgb, int width, int height, std::string& png)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    // Every row starts with its filter type; 0 leaves the bytes as they are.
    std::vector<uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), rgb + y * rowBytes, rgb + (y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;

    std::string header;
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    // bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace
    header.append("\x08\x02\x00\x00\x00", 5);
    png.assign("\x89PNG\r\n\x1A\n", 8);
    appendChunk(png, "IHDR", header.data(), header.size());
    appendChunk(png, "IDAT", packed.data(), packedSize);
    appendChunk(png, "IEND", nullptr, 0);
    return true;
}
