// Tick marks and labels along the plot frame (no axis lines).

#include "internal.h"

using psdraw_detail::clampInt;
using psdraw_detail::truncInt;

namespace {

// Holds "%d" of any int.
constexpr int kLabelCapacity = 20;

// Half the width of a label character, for centring under a tick.
constexpr int kHalfCharWidth = 6;

// The frame members the axes read, widened: the members are public and may
// hold any int, and their sums must not overflow before they are written as
// 16-bit coordinates.
struct Band {
    long long left, bottom, xspan, yspan, xshift;
};

Band band(const psdraw& p)
{
    return {p.left, p.bottom, p.xspan, p.yspan, p.xshift};
}

// Ticks at every span / parts points from 0 to span, for labels advancing by
// step per point: mark(i) draws the tick and label at offset i. A step of
// zero or less, or a band too small for any spacing, draws nothing.
template <typename Mark>
void ticks(float step, long long span, int parts, Mark mark)
{
    const long long every = span / parts;
    if (!(step > 0) || every <= 0)
        return;
    for (long long i = 0; i <= span; i += every)
        mark(i);
}

}  // namespace

void psdraw::xaxis(float lo, float hi, int)
{
    const Band b = band(*this);
    const short ink = static_cast<short>(qbcolor(7));
    const float step = (hi - lo) / xspan;
    ticks(step, b.xspan, 5, [&](long long i) {
        line(b.left + i, b.bottom - b.yspan / 100, b.left + i, b.bottom, ink);
        print(lo + i * step, b.left + i, b.bottom, ink);
    });
}

void psdraw::xaxis(int lo, int hi)
{
    const Band b = band(*this);
    const short ink = static_cast<short>(qbcolor(7));
    const float step = static_cast<float>(static_cast<double>(hi) - lo) / xspan;
    ticks(step, b.xspan, 5, [&](long long i) {
        line(b.left + i, b.bottom - b.yspan / 100, b.left + i, b.bottom, ink);
        char label[kLabelCapacity];
        const int n =
            std::snprintf(label, sizeof label, "%d", truncInt(i * step + static_cast<long double>(lo)));
        print(label, b.left + i - n * kHalfCharWidth, b.bottom + 12, ink);
    });
}

void psdraw::yaxis(float lo, float hi, int)
{
    const Band b = band(*this);
    const short ink = static_cast<short>(qbcolor(7));
    const float step = (hi - lo) / yspan;
    ticks(step, b.yspan, 10, [&](long long i) {
        line(b.left, b.bottom - i, b.left - b.xspan / 100, b.bottom - i, ink);
        print(lo + i * step, (b.xshift + b.left) / 2, b.bottom - i - 6, ink);
    });
}

void psdraw::yaxis(int lo, int hi)
{
    // An empty or reversed range has no points-per-unit factor.
    if (hi <= lo)
        return;
    const Band b = band(*this);
    const long long range = static_cast<long long>(hi) - lo;
    const float perUnit = static_cast<float>(yspan) / range;
    if (!(perUnit > 0))
        return;
    const long long every = scale(clampInt(range), yspan);
    // Only multiples of the scale are marked when it is 10 or more; step
    // straight from one to the next.
    long long first = lo;
    long long stride = 1;
    if (every >= 10) {
        stride = every;
        const long long rest = lo % every;
        if (rest > 0)
            first = lo + (every - rest);
        if (rest < 0)
            first = lo - rest;
    }
    const short ink = static_cast<short>(qbcolor(7));
    for (long long v = first; v <= hi; v += stride) {
        const float offset = static_cast<float>(v - lo) * perUnit;
        const long long t = truncInt(offset);
        line(b.left, b.bottom - t, b.left + b.xspan / 100, b.bottom - t, ink);
        print(static_cast<int>(v), (b.xshift + b.left) / 2, b.bottom - truncInt(offset - 6), ink);
    }
}
