// Tick marks and labels along the plot frame (no axis lines).

#include "psdraw/internal.h"

using psdraw_detail::clampInt;
using psdraw_detail::truncInt;

namespace {

// Holds "%d" of any int.
constexpr int kLabelCapacity = 20;

// Half the width of a label character, for centring under a tick.
constexpr int kHalfCharWidth = 6;

}  // namespace

void psdraw::xaxis(float lo, float hi, int) {
    const float step = (hi - lo) / xspan;
    const int every = xspan / 5;
    // A frame under 5 points wide has no tick spacing.
    if (!(step > 0) || every <= 0) return;
    const short ink = static_cast<short>(qbcolor(7));
    for (long long i = 0; i <= xspan; i += every) {
        line(left + i, bottom - yspan / 100, left + i, bottom, ink);
        print(lo + i * step, left + i, bottom, ink);
    }
}

void psdraw::xaxis(int lo, int hi) {
    const float step = static_cast<float>(static_cast<double>(hi) - lo) / xspan;
    const int every = xspan / 5;
    if (!(step > 0) || every <= 0) return;
    const short ink = static_cast<short>(qbcolor(7));
    for (long long i = 0; i <= xspan; i += every) {
        line(left + i, bottom - yspan / 100, left + i, bottom, ink);
        char label[kLabelCapacity];
        const int n = std::snprintf(label, sizeof label, "%d", truncInt(i * step + static_cast<long double>(lo)));
        print(label, left + i - n * kHalfCharWidth, bottom + 12, ink);
    }
}

void psdraw::yaxis(float lo, float hi, int) {
    const float step = (hi - lo) / yspan;
    const int every = yspan / 10;
    // A frame under 10 points high has no tick spacing.
    if (!(step > 0) || every <= 0) return;
    const short ink = static_cast<short>(qbcolor(7));
    for (long long i = 0; i <= yspan; i += every) {
        line(left, bottom - i, left - xspan / 100, bottom - i, ink);
        print(lo + i * step, (xshift + left) / 2, bottom - i - 6, ink);
    }
}

void psdraw::yaxis(int lo, int hi) {
    // An empty or reversed range has no points-per-unit factor.
    if (hi <= lo) return;
    const long long range = static_cast<long long>(hi) - lo;
    const float perUnit = static_cast<float>(yspan) / range;
    if (!(perUnit > 0)) return;
    const long long every = scale(clampInt(range), yspan);
    // Only multiples of the scale are marked when it is 10 or more; step
    // straight from one to the next.
    long long first = lo;
    long long stride = 1;
    if (every >= 10) {
        stride = every;
        const long long rest = lo % every;
        if (rest > 0) first = lo + (every - rest);
        if (rest < 0) first = lo - rest;
    }
    const short ink = static_cast<short>(qbcolor(7));
    for (long long v = first; v <= hi; v += stride) {
        const float offset = static_cast<float>(v - lo) * perUnit;
        const int t = truncInt(offset);
        line(left, bottom - t, left + xspan / 100, bottom - t, ink);
        print(static_cast<int>(v), (xshift + left) / 2, bottom - truncInt(offset - 6), ink);
    }
}
