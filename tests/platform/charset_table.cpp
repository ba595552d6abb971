// Writes how this build converts every BMP character to CP932, every CP932
// byte pair back, and a set of broken UTF-8 sequences, one line each, into
// the file named by its argument. The Linux and the Windows build must write
// the same file (make check-windows compares them).
#include "platform/charset.h"

#include <cstdio>
#include <string>

namespace {

std::string hex(const std::string& bytes)
{
    std::string out;
    char two[3];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out.empty() ? "-" : out;
}

std::string utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: charset_table OUTPUT\n", stderr);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    for (char32_t c = 1; c < 0x10000; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            std::fprintf(out, "U+%04X %s\n", static_cast<unsigned>(c), hex(utf8ToCp932(utf8(c))).c_str());
    for (char32_t c : {0x10000u, 0x1F600u, 0x10FFFFu})
        std::fprintf(out, "U+%04X %s\n", static_cast<unsigned>(c), hex(utf8ToCp932(utf8(c))).c_str());
    // Broken UTF-8: overlong forms, surrogates, beyond U+10FFFF, stray and
    // missing continuation bytes, each followed by ASCII.
    const char* broken[] = {"\xC0\x80",
                            "\xC1\xBF",
                            "\xE0\x80\x80",
                            "\xE0\x9F\xBF",
                            "\xED\xA0\x80",
                            "\xED\xBF\xBF",
                            "\xF0\x80\x80\x80",
                            "\xF0\x8F\xBF\xBF",
                            "\xF4\x90\x80\x80",
                            "\xF5\x80\x80\x80",
                            "\xFF",
                            "\x80",
                            "\xBF\xBF",
                            "\xE3\x81",
                            "\xE3",
                            "\xF0\x9F\x98",
                            "\xC3"};
    for (const char* b : broken) {
        const std::string tail = std::string(b) + "A";
        std::fprintf(out, "bad %s %s / %s\n", hex(b).c_str(), hex(utf8ToCp932(tail)).c_str(),
                     hex(utf8ToCp932(b)).c_str());
    }
    for (unsigned b = 0x80; b < 0x100; ++b) {
        const std::string single(1, static_cast<char>(b));
        std::fprintf(out, "%02x %s\n", b, hex(cp932ToUtf8(single)).c_str());
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            const std::string pair = single + static_cast<char>(trail);
            std::fprintf(out, "%02x%02x %s\n", b, trail, hex(cp932ToUtf8(pair)).c_str());
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
