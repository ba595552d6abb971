// psdraw — writes plots as PostScript page files.
//
// User coordinates are points (1/72 inch) on an A4-sized page, x to the right
// and y downwards; the operations flip y with the plot frame. Each drawing
// operation writes its file form (one-letter procedures from the prolog) to
// the current page file when outmode is 0 or 2, and its console form (plain
// PostScript operators) to standard output when outmode is 1 or 2.
// Out-of-range arguments are folded into range; nothing reports an error
// except gopen, which returns -1 when it cannot start a page file.
//
// Reals are written with six decimals after a '.' (as "%f" in the "C"
// locale) whatever locale the calling program has set.
#ifndef PSDRAW_H
#define PSDRAW_H

#include <cstddef>
#include <cstdio>
#include <type_traits>

// One polyline vertex for _polygon: user coordinates, x then y.
struct _xycoord {
    short x;
    short y;
};

class psdraw {
public:
    // No page file yet: curfile -1, outmode 0, frame all zero, img empty.
    psdraw();
    // Writes "showpage" to the current page (file and/or standard output
    // as outmode says), then closes every page file still open.
    ~psdraw();
    psdraw(const psdraw&) = delete;
    psdraw& operator=(const psdraw&) = delete;

    // ---- document and pages ----

    // Starts page file number curfile+1: name, or "<number>.ps" when name is
    // null; ".ps" is appended to a name without '.'. Echoes the name on
    // standard output, writes the prolog, resets ratios and frame. Returns
    // the file number, or -1 when all five slots are used, the name would
    // not fit fname, or the file cannot be created (then nothing more is
    // written to the file stream until the next successful gopen).
    int gopen(unsigned char* name);
    // gopen for a name given as text: gopen("plot"), gopen(argv[1]). A
    // template so that a null name (nullptr, NULL, 0) still picks the
    // overload above; the name is only read.
    template <typename Text, typename std::enable_if<std::is_convertible<Text, const char*>::value &&
                                                         !std::is_same<Text, std::nullptr_t>::value,
                                                     int>::type = 0>
    int gopen(Text name)
    {
        const char* text = name;
        return gopen(reinterpret_cast<unsigned char*>(const_cast<char*>(text)));
    }
    // Closes page file k when 0 <= k <= curfile and still open; else ignored.
    void gclose(int k);
    // Ends the page ("showpage") when n % 5 is 0 or 3 (C remainder).
    void cls(int n);
    // Does nothing.
    void Reset();
    // Does nothing.
    void gend();
    // Always 0.
    int getpage();
    // Always 0; does nothing.
    int See(int, int, int);
    // Writes an empty line.
    void Show();

    // ---- page frame and scaling ----

    // Recomputes the x half of the plot frame for page ratio r, shift off.
    void setxratio(float r, int off);
    // Recomputes the y half of the plot frame: ybase = getymax() - off.
    void setyratio(float r, int off);
    // setxratio(r, xoffset) then setyratio(r, yoffset).
    void setratio(float r, int xoffset, int yoffset);
    // Page width in points: trunc(xratio * 210 mm), 595 at ratio 1.
    int getxmax();
    // Page height in points: trunc(yratio * 296 mm), 839 at ratio 1.
    int getymax();
    // Tick step for a range v (0.2, 0.5 times a power of ten); sets decade.
    float scal(float v);
    // Tick interval for an integer range; length is not used.
    int scale(int range, int length);
    // v cut down to three significant digits (to a whole number from 100).
    float getminvalg(float v);
    // v cut up to three significant digits (to a whole number from 100).
    float getmaxvalg(float v);

    // ---- axes (ticks and labels in black, no axis line) ----

    // Six ticks along the bottom, labelled lo .. hi as reals; third unused.
    void xaxis(float lo, float hi, int);
    // Eleven ticks up the left side, labelled as reals; third unused.
    void yaxis(float lo, float hi, int);
    // Six ticks along the bottom with centred integer labels.
    void xaxis(int lo, int hi);
    // A tick and label at each value lo .. hi that the scale() step marks.
    void yaxis(int lo, int hi);

    // ---- colours and line styles ----

    // Components clamped to 0..1; returns 1, or 0 for black (a grey level).
    int color(float red, float green, float blue);
    // One of 16 colours (folded into 0..15); returns the index used.
    short color(short index);
    // One of 16 grey levels; returns the level used.
    short colorBW(short level);
    // One of 256 grey levels; returns the level used.
    short color256(short level);
    // Screen colour number to index (7 and negatives give 0); writes nothing.
    int qbcolor(int index);
    // Does nothing.
    void getcolor();
    // Does nothing.
    void getmaxcolor();
    // Does nothing.
    void getbkcolor();
    // Does nothing; returns 0.
    int bkcolor(long);
    // Dash pattern 0 (solid) .. 6; larger styles fold by % 7.
    void setlinestyle(unsigned short style);
    // Does nothing.
    void setfillmask(unsigned char*);

    // ---- shapes (user coordinates; results are the colour index used) ----

    // A dot: a one-point diagonal stroke at (x, y).
    void pset(short x, short y, short colour);
    // Does nothing.
    void pics(short, short);
    // A stroked segment.
    short line(short x1, short y1, short x2, short y2, short colour);
    // A rectangle outline.
    short box(short x1, short y1, short x2, short y2, short colour);
    // A filled rectangle, outlined in edge when edge >= 0 and edge != fill.
    short boxf(short x1, short y1, short x2, short y2, short fill, short edge);
    // The circle inscribed in the box's width, centred in the box.
    short circle(short x1, short y1, short x2, short y2, short colour);
    // A filled circle, outlined in edge when edge >= 0 and edge != fill.
    short circlef(short x1, short y1, short x2, short y2, short fill, short edge);
    // An open black chain through count points (first argument unused).
    void _polygon(short, const _xycoord* points, short count);
    // Does nothing.
    void getimage(char*, short, short, short, short);
    // Does nothing.
    void getimage(short, short, short, short);
    // Does nothing.
    void putimage(char*, short, short, short);
    // Does nothing.
    void putimage(short, short, short);
    // Releases img (allocated with malloc by a caller) and empties it.
    void freeimg();

