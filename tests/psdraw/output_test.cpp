// Numbers on the page: reals match C's "%f" in the "C" locale digit for
// digit, and a program running under a decimal-comma locale gets the same
// bytes as one that never touched its locale.
#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "page_support.h"

namespace {

using PsdrawNumbers = PageTest;

// "%f" of v in the "C" locale (the test runs in it).
std::string cFixed(double v)
{
    char text[400];
    std::snprintf(text, sizeof text, "%f", v);
    return text;
}

double fromBits(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

float floatFromBits(std::uint32_t bits)
{
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Values where a six-decimal rendering can go wrong: exact halfway cases
// (dyadic fractions whose seventh decimal is 5), the neighbours of the
// halfway points, extremes, signed zeros, infinities, NaNs and a spread of
// random bit patterns over every exponent.
std::vector<double> awkwardReals()
{
    std::vector<double> values = {0.0,
                                  -0.0,
                                  DBL_MAX,
                                  -DBL_MAX,
                                  DBL_MIN,
                                  -DBL_MIN,
                                  DBL_TRUE_MIN,
                                  1e15 + 0.5,
                                  4503599627370495.5,
                                  0.9999995,
                                  999999.9999995,
                                  INFINITY,
                                  -INFINITY,
                                  NAN,
                                  -NAN};
    for (int k = 0; k < 4096; ++k) {
        values.push_back(k / 128.0);  // k * 0.0078125: ties at the sixth decimal
        values.push_back(-k / 1024.0);
        values.push_back(std::ldexp(k, -21));
    }
    std::mt19937_64 random(20240607);
    for (int i = 0; i < 4000; ++i) {
        const double halfway = (static_cast<double>(random() % 100000000) + 0.5) * 1e-6;
        values.push_back(halfway);
        values.push_back(std::nextafter(halfway, 0.0));
        values.push_back(std::nextafter(halfway, 1e9));
    }
    for (int i = 0; i < 20000; ++i)
        values.push_back(fromBits(random()));
    return values;
}

TEST_F(PsdrawNumbers, RealsAreWrittenAsCFixedNotationWithSixDecimals)
{
    psdraw page;
    openQuietly(page, 1);
    const std::vector<double> doubles = awkwardReals();
    std::vector<float> floats = {0.2f, 0.99609375f, FLT_MAX, -FLT_MIN, FLT_TRUE_MIN, 16777217.0f};
    std::mt19937 random(7);
    for (int i = 0; i < 5000; ++i)
        floats.push_back(floatFromBits(random()));

    std::string expected;
    StdoutCapture console;
    for (const double v : doubles) {
        page.print(v, 1, 2, 0);
        expected += "1 726 moveto\n(" + cFixed(v) + ") show\n";
    }
    for (const float v : floats) {
        page.print(v, 1, 2, 0);
        expected += "1 726 moveto\n(" + cFixed(v) + ") show\n";
    }
    const std::string written = console.take();
    EXPECT_TRUE(written == expected)
        << "the first difference is at byte "
        << std::mismatch(written.begin(), written.end(), expected.begin(), expected.end()).first -
               written.begin();
}

// The program's locale switched to German (decimal comma), built with
// localedef under dir and found through LOCPATH; the "C" locale and LOCPATH
// come back when the scope ends.
class GermanLocale {
public:
    explicit GermanLocale(const std::string& dir)
    {
        const char* path = std::getenv("LOCPATH");
        hadPath = path != nullptr;
        if (hadPath)
            previousPath = path;
        const std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        setenv("LOCPATH", dir.c_str(), 1);
        active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~GermanLocale()
    {
        std::setlocale(LC_ALL, "C");
        if (hadPath)
            setenv("LOCPATH", previousPath.c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
    bool active = false;

private:
    bool hadPath = false;
    std::string previousPath;
};

// Every statement that carries a number, in both output forms.
void drawEverything()
{
    psdraw page;
    page.outmode = 2;
    unsigned char name[] = "page.ps";
    page.gopen(name);
    page.color(0.25f, 0.5f, 1.0f / 3);
    page.color(short(9));
    page.colorBW(5);
    page.color256(255);
    page.setlinestyle(4);
    page.line(10, 20, 300, 400, 3);
    page.boxf(100, 100, 200, 150, 3, 0);
    page.circlef(100, 100, 200, 150, 2, 1);
    page.pset(5, 5, 8);
    page.print(2.5f, 100, 100, 15);
    page.print(-1234.56789, 100, 120, 13);
    page.print(4000000000u, 100, 140, 1);
    page.print(-9000000000L, 100, 160, 1);
    page.print(short(-7), 100, 180, 1);
    page.xaxis(0.0f, 6.2831855f, 0);
    page.yaxis(-1.0f, 1.0f, 0);
    page.xaxis(-5, 1000);
    page.yaxis(0, 100);
    page.cls(0);
}

// Statements are gathered in a buffer of a few hundred bytes before they are
// written: text far longer than that, with escapes on either side of the
// buffer's ends, and numbers of every width come out as printf wrote them.
TEST_F(PsdrawNumbers, StatementsOfAnyLengthAreWrittenWhole)
{
    std::string text, escaped;
    for (int i = 0; i < 1200; ++i) {
        const char c = i % 85 == 0   ? '('
                       : i % 86 == 0 ? ')'
                       : i % 87 == 0 ? '\\'
                                     : static_cast<char>('a' + i % 26);
        text += c;
        if (c == '(' || c == ')' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    const std::string grey = cFixed(0.2f);
    std::string file = " 0.000000 A\n100 628 J\n(" + escaped + ") Z\n";
    std::string console = " 0.000000 setgray\n 0.000000 0.000000 0.000000 setrgbcolor\n100 628 moveto\n(" +
                          escaped + ") show\n";
    // the page's y is 740 - y, kept to 16 bits
    const short ends[][4] = {{-32768, 32767, 32767, -32768}, {0, 0, -1, 740}, {9999, -9999, 12, 3}};
    for (const auto& e : ends) {
        char from[32], to[32];
        std::snprintf(from, sizeof from, "%d %d ", e[0], static_cast<short>(740 - e[1]));
        std::snprintf(to, sizeof to, "%d %d ", e[2], static_cast<short>(740 - e[3]));
        const std::string rgb = " " + grey + " " + grey + " " + grey;
        file += rgb + " C\nN\n" + from + "J\n" + to + "L\nS\n";
        console += rgb + " setrgbcolor\nnewpath\n" + from + "moveto\n" + to + "lineto\nstroke\n";
    }

    psdraw page;
    openQuietly(page, 2);
    StdoutCapture out;
    page.print(text.c_str(), 100, 100, 0);
    for (const auto& e : ends)
        page.line(e[0], e[1], e[2], e[3], 8);
    EXPECT_EQ(out.take(), console);
    EXPECT_EQ(body(page), file);
}

TEST_F(PsdrawNumbers, ADecimalCommaLocaleChangesNotOneByte)
{
    std::string reference, referenceConsole;
    {
        StdoutCapture console;
        drawEverything();
        referenceConsole = console.take();
        reference = readFile("page.ps");
    }
    std::rename("page.ps", "reference.ps");

    std::string german, germanConsole, inLocale;
    {
        GermanLocale locale(dir);
        if (!locale.active)
            GTEST_SKIP() << "cannot build the de_DE.UTF-8 locale";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        inLocale = probe;
        StdoutCapture console;
        drawEverything();
        germanConsole = console.take();
        german = readFile("page.ps");
    }

    EXPECT_EQ(inLocale, "0,5") << "the locale under test writes a decimal comma";
    EXPECT_NE(reference.find(" 0.250000 0.500000 0.333333 C\n"), std::string::npos);
    EXPECT_EQ(german, reference);
    EXPECT_EQ(germanConsole, referenceConsole);
}

}  // namespace
