// Helpers shared by the psdraw sources: the two output streams, numbers in
// PostScript's notation, the y flip and text statements. Not installed.
#ifndef PSDRAW_INTERNAL_H
#define PSDRAW_INTERNAL_H

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "psdraw.h"

namespace psdraw_detail {

// The current page file when the file form is written (outmode 0 or 2) and
// that file is open; null otherwise.
std::FILE* fileStream(const psdraw& p);

// Standard output when the console form is written (outmode 1 or 2); null
// otherwise.
std::FILE* consoleStream(const psdraw& p);

// printf to out; does nothing when out is null.
void put(std::FILE* out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Room for any double in six-decimal fixed notation: sign, 309 integer
// digits, point, six decimals and the terminating NUL.
constexpr int kFixedCapacity = 320;

// Text gathered for one write to a stream, since printf's reading of its
// format took longer than the rest of drawing a line. Writes what it holds
// when full and when it ends; does nothing when the stream is null.
class StreamText {
public:
    explicit StreamText(std::FILE* out) : out(out) {}
    StreamText(const StreamText&) = delete;
    StreamText& operator=(const StreamText&) = delete;
    ~StreamText() { flush(); }

    // Inline, so that the lengths of the operator names are known when built.
    StreamText& operator<<(const char* s)
    {
        append(s, std::strlen(s));
        return *this;
    }
    StreamText& operator<<(char c)
    {
        append(&c, 1);
        return *this;
    }
    // As "%d" writes it.
    StreamText& operator<<(int value);
    // The first n bytes of s.
    void append(const char* s, std::size_t n)
    {
        if (size + n > kCapacity)
            flush();
        if (n > kCapacity)
            writeThrough(s, n);
        else if (out) {
            std::memcpy(text + size, s, n);
            size += n;
        }
    }

private:
    static constexpr std::size_t kCapacity = 256;
    std::FILE* out;
    char text[kCapacity];
    std::size_t size = 0;

    void flush();
    void writeThrough(const char* s, std::size_t n);
};

// A real written as C's "%f" writes it in the "C" locale.
struct FixedText {
    char text[kFixedCapacity];
};

// v with six decimals after a '.', whatever locale the calling program has
// chosen: PostScript reads no other decimal point. Integers need no such
// care, as "%d" is the same in every locale.
FixedText fixed(double v);

// "x y <moveto>" then "(text) <show>" with ( ) \ escaped; nothing when out
// is null.
void putText(std::FILE* out, int x, int y, const char* text, const char* moveto, const char* show);

// User y to PostScript y (top + bottom - y), wrapped to 16 bits.
short pageY(const psdraw& p, int y);

// v truncated toward zero, saturated to the int range; NaN gives 0.
int truncInt(long double v);

// v saturated to the int range.
int clampInt(long long v);

}  // namespace psdraw_detail

#endif
