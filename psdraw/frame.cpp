// The plot frame (page size, plot band) and the choice of tick steps.
#include <cmath>

#include "internal.h"

using psdraw_detail::clampInt;
using psdraw_detail::truncInt;

namespace {

// Points per millimetre (72 / 25.4).
constexpr long double kPointsPerMm = 2.8346456692913388404L;

// The plot band leaves 15 % of the page size on each side.
constexpr double kNear = 0.15;
constexpr double kFar = 0.85;

// Shared body of getminvalg / getmaxvalg: v rounded with cut to three
// significant digits, or to a whole number from 100 on.
float cutDigits(psdraw& p, float v, double (*cut)(double))
{
    p.scal(v);
    if (p.decade >= 3)
        return static_cast<float>(cut(v));
    const double q = std::pow(10.0, p.decade - 3);
    return static_cast<float>(q * cut(v / q));
}

}  // namespace

int psdraw::getxmax()
{
    return truncInt(static_cast<long double>(xratio) * 210 * kPointsPerMm);
}

int psdraw::getymax()
{
    return truncInt(static_cast<long double>(yratio) * 296 * kPointsPerMm);
}

void psdraw::setxratio(float r, int off)
{
    xshift = off;
    xsize = truncInt(static_cast<long double>(getxmax()) * r);
    xmax = clampInt(static_cast<long long>(truncInt(xsize * static_cast<long double>(kFar))) + off);
    xmin = clampInt(static_cast<long long>(truncInt(xsize * static_cast<long double>(kNear))) + off);
    xspan = clampInt(static_cast<long long>(xmax) - xmin);
    left = xmin;
    right = clampInt(static_cast<long long>(left) + xspan);
    xcentre = clampInt((static_cast<long long>(left) + right) / 2);
}

void psdraw::setyratio(float r, int off)
{
    const int page = getymax();
    ybase = clampInt(static_cast<long long>(page) - off);
    ysize = truncInt(static_cast<long double>(page) * r);
    ymax = clampInt(ybase - static_cast<long long>(truncInt(ysize * static_cast<long double>(kNear))));
    ymin = clampInt(ybase - static_cast<long long>(truncInt(ysize * static_cast<long double>(kFar))));
    yspan = clampInt(static_cast<long long>(ymax) - ymin);
    top = clampInt(static_cast<long long>(ymax) - yspan);
    bottom = ymax;
    ycentre = clampInt((static_cast<long long>(top) + bottom) / 2);
}

void psdraw::setratio(float r, int xoffset, int yoffset)
{
    setxratio(r, xoffset);
    setyratio(r, yoffset);
}

float psdraw::scal(float v)
{
    int i = -13;
    float p;
    for (;;) {
        p = static_cast<float>(std::pow(10.0, i));
        if (v < p)
            break;
        if (++i == 13)
            break;
    }
    decade = i;
    const double unit = std::pow(10.0, i - 1);
    return static_cast<float>(p * 0.5 > v ? unit * 0.2 : unit * 0.5);
}

int psdraw::scale(int range, int)
{
    if (range > 10000)
        return range / 10;
    if (range > 5000)
        return 1000;
    if (range > 1500)
        return 500;
    if (range > 500)
        return 100;
    if (range > 10)
        return 10;
    return 1;
}

float psdraw::getminvalg(float v)
{
    return cutDigits(*this, v, [](double x) { return std::floor(x); });
}

float psdraw::getmaxvalg(float v)
{
    return cutDigits(*this, v, [](double x) { return std::ceil(x); });
}
