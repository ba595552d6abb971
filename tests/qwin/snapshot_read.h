// Reading back a picture that qwin_snapshot wrote, for tests.
#pragma once

#include "qwin/qwin.h"

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// The 640 x 400 PNG at path as 0xRRGGBB pixels, row after row; empty when it
// cannot be read or has another size.
inline std::vector<uint32_t> read_png(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (image.width != qwin_width || image.height != qwin_height ||
        !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    std::vector<uint32_t> px(rgb.size() / 3);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
    return px;
}
