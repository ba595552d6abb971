// Lines, rectangles, circles, dots and polylines as PostScript paths.
#include <cstdlib>

#include "internal.h"

using psdraw_detail::consoleStream;
using psdraw_detail::fileStream;
using psdraw_detail::pageY;
using psdraw_detail::StreamText;

namespace {

// The operator names of one output form.
struct PathOps {
    const char* newpath;
    const char* moveto;
    const char* lineto;
    const char* fill;
    const char* stroke;
};

constexpr PathOps kFileOps{"N", "J", "L", "F", "S"};
constexpr PathOps kConsoleOps{"newpath", "moveto", "lineto", "fill", "stroke"};

// A point in PostScript coordinates.
struct Point {
    int x, y;
};

// Corner count of a closed rectangle path (the first corner repeated).
constexpr int kBoxPoints = 5;

void writePath(std::FILE* out, const PathOps& ops, const Point* points, int count, bool filled)
{
    if (!out)
        return;
    StreamText path(out);
    path << ops.newpath << '\n' << points[0].x << ' ' << points[0].y << ' ' << ops.moveto << '\n';
    for (int i = 1; i < count; ++i)
        path << points[i].x << ' ' << points[i].y << ' ' << ops.lineto << '\n';
    if (filled)
        path << ops.fill << '\n';
    path << ops.stroke << '\n';
}

void drawPath(const psdraw& p, const Point* points, int count, bool filled)
{
    writePath(fileStream(p), kFileOps, points, count, filled);
    writePath(consoleStream(p), kConsoleOps, points, count, filled);
}

void rectangle(const psdraw& p, short x1, short y1, short x2, short y2, bool filled)
{
    const int top = pageY(p, y1);
    const int bottom = pageY(p, y2);
    const Point corners[kBoxPoints] = {{x1, top}, {x1, bottom}, {x2, bottom}, {x2, top}, {x1, top}};
    drawPath(p, corners, kBoxPoints, filled);
}

void writeArc(std::FILE* out, const PathOps& ops, int cx, int cy, int radius, bool filled)
{
    if (!out)
        return;
    std::fprintf(out, "%s\n%d %d %d %d %d arc\n", ops.newpath, cx, cy, radius, 0, 360);
    if (filled)
        std::fprintf(out, "%s\n", ops.fill);
    std::fprintf(out, "%s\n", ops.stroke);
}

// Circles write their file form in modes 0 and 2 and their console form in
// mode 1 only.
void roundel(const psdraw& p, short x1, short y1, short x2, short y2, bool filled)
{
    const int cx = (x1 + x2) / 2;
    const int cy = pageY(p, (y1 + y2) / 2);
    const int radius = std::abs(x1 - x2) / 2;
    writeArc(fileStream(p), kFileOps, cx, cy, radius, filled);
    if (p.outmode == 1)
        writeArc(consoleStream(p), kConsoleOps, cx, cy, radius, filled);
}

// A shape writer: the box (x1, y1) .. (x2, y2) in user coordinates, filled
// or outlined.
using Shape = void (*)(const psdraw&, short, short, short, short, bool);

// Sets colour, then writes the shape; returns the colour index used.
short paint(psdraw& p, Shape shape, short x1, short y1, short x2, short y2, short colour, bool filled)
{
    const short used = p.color(colour);
    shape(p, x1, y1, x2, y2, filled);
    return used;
}

// The shape filled, then outlined in edge when edge is another colour and
// not negative; returns the last colour index set.
short paintFilled(psdraw& p, Shape shape, short x1, short y1, short x2, short y2, short fill, short edge)
{
    const short used = paint(p, shape, x1, y1, x2, y2, fill, true);
    if (edge != fill && edge >= 0)
        return paint(p, shape, x1, y1, x2, y2, edge, false);
    return used;
}

}  // namespace

void psdraw::pset(short x, short y, short colour)
{
    color(colour);
    line(x, y, x + 1, y + 1, colour);
}

void psdraw::pics(short, short) {}

short psdraw::line(short x1, short y1, short x2, short y2, short colour)
{
    const short used = color(colour);
    const Point ends[2] = {{x1, pageY(*this, y1)}, {x2, pageY(*this, y2)}};
    drawPath(*this, ends, 2, false);
    return used;
}

short psdraw::box(short x1, short y1, short x2, short y2, short colour)
{
    return paint(*this, rectangle, x1, y1, x2, y2, colour, false);
}

short psdraw::boxf(short x1, short y1, short x2, short y2, short fill, short edge)
{
    return paintFilled(*this, rectangle, x1, y1, x2, y2, fill, edge);
}

short psdraw::circle(short x1, short y1, short x2, short y2, short colour)
{
    return paint(*this, roundel, x1, y1, x2, y2, colour, false);
}

short psdraw::circlef(short x1, short y1, short x2, short y2, short fill, short edge)
{
    return paintFilled(*this, roundel, x1, y1, x2, y2, fill, edge);
}

void psdraw::_polygon(short, const _xycoord* points, short count)
{
    if (points == nullptr)
        return;
    for (int i = 1; i < count; ++i)
        line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, 0);
}

void psdraw::getimage(char*, short, short, short, short) {}

void psdraw::getimage(short, short, short, short) {}

void psdraw::putimage(char*, short, short, short) {}

void psdraw::putimage(short, short, short) {}

void psdraw::freeimg()
{
    std::free(img);
    img = nullptr;
}
