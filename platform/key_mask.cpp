// Finding the consumer key in echoed text, whatever form the echo took.

#include "opendata/key_mask.h"

#include <algorithm>
#include <vector>

namespace {

// One character of the text as compared: lower-cased, %XX decoded, with the
// bytes [begin, end) of the text it came from.
struct Decoded {
    char c;
    std::size_t begin;
    std::size_t end;
};

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Control characters are dropped from what is shown, so they must not break
// a run either: C0, DEL, and C1 as UTF-8 encodes it (0xC2 0x80..0x9F).
std::size_t controlBytes(std::string_view text, std::size_t i)
{
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F)
        return 1;
    if (c == 0xC2 && i + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (next >= 0x80 && next <= 0x9F)
            return 2;
    }
    return 0;
}

// The character an escape at text[i] stands for (%XX, or JSON's \u00XX), and
// its length; 0 when there is none.
std::size_t escape(std::string_view text, std::size_t i, char* c)
{
    std::size_t digits = 0, length = 0;
    if (text[i] == '%')
        digits = 1, length = 3;
    else if (text.substr(i, 4) == "\\u00")
        digits = 4, length = 6;
    if (length == 0 || i + length > text.size() || hexValue(text[i + digits]) < 0 ||
        hexValue(text[i + digits + 1]) < 0)
        return 0;
    *c = static_cast<char>(hexValue(text[i + digits]) * 16 + hexValue(text[i + digits + 1]));
    return length;
}

// The text as compared; line breaks and the indentation after them, and
// control characters, produce nothing, so the characters on either side are
// neighbours.
std::vector<Decoded> decode(std::string_view text)
{
    std::vector<Decoded> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (isLineBreak(text[i])) {
            while (i < text.size() && (isLineBreak(text[i]) || text[i] == ' ' || text[i] == '\t'))
                ++i;
            continue;
        }
        if (const std::size_t n = controlBytes(text, i)) {
            i += n;
            continue;
        }
        char c = text[i];
        std::size_t n = escape(text, i, &c);
        n = n > 0 ? n : 1;
        const auto u = static_cast<unsigned char>(c);
        if (n == 1 || (u >= 0x20 && u != 0x7F))
            out.push_back({lower(c), i, i + n});
        i += n;
    }
    return out;
}

// Length of the longest run of key characters that starts at text[at].
std::size_t longestRun(const std::vector<Decoded>& text, std::size_t at, const std::string& key)
{
    std::size_t best = 0;
    for (std::size_t from = 0; from + best < key.size(); ++from) {
        std::size_t n = 0;
        while (at + n < text.size() && from + n < key.size() && text[at + n].c == key[from + n])
            ++n;
        best = std::max(best, n);
    }
    return best;
}

}  // namespace

std::string maskKey(std::string_view text, std::size_t limit, std::string_view key)
{
    std::string lowerKey(key);
    std::transform(lowerKey.begin(), lowerKey.end(), lowerKey.begin(), lower);
    const std::size_t runMin = std::min(keyRunMin, lowerKey.size());

    // Byte ranges of the echoes, left to right, none overlapping.
    std::vector<std::pair<std::size_t, std::size_t>> echoes;
    const std::vector<Decoded> decoded = runMin > 0 ? decode(text) : std::vector<Decoded>();
    for (std::size_t i = 0; i < decoded.size() && decoded[i].begin < limit;) {
        const std::size_t run = longestRun(decoded, i, lowerKey);
        if (run >= runMin) {
            echoes.emplace_back(decoded[i].begin, decoded[i + run - 1].end);
            i += run;
        } else {
            ++i;
        }
    }

    std::string shown;
    auto echo = echoes.begin();
    for (std::size_t i = 0; i < text.size() && i < limit;) {
        if (echo != echoes.end() && echo->first == i) {
            shown += "***";
            i = echo->second;
            ++echo;
            continue;
        }
        shown += text[i++];
    }
    return shown;
}
