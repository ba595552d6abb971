// Seven-segment digits. The segments carry no strokes, so the digits leave
// the page unchanged; plotnumD records the digit cell it would use.
#include "psdraw/psdraw.h"

namespace {

using DigitOp = void (psdraw::*)(short, short, short, short);

constexpr DigitOp kDigitOps[10] = {
    &psdraw::plotzero, &psdraw::plotone, &psdraw::plottwo,   &psdraw::plotthree, &psdraw::plotfour,
    &psdraw::plotfive, &psdraw::plotsix, &psdraw::plotseven, &psdraw::ploteight, &psdraw::plotnine,
};

// Powers of ten for the five digits a short can have.
constexpr int kPowers[5] = {1, 10, 100, 1000, 10000};

}  // namespace

void psdraw::plotnumD(short value, short x, short y, short size, short colour) {
    digw = size;
    digh = size;
    diggap = size / 18 + 1;
    const int last = value >= 10000 ? 4 : value >= 1000 ? 3 : value >= 100 ? 2 : value >= 10 ? 1 : 0;
    int rest = value;
    for (int i = 0; i <= last; ++i) {
        const int power = kPowers[last - i];
        const int digit = rest / power;
        rest = static_cast<short>(rest - power * digit);
        // A negative value yields a negative digit, which draws nothing.
        if (digit >= 0 && digit <= 9) (this->*kDigitOps[digit])(x, y, size, colour);
        x = static_cast<short>(x + diggap + size + 1);
    }
}

void psdraw::plotlt(short, short, short, short) {}
void psdraw::plotlb(short, short, short, short) {}
void psdraw::plotct(short, short, short, short) {}
void psdraw::plotcm(short, short, short, short) {}
void psdraw::plotcb(short, short, short, short) {}
void psdraw::plotrt(short, short, short, short) {}
void psdraw::plotrb(short, short, short, short) {}

void psdraw::plotzero(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotlb(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotone(short x, short y, short size, short colour) {
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plottwo(short x, short y, short size, short colour) {
    plotlb(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrt(x, y, size, colour);
}

void psdraw::plotthree(short x, short y, short size, short colour) {
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotfour(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotfive(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotsix(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotlb(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotseven(short x, short y, short size, short colour) {
    plotct(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::ploteight(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotlb(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotcb(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotnine(short x, short y, short size, short colour) {
    plotlt(x, y, size, colour);
    plotct(x, y, size, colour);
    plotcm(x, y, size, colour);
    plotrt(x, y, size, colour);
    plotrb(x, y, size, colour);
}

void psdraw::plotminus(short x, short y, short size, short colour) { plotcm(x, y, size, colour); }

void psdraw::plothyphone(short x, short y, short size, short colour) { plotcm(x, y, size, colour); }

void psdraw::plotdot(short, short, short, short) {}
