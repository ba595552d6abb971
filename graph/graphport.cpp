// GraphPort construction, page layout and shapes over the raster operations.
#include "graph/graphport.h"

#include "graph/font.h"
#include "qwin/qwin.h"

#include <cstdlib>

GraphPort::GraphPort()
{
    glyph = static_cast<unsigned char*>(std::calloc(kGlyphByteCount, 1));
    if (glyph == nullptr)
        std::abort();
    fontcount = kFontRecordCount;
    qwin_open();
}

GraphPort::~GraphPort()
{
    std::free(glyph);
    glyph = nullptr;
    qwin_close();
}

void GraphPort::gopen(const char*)
{
    sizeratio = 1.0f;
    xshift = 10;
    xsize = static_cast<int32_t>(getxmax() * sizeratio);
    yshift = 30;
    ysize = static_cast<int32_t>(getymax() * sizeratio);
    xmax = static_cast<int32_t>(xsize * 0.9) + xshift;
    ymax = static_cast<int32_t>(ysize * 0.9) + yshift;
    xmin = static_cast<int32_t>(xsize * 0.1) + xshift;
    ymin = static_cast<int32_t>(ysize * 0.1) + yshift;
    xspan = xmax - xmin;
    yspan = ymax - ymin;
    left = xmin;
    right = xmin + xspan;
    xcentre = (left + right) / 2;
    top = ymax - yspan;
    bottom = ymax;
    ycentre = (top + bottom) / 2;
    colours = 16;
}

void GraphPort::cls(int32_t mode)
{
    switch (mode % 5) {
    case 0:
        qwin_cls();
        break;
    case 1:
    case 2:
        boxf(static_cast<int16_t>(xmin), static_cast<int16_t>(ymin), static_cast<int16_t>(xmax),
             static_cast<int16_t>(ymax), 0, -1);
        break;
    default:
        break;
    }
}

int GraphPort::color(int16_t)
{
    return 0;
}

int16_t GraphPort::getxmax()
{
    return qwin_width;
}

int16_t GraphPort::getymax()
{
    return qwin_height;
}

int GraphPort::boxf(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t fill, int16_t frame)
{
    qwin_boxf(x1, y1, x2, y2, fill);
    if (frame != fill && frame >= 0)
        box(x1, y1, x2, y2, frame);
    return 0;
}

int GraphPort::box(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour)
{
    const int32_t xl = x1 < x2 ? x1 : x2;
    const int32_t xr = x1 < x2 ? x2 : x1;
    const int32_t yt = y1 < y2 ? y1 : y2;
    const int32_t yb = y1 < y2 ? y2 : y1;
    qwin_line(xl, yt, xr, yt, colour);
    qwin_line(xl, yb, xr, yb, colour);
    qwin_line(xl, yt, xl, yb, colour);
    qwin_line(xr, yt, xr, yb, colour);
    return 0;
}

int GraphPort::line(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int16_t colour)
{
    qwin_line(x1, y1, x2, y2, colour);
    return 0;
}
