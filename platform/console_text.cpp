#include "platform/console_text.h"

#include "platform/charset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

bool isControl(unsigned char c)
{
    return (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F;
}

// Bytes of the longest run of whole Shift_JIS characters at the start of
// text (len bytes) that is at most limit bytes.
std::size_t wholeCharacters(const char* text, std::size_t len, std::size_t limit)
{
    std::size_t n = 0;
    while (n < len) {
        const std::size_t step = isShiftJisLead(static_cast<unsigned char>(text[n])) ? 2 : 1;
        if (n + step > limit || n + step > len)
            break;
        n += step;
    }
    return n;
}

constexpr char kEllipsis[] = "\x81\x63";  // "…" in Shift_JIS

}  // namespace

std::string console_format(const char* fmt, va_list args)
{
    char small[1024];  // capacity 1024; longer texts are formatted on the heap
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    std::string text;
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(n));
    } else if (n > 0) {
        text.assign(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), fmt, again);
        text.resize(static_cast<std::size_t>(n));
    }
    va_end(again);
    return text;
}

// A carriage return is kept only as a message's last byte: that is how
// messages ask to be overwritten, while one inside a text (from a notice,
// say) would let the text overwrite the start of its own line.
std::string console_drop_controls(const char* text, std::size_t len)
{
    std::string out;
    out.reserve(len);
    for (std::size_t i = 0; i < len; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!isControl(c) && (c != '\r' || i + 1 == len))
            out.push_back(text[i]);
    }
    return out;
}

std::string console_cut_lines(const std::string& text)
{
    std::string out;
    out.reserve(std::min(text.size(), kConsoleLineCap + 2));
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        // the last "\r" of a message ends its line as "\n" does
        std::size_t stop = end;
        if (stop == text.size() && stop > start && text[stop - 1] == '\r')
            --stop;
        if (stop - start <= kConsoleLineCap) {
            out.append(text, start, stop - start);
        } else {
            const std::size_t room = kConsoleLineCap - (sizeof kEllipsis - 1);
            out.append(text, start, wholeCharacters(text.data() + start, stop - start, room));
            out += kEllipsis;
        }
        out.append(text, stop, end - stop + (end < text.size() ? 1 : 0));
        start = end + 1;
    }
    return out;
}

void console_copy_line(const std::string& line, char* buf, std::size_t cap)
{
    const std::size_t n = wholeCharacters(line.data(), line.size(), cap - 1);
    std::memcpy(buf, line.data(), n);
    buf[n] = '\0';
}
