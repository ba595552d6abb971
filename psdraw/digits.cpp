// Seven-segment digits. The segments carry no strokes, so the digits leave
// the page unchanged; plotnumD records the digit cell it would use.
#include "psdraw.h"

namespace {

// A digit or segment operation: (x, y, size, colour).
using CellOp = void (psdraw::*)(short, short, short, short);

constexpr CellOp kDigitOps[10] = {
    &psdraw::plotzero, &psdraw::plotone, &psdraw::plottwo,   &psdraw::plotthree, &psdraw::plotfour,
    &psdraw::plotfive, &psdraw::plotsix, &psdraw::plotseven, &psdraw::ploteight, &psdraw::plotnine,
};

// Powers of ten for the five digits a short can have.
constexpr int kPowers[5] = {1, 10, 100, 1000, 10000};

// The seven segments, in the order a digit draws them.
constexpr int kSegmentCount = 7;
constexpr CellOp kSegmentOps[kSegmentCount] = {
    &psdraw::plotlt, &psdraw::plotlb, &psdraw::plotct, &psdraw::plotcm,
    &psdraw::plotcb, &psdraw::plotrt, &psdraw::plotrb,
};
// Segment bits, in the same order.
enum Segment : unsigned { LT = 1, LB = 2, CT = 4, CM = 8, CB = 16, RT = 32, RB = 64 };

// The segments of each digit.
constexpr unsigned kZero = LT | LB | CT | CB | RT | RB;
constexpr unsigned kOne = RT | RB;
constexpr unsigned kTwo = LB | CT | CM | CB | RT;
constexpr unsigned kThree = CT | CM | CB | RT | RB;
constexpr unsigned kFour = LT | CM | RT | RB;
constexpr unsigned kFive = LT | CT | CM | CB | RB;
constexpr unsigned kSix = LT | LB | CT | CM | CB | RB;
constexpr unsigned kSeven = CT | RT | RB;
constexpr unsigned kEight = LT | LB | CT | CM | CB | RT | RB;
constexpr unsigned kNine = LT | CT | CM | RT | RB;

// Calls the segment operations named in mask, in segment order.
void segments(psdraw& p, unsigned mask, short x, short y, short size, short colour)
{
    unsigned bit = 1;
    for (const CellOp segment : kSegmentOps) {
        if (mask & bit)
            (p.*segment)(x, y, size, colour);
        bit <<= 1;
    }
}

}  // namespace

void psdraw::plotnumD(short value, short x, short y, short size, short colour)
{
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
        if (digit >= 0 && digit <= 9)
            (this->*kDigitOps[digit])(x, y, size, colour);
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

void psdraw::plotzero(short x, short y, short size, short colour)
{
    segments(*this, kZero, x, y, size, colour);
}

void psdraw::plotone(short x, short y, short size, short colour)
{
    segments(*this, kOne, x, y, size, colour);
}

void psdraw::plottwo(short x, short y, short size, short colour)
{
    segments(*this, kTwo, x, y, size, colour);
}

void psdraw::plotthree(short x, short y, short size, short colour)
{
    segments(*this, kThree, x, y, size, colour);
}

void psdraw::plotfour(short x, short y, short size, short colour)
{
    segments(*this, kFour, x, y, size, colour);
}

void psdraw::plotfive(short x, short y, short size, short colour)
{
    segments(*this, kFive, x, y, size, colour);
}

void psdraw::plotsix(short x, short y, short size, short colour)
{
    segments(*this, kSix, x, y, size, colour);
}

void psdraw::plotseven(short x, short y, short size, short colour)
{
    segments(*this, kSeven, x, y, size, colour);
}

void psdraw::ploteight(short x, short y, short size, short colour)
{
    segments(*this, kEight, x, y, size, colour);
}

void psdraw::plotnine(short x, short y, short size, short colour)
{
    segments(*this, kNine, x, y, size, colour);
}

void psdraw::plotminus(short x, short y, short size, short colour)
{
    plotcm(x, y, size, colour);
}

void psdraw::plothyphone(short x, short y, short size, short colour)
{
    plotcm(x, y, size, colour);
}

void psdraw::plotdot(short, short, short, short) {}