    // ---- text and numbers (x, y is the top-left of a 12-point line) ----

    // Does nothing.
    void usefont();
    // Does nothing.
    void endfont();
    // Does nothing.
    void setfontpara(short, short, short);
    // Does nothing.
    void setfontsize(short, short);
    // Does nothing.
    void setfontsize(int, int);
    // Does nothing.
    void tateyoko(short);
    // Text; the colour is always set, off-page text reaches standard output.
    void print(unsigned char* text, short x, short y, short colour);
    // Text; nothing at all is written when it starts off the page.
    void print(char* text, short x, short y, short colour);
    // Text, as print(char*): print("Title", x, y, colour).
    void print(const char* text, short x, short y, short colour);
    // Decimal value; nothing is written when it starts off the page.
    void print(unsigned int value, short x, short y, short colour);
    // Decimal value; nothing is written when it starts off the page.
    void print(int value, short x, short y, short colour);
    // Decimal value; nothing is written when it starts off the page.
    void print(short value, short x, short y, short colour);
    // Decimal value; nothing is written when it starts off the page.
    void print(long value, short x, short y, short colour);
    // Six decimals; nothing is written when it starts off the page.
    void print(float value, short x, short y, short colour);
    // Six decimals; nothing is written when it starts off the page.
    void print(double value, short x, short y, short colour);
    // print(value, x, y, colour); size is not used.
    void plotnum(float value, short x, short y, short size, short colour);
    // print(value, x, y, colour); size is not used.
    void plotnum(short value, short x, short y, short size, short colour);
    // Seven-segment digits of value; records digw, digh, diggap.
    void plotnumD(short value, short x, short y, short size, short colour);

    // Seven-segment digit cells at (x, y) of the given size. The segments
    // have no strokes, so none of these changes the page.
    // Segment: left side, upper half.
    void plotlt(short x, short y, short size, short colour);
    // Segment: left side, lower half.
    void plotlb(short x, short y, short size, short colour);
    // Segment: top.
    void plotct(short x, short y, short size, short colour);
    // Segment: middle.
    void plotcm(short x, short y, short size, short colour);
    // Segment: bottom.
    void plotcb(short x, short y, short size, short colour);
    // Segment: right side, upper half.
    void plotrt(short x, short y, short size, short colour);
    // Segment: right side, lower half.
    void plotrb(short x, short y, short size, short colour);
    // Minus sign: the middle segment.
    void plotminus(short x, short y, short size, short colour);
    // Decimal point: no segment.
    void plotdot(short x, short y, short size, short colour);
    // Hyphen: the middle segment.
    void plothyphone(short x, short y, short size, short colour);
    // Digit 0: lt lb ct cb rt rb.
    void plotzero(short x, short y, short size, short colour);
    // Digit 1: rt rb.
    void plotone(short x, short y, short size, short colour);
    // Digit 2: lb ct cm cb rt.
    void plottwo(short x, short y, short size, short colour);
    // Digit 3: ct cm cb rt rb.
    void plotthree(short x, short y, short size, short colour);
    // Digit 4: lt cm rt rb.
    void plotfour(short x, short y, short size, short colour);
    // Digit 5: lt ct cm cb rb.
    void plotfive(short x, short y, short size, short colour);
    // Digit 6: lt lb ct cm cb rb.
    void plotsix(short x, short y, short size, short colour);
    // Digit 7: ct rt rb.
    void plotseven(short x, short y, short size, short colour);
    // Digit 8: all seven segments.
    void ploteight(short x, short y, short size, short colour);
    // Digit 9: lt ct cm rt rb.
    void plotnine(short x, short y, short size, short colour);

    // ---- state (public, in this order) ----

    // Image buffer owned by the object, released by freeimg; stays empty.
    char* img;
    // Number of colours, 16 after gopen.
    int colours;
    // Page size ratio, 1.0 after gopen.
    float sizeratio;
    // Horizontal page ratio read by getxmax, 1.0 after gopen.
    float xratio;
    // Vertical page ratio read by getymax, 1.0 after gopen.
    float yratio;
    // Capacity of fname, terminating NUL included.
    static constexpr int fname_capacity = 60;
    // Name of the page file opened last.
    char fname[fname_capacity];
    // Number of page files one object can open.
    static constexpr int file_slots = 5;
    // Page files; slot k holds file number k (null when not open).
    std::FILE* fp[file_slots];
    // Number of the file in each slot.
    int fid[file_slots];
    // Number of the current page file, -1 before the first gopen.
    int curfile;
    // 0: page file only, 1: standard output only, 2: both (file first).
    int outmode;
    // Decade exponent found by scal.
    int decade;
    // Horizontal plot frame in points, set by setxratio.
    int xsize, xshift, xmax, xmin, xspan, left, xcentre, right;
    // Vertical plot frame in points, set by setyratio (y downwards).
    int ysize, ybase, ymax, ymin, yspan, top, ycentre, bottom;
    // Digit width, height and gap recorded by plotnumD.
    int digw, digh, diggap;
};

#endif
