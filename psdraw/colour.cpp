// Colours, grey levels and dash patterns.
#include "internal.h"

using psdraw_detail::consoleStream;
using psdraw_detail::fileStream;
using psdraw_detail::fixed;
using psdraw_detail::FixedText;
using psdraw_detail::put;
using psdraw_detail::StreamText;

namespace {

struct Rgb {
    float red, green, blue;
};

constexpr int kPaletteSize = 16;

// The 16 indexed colours; index 0 is written as a grey level.
constexpr Rgb kPalette[kPaletteSize] = {
    {0, 0, 0},       {0, 0, 1},       {0, 1, 0},          {1, 0, 0},          {1, 0, 1},    {1, 1, 0},
    {0, 1, 1},       {1, 1, 1},       {0.2f, 0.2f, 0.2f}, {0, 0, 0.5f},       {0, 0.5f, 0}, {0.5f, 0, 0},
    {0.5f, 0, 0.5f}, {0.5f, 0.5f, 0}, {0, 0.5f, 0.5f},    {0.5f, 0.5f, 0.5f},
};

constexpr int kStyleCount = 7;

// Dash patterns by line style; a lone space is the solid line.
constexpr const char* kDashes[kStyleCount] = {
    " ", "2 4", "4 2", "4 4", "3 5 1 5", "5 3 5 1", "6 4 2 4",
};

void writeGrey(const psdraw& p, float grey)
{
    const FixedText level = fixed(grey);
    StreamText(fileStream(p)) << ' ' << level.text << " A\n";
    StreamText(consoleStream(p)) << ' ' << level.text << " setgray\n";
}

// " red green blue <op>" to out.
void writeRgb(std::FILE* out, float red, float green, float blue, const char* op)
{
    if (!out)
        return;
    StreamText(out) << ' ' << fixed(red).text << ' ' << fixed(green).text << ' ' << fixed(blue).text << ' '
                    << op << '\n';
}

// One of `levels` grey levels: a non-positive level is black and is returned
// unchanged; a higher one folds by % levels and its grey is grey(level).
short greyLevel(const psdraw& p, short level, short levels, float (*grey)(short))
{
    if (level <= 0) {
        writeGrey(p, 0);
        return level;
    }
    const short used = level % levels;
    writeGrey(p, grey(used));
    return used;
}

// Clamped into 0..1; NaN becomes 0 so the page stays valid PostScript.
float unitRange(float v)
{
    if (!(v > 0))
        return 0;
    return v > 1 ? 1 : v;
}

}  // namespace

int psdraw::color(float red, float green, float blue)
{
    if (red == 0 && green == 0 && blue == 0) {
        colorBW(0);
        return 0;
    }
    writeRgb(fileStream(*this), unitRange(red), unitRange(green), unitRange(blue), "C");
    return 1;
}

short psdraw::color(short index)
{
    const short used = index < 0 ? 0 : index % kPaletteSize;
    const Rgb& c = kPalette[used];
    if (used == 0)
        colorBW(0);
    else
        writeRgb(fileStream(*this), c.red, c.green, c.blue, "C");
    writeRgb(consoleStream(*this), c.red, c.green, c.blue, "setrgbcolor");
    return used;
}

short psdraw::colorBW(short level)
{
    return greyLevel(*this, level, 16, [](short used) { return 0.25f * (used % 4) + 0.0625f * (used / 4); });
}

short psdraw::color256(short level)
{
    return greyLevel(*this, level, 256, [](short used) {
        return static_cast<float>(0.0625 * (used % 16) + (used / 16) / 256.0);
    });
}

int psdraw::qbcolor(int index)
{
    if (index == 7 || index < 0)
        return 0;
    return index % kPaletteSize;
}

void psdraw::getcolor() {}

void psdraw::getmaxcolor() {}

void psdraw::getbkcolor() {}

int psdraw::bkcolor(long)
{
    return 0;
}

void psdraw::setlinestyle(unsigned short style)
{
    const char* dash = kDashes[style % kStyleCount];
    put(fileStream(*this), "[%s] %d B\n", dash, 0);
    put(consoleStream(*this), "[%s] %d setdash\n", dash, 0);
}

void psdraw::setfillmask(unsigned char*) {}
