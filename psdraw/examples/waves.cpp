// Plots one period of a sine and a cosine with both axes, a boxed legend and
// a filled swatch per curve. Usage: psdraw_waves [page-file]  (waves.ps)
#include <cmath>
#include <cstdio>

#include <psdraw.h>

namespace {

const double kPi = 3.14159265358979323846;

// Red and blue in psdraw's colour indices; 0 is black, 7 white.
const short kSineColour = 3;
const short kCosineColour = 1;
const short kBlack = 0;
const short kWhite = 7;

// The curve f over 0 .. 2 pi across the plot band, one segment per point.
void plotCurve(psdraw& page, double (*f)(double), short colour)
{
    const double half = page.yspan / 2.0;
    auto yAt = [&](int i) { return static_cast<short>(page.ycentre - half * f(2 * kPi * i / page.xspan)); };
    for (int i = 0; i < page.xspan; ++i)
        page.line(page.left + i, yAt(i), page.left + i + 1, yAt(i + 1), colour);
}

void legendEntry(psdraw& page, short x, short y, short colour, const char* label)
{
    page.boxf(x, y, x + 24, y + 10, colour, kBlack);
    page.print(label, x + 32, y - 1, kBlack);
}

}  // namespace

int main(int argc, char** argv)
{
    psdraw page;
    if (page.gopen(argc > 1 ? argv[1] : "waves.ps") < 0) {
        std::fprintf(stderr, "cannot create the page file\n");
        return 1;
    }

    page.box(page.left, page.top, page.right, page.bottom, kBlack);
    page.xaxis(0.0f, static_cast<float>(2 * kPi), 0);
    page.yaxis(-1.0f, 1.0f, 0);
    plotCurve(
        page, [](double x) { return std::sin(x); }, kSineColour);
    plotCurve(
        page, [](double x) { return std::cos(x); }, kCosineColour);

    // Legend in the top right corner of the band, on a white filled panel.
    const short x = page.right - 120;
    const short y = page.top + 12;
    page.boxf(x, y, page.right - 12, y + 44, kWhite, kBlack);
    legendEntry(page, x + 8, y + 8, kSineColour, "sin(x)");
    legendEntry(page, x + 8, y + 26, kCosineColour, "cos(x)");
    // The page is finished with "showpage" when page goes out of scope.
    return 0;
}
