// Text and numbers at a position in the page's 12-point font.
#include "internal.h"

using psdraw_detail::consoleStream;
using psdraw_detail::fileStream;
using psdraw_detail::fixed;
using psdraw_detail::pageY;
using psdraw_detail::putText;

namespace {

// Height of a text line in points: (x, y) is its top-left corner.
constexpr int kLineHeight = 12;

// Holds any long in decimal, sign and NUL included.
constexpr int kIntegerCapacity = 24;

short baseline(const psdraw& p, short y)
{
    return pageY(p, y + kLineHeight);
}

// Text that starts left of the page or below it is dropped entirely; the
// colour is set for the file form only.
void placeText(psdraw& p, const char* text, short x, short y, short colour)
{
    const short base = baseline(p, y);
    if (x < 0 || base < 0)
        return;
    if (p.outmode == 0 || p.outmode == 2) {
        p.color(colour);
        putText(fileStream(p), x, base, text, "J", "Z");
    }
    putText(consoleStream(p), x, base, text, "moveto", "show");
}

template <typename T>
void placeInteger(psdraw& p, const char* format, T value, short x, short y, short colour)
{
    char digits[kIntegerCapacity];
    std::snprintf(digits, sizeof digits, format, value);
    placeText(p, digits, x, y, colour);
}

}  // namespace

void psdraw::usefont() {}

void psdraw::endfont() {}

void psdraw::setfontpara(short, short, short) {}

void psdraw::setfontsize(short, short) {}

void psdraw::setfontsize(int, int) {}

void psdraw::tateyoko(short) {}

// Unlike the other overloads the colour is set first in every mode, and off-
// page text is still written to standard output.
void psdraw::print(unsigned char* text, short x, short y, short colour)
{
    if (text == nullptr)
        return;
    const char* chars = reinterpret_cast<const char*>(text);
    color(colour);
    const short base = baseline(*this, y);
    if (x >= 0 && base >= 0)
        putText(fileStream(*this), x, base, chars, "J", "Z");
    putText(consoleStream(*this), x, base, chars, "moveto", "show");
}

void psdraw::print(char* text, short x, short y, short colour)
{
    print(static_cast<const char*>(text), x, y, colour);
}

void psdraw::print(const char* text, short x, short y, short colour)
{
    if (text == nullptr)
        return;
    placeText(*this, text, x, y, colour);
}

void psdraw::print(unsigned int value, short x, short y, short colour)
{
    placeInteger(*this, "%u", value, x, y, colour);
}

void psdraw::print(int value, short x, short y, short colour)
{
    placeInteger(*this, "%d", value, x, y, colour);
}

void psdraw::print(short value, short x, short y, short colour)
{
    placeInteger(*this, "%d", static_cast<int>(value), x, y, colour);
}

void psdraw::print(long value, short x, short y, short colour)
{
    placeInteger(*this, "%ld", value, x, y, colour);
}

void psdraw::print(float value, short x, short y, short colour)
{
    placeText(*this, fixed(value).text, x, y, colour);
}

void psdraw::print(double value, short x, short y, short colour)
{
    placeText(*this, fixed(value).text, x, y, colour);
}

void psdraw::plotnum(float value, short x, short y, short, short colour)
{
    print(value, x, y, colour);
}

void psdraw::plotnum(short value, short x, short y, short, short colour)
{
    print(value, x, y, colour);
}
