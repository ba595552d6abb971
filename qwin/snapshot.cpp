// Writing the bitmap to a PNG file.
#include "qwin/png_write.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <string>
#include <vector>

namespace {

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
    if (!png_encode_rgb(rows.data(), qwin_width, qwin_height, png))
        return notSaved("the picture could not be encoded");
    // A viewer that polls the file never reads half a picture: the file
    // service replaces it whole.
    return saveFileAtomically(path, png);
}
