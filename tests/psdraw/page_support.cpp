#include "page_support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char kPrologEnd[] = "%EndProlog\n/Times-Roman findfont 12 scalefont setfont\n";

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string gsCommand(const std::string& device, const std::string& extra, const std::string& in,
                      const std::string& out)
{
    return "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=" + device + " " + extra + " -sOutputFile='" + out +
           "' '" + in + "' >/dev/null 2>&1";
}

// Skips blanks and '#' comments of a PPM header.
void skipPpmSpace(std::istream& in)
{
    for (;;) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            in.get();
        } else {
            return;
        }
    }
}

}  // namespace

void PageTest::SetUp()
{
    char pattern[] = "/tmp/psdraw_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    previous = fs::current_path();
    fs::current_path(dir);
}

void PageTest::TearDown()
{
    std::fflush(stdout);
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().string();
        const bool pageFile = entry.path().extension() == ".ps" || readFile(name).rfind("%!", 0) == 0;
        if (!entry.is_regular_file() || !pageFile)
            continue;
        const PngRender verdict = renderPng(name, name + ".png");
        EXPECT_EQ(verdict.status, 0) << "Ghostscript rejected " << name;
        if (readFile(name).find("showpage") != std::string::npos) {
            EXPECT_TRUE(verdict.picture) << "no picture from " << name;
        }
    }
    fs::current_path(previous);
    fs::remove_all(dir);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool fileExists(const std::string& path)
{
    return fs::is_regular_file(path);
}

std::string body(psdraw& page)
{
    std::fflush(page.fp[page.curfile]);
    return bodyOf(page.fname);
}

std::string bodyOf(const std::string& path)
{
    const std::string all = readFile(path);
    const std::size_t end = all.find(kPrologEnd);
    if (end == std::string::npos)
        return all;
    return all.substr(end + sizeof kPrologEnd - 1);
}

StdoutCapture::StdoutCapture()
{
    char pattern[] = "/tmp/psdraw_stdout_XXXXXX";
    const int fd = mkstemp(pattern);
    path = pattern;
    std::fflush(stdout);
    saved = dup(1);
    dup2(fd, 1);
    close(fd);
}

StdoutCapture::~StdoutCapture()
{
    take();
}

std::string StdoutCapture::take()
{
    if (saved < 0)
        return {};
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    saved = -1;
    const std::string text = readFile(path);
    unlink(path.c_str());
    return text;
}

void openQuietly(psdraw& page, int outmode)
{
    StdoutCapture header;
    page.outmode = outmode;
    page.gopen(nullptr);
}

PngRender renderPng(const std::string& ps, const std::string& png)
{
    std::remove(png.c_str());
    PngRender verdict;
    verdict.status = run(gsCommand("png16m", "", ps, png));
    verdict.picture = fs::is_regular_file(png) && fs::file_size(png) > 0;
    return verdict;
}

const unsigned char* Pixmap::at(int x, int y) const
{
    const int row = height - 1 - y;
    return &rgb[(static_cast<std::size_t>(row) * width + x) * 3];
}

bool Pixmap::ink(int x, int y) const
{
    const unsigned char* p = at(x, y);
    return p[0] != 255 || p[1] != 255 || p[2] != 255;
}

Pixmap renderPixmap(const std::string& ps)
{
    const std::string ppm = ps + ".ppm";
    Pixmap map;
    if (run(gsCommand("ppmraw", "-r72 -sPAPERSIZE=a4 -dFIXEDMEDIA", ps, ppm)) != 0)
        return map;
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic;
    skipPpmSpace(in);
    in >> width;
    skipPpmSpace(in);
    in >> height;
    skipPpmSpace(in);
    in >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255 || width <= 0 || height <= 0)
        return map;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    if (!in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size())))
        return map;
    map.width = width;
    map.height = height;
    map.rgb = std::move(rgb);
    return map;
}
