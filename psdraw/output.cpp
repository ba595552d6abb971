#include <charconv>
#include <cmath>
#include <climits>
#include <cstdarg>
#include <cstring>

#include "internal.h"

namespace psdraw_detail {

std::FILE* fileStream(const psdraw& p)
{
    if (p.outmode != 0 && p.outmode != 2)
        return nullptr;
    if (p.curfile < 0 || p.curfile >= psdraw::file_slots)
        return nullptr;
    return p.fp[p.curfile];
}

std::FILE* consoleStream(const psdraw& p)
{
    return p.outmode == 1 || p.outmode == 2 ? stdout : nullptr;
}

StreamText& StreamText::operator<<(int value)
{
    char digits[16];  // sign and ten digits
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    append(digits, error == std::errc() ? static_cast<std::size_t>(end - digits) : 0);
    return *this;
}

void StreamText::writeThrough(const char* s, std::size_t n)
{
    if (out)
        std::fwrite(s, 1, n, out);
}

void StreamText::flush()
{
    if (out && size > 0)
        std::fwrite(text, 1, size, out);
    size = 0;
}

void put(std::FILE* out, const char* fmt, ...)
{
    if (!out)
        return;
    va_list args;
    va_start(args, fmt);
    std::vfprintf(out, fmt, args);
    va_end(args);
}

FixedText fixed(double v)
{
    FixedText out;
    const auto [end, error] =
        std::to_chars(out.text, out.text + kFixedCapacity - 1, v, std::chars_format::fixed, 6);
    // The capacity holds every double, so the error branch is only a guard.
    *(error == std::errc() ? end : out.text) = '\0';
    return out;
}

void putText(std::FILE* out, int x, int y, const char* text, const char* moveto, const char* show)
{
    if (!out)
        return;
    StreamText line(out);
    line << x << ' ' << y << ' ' << moveto << "\n(";
    // A PostScript string ends at an unbalanced ')' and treats '\' as an
    // escape, so these three bytes are written escaped.
    for (;;) {
        const std::size_t plain = std::strcspn(text, "()\\");
        line.append(text, plain);
        text += plain;
        if (*text == '\0')
            break;
        line << '\\' << *text++;
    }
    line << ") " << show << '\n';
}

short pageY(const psdraw& p, int y)
{
    return static_cast<short>(static_cast<long long>(p.top) + p.bottom - y);
}

int truncInt(long double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

int clampInt(long long v)
{
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace psdraw_detail
