// Page files: the object's lifetime, gopen/gclose, the prolog and page ends.
#include <cstdlib>
#include <cstring>

#include "internal.h"

using psdraw_detail::consoleStream;
using psdraw_detail::fileStream;

namespace {

// Written at the head of every page file: one-letter procedures for the
// file form of the drawing statements and F0..F33 for the standard fonts.
const char kProlog[] =
    "%!\n"
    "%BeginProlog\n"
    "%Begin pslib header\n"
    "150 dict begin\n"
    "/A /setgray load def\n"
    "/B /setdash load def\n"
    "/C /setrgbcolor load def\n"
    "/D /rlineto load def\n"
    "/E {dup stringwidth pop} bind def\n"
    "/F /fill load def\n"
    "/G /rmoveto load def\n"
    "/L /lineto load def\n"
    "/J /moveto load def\n"
    "/M {stroke moveto} bind def\n"
    "/N /newpath load def\n"
    "/O {M {D} repeat P V C F U S} def\n"
    "/o {M {D} repeat P V A F U S} def\n"
    "/P /closepath load def\n"
    "/Q {M {D} repeat P V C F U N} def\n"
    "/q {M {D} repeat P V A F U N} def\n"
    "/t {M {D} repeat P S} def\n"
    "/R /rotate load def\n"
    "/S /stroke load def\n"
    "/T /translate load def\n"
    "/U /grestore load def\n"
    "/V /gsave load def\n"
    "/W /setlinewidth load def\n"
    "/X {M dup 0 D dup -0.5 mul dup G 0 exch D S} bind def\n"
    "/Y {findfont 12 scalefont setfont} bind def\n"
    "/Y0 {findfont exch scalefont setfont} bind def\n"
    "/Z /show load def\n"
    "/F0 {/Helvetica Y} bind def\n"
    "/F1 {/Helvetica-Bold Y} bind def\n"
    "/F2 {/Helvetica-Oblique Y} bind def\n"
    "/F3 {/Helvetica-BoldOblique Y} bind def\n"
    "/F4 {/Times-Roman Y} bind def\n"
    "/F5 {/Times-Bold Y} bind def\n"
    "/F6 {/Times-Italic Y} bind def\n"
    "/F7 {/Times-BoldItalic Y} bind def\n"
    "/F8 {/Courier Y} bind def\n"
    "/F9 {/Courier-Bold Y} bind def\n"
    "/F10 {/Courier-Oblique Y} bind def\n"
    "/F11 {/Courier-BoldOblique Y} bind def\n"
    "/F12 {/Symbol Y} bind def\n"
    "/F13 {/AvantGarde-Book Y} bind def\n"
    "/F14 {/AvantGarde-BookOblique Y} bind def\n"
    "/F15 {/AvantGarde-Demi Y} bind def\n"
    "/F16 {/AvantGarde-DemiOblique Y} bind def\n"
    "/F17 {/Bookman-Demi Y} bind def\n"
    "/F18 {/Bookman-DemiItalic Y} bind def\n"
    "/F19 {/Bookman-Light Y} bind def\n"
    "/F20 {/Bookman-LightItalic Y} bind def\n"
    "/F21 {/Helvetica-Narrow Y} bind def\n"
    "/F22 {/Helvetica-Narrow-Bold Y} bind def\n"
    "/F23 {/Helvetica-Narrow-Oblique Y} bind def\n"
    "/F24 {/Helvetica-Narrow-BoldOblique Y} bind def\n"
    "/F25 {/NewCenturySchlbk-Roman Y} bind def\n"
    "/F26 {/NewCenturySchlbk-Italic Y} bind def\n"
    "/F27 {/NewCenturySchlbk-Bold Y} bind def\n"
    "/F28 {/NewCenturySchlbk-BoldItalic Y} bind def\n"
    "/F29 {/Palatino-Roman Y} bind def\n"
    "/F30 {/Palatino-Italic Y} bind def\n"
    "/F31 {/Palatino-Bold Y} bind def\n"
    "/F32 {/Palatino-BoldItalic Y} bind def\n"
    "/F33 {/ZapfChancery-MediumItalic Y} bind def\n"
    "/#copies 1 def\n"
    "%EndProlog\n"
    "/Times-Roman findfont 12 scalefont setfont\n";

const char kConsoleHeader[] =
    "%!\n"
    "/Times-Roman findfont 12 scalefont setfont\n";

void showpage(const psdraw& p)
{
    if (std::FILE* f = fileStream(p))
        std::fputs("showpage\n", f);
    if (std::FILE* c = consoleStream(p))
        std::fputs("showpage\n", c);
}

}  // namespace

psdraw::psdraw()
    : img(nullptr),
      colours(0),
      sizeratio(0),
      xratio(0),
      yratio(0),
      fname{},
      fp{},
      fid{},
      curfile(-1),
      outmode(0),
      decade(0),
      xsize(0),
      xshift(0),
      xmax(0),
      xmin(0),
      xspan(0),
      left(0),
      xcentre(0),
      right(0),
      ysize(0),
      ybase(0),
      ymax(0),
      ymin(0),
      yspan(0),
      top(0),
      ycentre(0),
      bottom(0),
      digw(0),
      digh(0),
      diggap(0)
{
}

psdraw::~psdraw()
{
    showpage(*this);
    for (int k = curfile; k >= 0; --k)
        gclose(k);
    freeimg();
}

int psdraw::gopen(unsigned char* name)
{
    const int k = curfile + 1;
    if (k >= file_slots)
        return -1;

    char path[fname_capacity];
    int length;
    if (name == nullptr) {
        length = std::snprintf(path, sizeof path, "%d.ps", k);
    } else {
        const char* given = reinterpret_cast<const char*>(name);
        length = std::snprintf(path, sizeof path, std::strchr(given, '.') ? "%s" : "%s.ps", given);
    }
    // A name cut to fit would open a different file than the caller asked for.
    if (length < 0 || length >= fname_capacity)
        return -1;
    std::memcpy(fname, path, static_cast<std::size_t>(length) + 1);

    curfile = k;
    fid[k] = k;
    std::printf("%s\n", fname);
    bool created = true;
    if (outmode == 0 || outmode == 2) {
        fp[k] = std::fopen(fname, "w");
        if (fp[k])
            std::fputs(kProlog, fp[k]);
        else
            created = false;
    }
    if (std::FILE* c = consoleStream(*this))
        std::fputs(kConsoleHeader, c);

    sizeratio = 1.0f;
    xratio = 1.0f;
    yratio = 1.0f;
    colours = 16;
    setxratio(1.0f, 3);
    setyratio(1.0f, 50);
    return created ? k : -1;
}

void psdraw::gclose(int k)
{
    if (k < 0 || k > curfile || k >= file_slots)
        return;
    const int slot = fid[k];
    if (slot < 0 || slot >= file_slots || fp[slot] == nullptr)
        return;
    std::fclose(fp[slot]);
    fp[slot] = nullptr;
}

void psdraw::cls(int n)
{
    const int rest = n % 5;
    if (rest == 0 || rest == 3)
        showpage(*this);
}

void psdraw::Reset() {}

void psdraw::gend() {}

int psdraw::getpage()
{
    return 0;
}

int psdraw::See(int, int, int)
{
    return 0;
}

void psdraw::Show()
{
    if (std::FILE* f = fileStream(*this))
        std::fputc('\n', f);
    if (std::FILE* c = consoleStream(*this))
        std::fputc('\n', c);
}
