// UTF-8 <-> CP932 through glibc's iconv. Invalid or unconvertible input never
// stops a conversion: it is replaced and the rest of the text goes on.

#include "platform/charset.h"
#include "platform/charset_convert.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// One iconv descriptor per direction and thread, opened on first use.
struct Converter {
    iconv_t cd;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from))
    {
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            // Only a C library without its gconv modules gets here.
            std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
            std::abort();
        }
    }
    ~Converter() { iconv_close(cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
};

iconv_t utf8ToCp932Converter()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter.cd;
}

iconv_t cp932ToUtf8Converter()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter.cd;
}

// Bytes to skip at a UTF-8 sequence iconv rejected: the lead byte and the
// continuation bytes that follow it, at most as many as the lead announces,
// so one broken or unconvertible character yields one replacement.
std::size_t utf8BadLength(const unsigned char* p, std::size_t left)
{
    std::size_t want = 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF)
        want = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
        want = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
        want = 4;
    std::size_t n = 1;
    while (n < want && n < left && (p[n] & 0xC0) == 0x80)
        ++n;
    return n;
}

// Bytes to skip at a CP932 sequence iconv rejected: a lead byte takes its
// trail byte with it when one follows.
std::size_t cp932BadLength(const unsigned char* p, std::size_t left)
{
    return isShiftJisLead(p[0]) && left >= 2 && p[1] >= 0x40 && p[1] != 0x7F && p[1] <= 0xFC ? 2 : 1;
}

using BadLength = std::size_t (*)(const unsigned char*, std::size_t);

// Converts in[0..len) and appends to out. Rejected sequences become
// replacement. Returns the number of bytes of an incomplete sequence left
// at the end (not converted), 0 when everything was consumed.
std::size_t convert(iconv_t cd, const char* in, std::size_t len, std::string& out,
                    std::string_view replacement, BadLength badLength)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];  // capacity of one output step; iconv stops at its end
    char* src = const_cast<char*>(in);
    std::size_t left = len;
    while (left > 0) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL)
            return left;
        const std::size_t skip = badLength(reinterpret_cast<const unsigned char*>(src), left);
        out.append(replacement);
        src += skip;
        left -= skip;
    }
    return 0;
}

}  // namespace

std::size_t utf8ToCp932Part(std::string_view text, std::string& out)
{
    return convert(utf8ToCp932Converter(), text.data(), text.size(), out, kCp932Geta, utf8BadLength);
}

std::string cp932ToUtf8(std::string_view cp932)
{
    std::string out;
    if (convert(cp932ToUtf8Converter(), cp932.data(), cp932.size(), out, "\xEF\xBF\xBD", cp932BadLength) > 0)
        out.append("\xEF\xBF\xBD");
    return out;
}
