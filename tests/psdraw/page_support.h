// Shared pieces of the psdraw tests: a scratch directory per test whose page
// files are all handed to Ghostscript afterwards, capture of standard
// output, and reading back what a page holds.
#ifndef PSDRAW_TESTS_PAGE_SUPPORT_H
#define PSDRAW_TESTS_PAGE_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <psdraw.h>

// Runs each test in a fresh directory (page files are named relative to it)
// and, at the end, renders every page file left there (named *.ps or
// starting with "%!") with Ghostscript: each must be accepted, and each
// that ends a page must produce a picture.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir;

private:
    std::string previous;
};

// Whole content of a file; empty when it does not exist.
std::string readFile(const std::string& path);

// True when path names an existing file.
bool fileExists(const std::string& path);

// What the page's current file received after its prolog (flushed first).
std::string body(psdraw& page);

// What a page file holds after its prolog.
std::string bodyOf(const std::string& path);

// Redirects standard output (file descriptor 1) into a buffer until take().
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    // Restores standard output and returns what was written meanwhile.
    std::string take();

private:
    int saved = -1;
    std::string path;
};

// Opens page file 0 in the given output mode, keeping its echoed name and
// console header off standard output.
void openQuietly(psdraw& page, int outmode);

// Ghostscript's verdict on a page file rendered to PNG.
struct PngRender {
    int status;    // exit status of gs
    bool picture;  // a non-empty PNG was written
};
PngRender renderPng(const std::string& ps, const std::string& png);

// A page rendered at 72 dpi on A4 (one pixel per point, row 0 at the top).
struct Pixmap {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    // The pixel at PostScript point (x, y), y upwards from the page bottom.
    const unsigned char* at(int x, int y) const;
    // Whether the pixel at PostScript point (x, y) is not white.
    bool ink(int x, int y) const;
};
// Renders ps to a raw pixmap with Ghostscript; empty Pixmap on failure.
Pixmap renderPixmap(const std::string& ps);

#endif
