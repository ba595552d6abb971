// Writing the bitmap to a PNG file.
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <png.h>

#include <csetjmp>
#include <new>
#include <string>
#include <vector>

namespace {

void appendToBuffer(png_structp png, png_bytep data, png_size_t length)
{
    auto* buffer = static_cast<std::string*>(png_get_io_ptr(png));
    try {
        buffer->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

// Encodes the rows into png. libpng reports errors by longjmp; this frame
// holds no C++ objects that need destruction across it.
bool encodePng(const uint8_t* rows, std::string* png)
{
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (writer == nullptr)
        return false;
    png_infop info = png_create_info_struct(writer);
    if (info == nullptr) {
        png_destroy_write_struct(&writer, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        return false;
    }
    png_set_write_fn(writer, png, appendToBuffer, flushNothing);
    png_set_IHDR(writer, info, qwin_width, qwin_height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer, info);
    for (int y = 0; y < qwin_height; ++y)
        png_write_row(writer, rows + y * qwin_width * 3);
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return true;
}

FileSave notSaved(const char* reason)
{
    FileSave result;
    result.reason = reason;
    return result;
}

}  // namespace

FileSave qwin_snapshot(const char* path)
{
    std::vector<uint8_t> rows(qwin_width * qwin_height * 3);
    {
        std::lock_guard<std::mutex> lock(surface_mutex);
        const uint32_t* pixels = surface_pixels();
        if (pixels == nullptr)
            return notSaved("the window was never opened");
        for (int i = 0; i < qwin_width * qwin_height; ++i) {
            rows[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
            rows[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
            rows[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
        }
    }
    std::string png;
    if (!encodePng(rows.data(), &png))
        return notSaved("the picture could not be encoded");
    // A viewer that polls the file never reads half a picture: the file
    // service replaces it whole.
    return saveFileAtomically(path, png);
}
