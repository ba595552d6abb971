// Writing the bitmap to a PNG file.
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {
// libpng reports errors by longjmp; this frame holds no C++ objects that need
// destruction across it.
bool write_png(std::FILE* file, const uint8_t* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, qwin_width, qwin_height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < qwin_height; ++y)
        png_write_row(png, rows + y * qwin_width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

bool qwin_snapshot(const char* path)
{
    std::vector<uint8_t> rows(qwin_width * qwin_height * 3);
    {
        std::lock_guard<std::mutex> lock(surface_mutex);
        const uint32_t* pixels = surface_pixels();
        if (pixels == nullptr)
            return false;
        for (int i = 0; i < qwin_width * qwin_height; ++i) {
            rows[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
            rows[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
            rows[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
        }
    }
    // A viewer that polls the file must never read half a picture, so a
    // regular file is written beside itself and renamed over the old one; a
    // device or pipe is written in place.
    std::error_code error;
    const bool in_place = std::filesystem::exists(path, error) &&
                          !std::filesystem::is_regular_file(path, error);
    const std::string target = in_place ? std::string(path) : std::string(path) + ".tmp";
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = write_png(file, rows.data());
    // A full disk may only show when buffered data is flushed, and a failed
    // flush can leave fclose itself reporting success.
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    const bool complete = written && flushed && closed;
    if (in_place)
        return complete;
    if (complete && std::rename(target.c_str(), path) == 0)
        return true;
    std::remove(target.c_str());
    return false;
}
