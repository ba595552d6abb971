// Finding the consumer key in echoed text, whatever form the echo took.

#include "platform/key_mask.h"

#include "platform/charset.h"

#include <algorithm>
#include <cstddef>
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

// Bytes at text[i] that show nothing, so they must not break a run either:
// C0 and DEL, which the console drops; in UTF-8 C1 (0xC2 0x80..0x9F), the
// soft hyphen, the zero-width space, joiners and word joiner, and the
// byte-order mark; in Shift_JIS the unassigned single bytes 0x80 and 0xA0,
// which some conversions drop.
std::size_t invisibleBytes(std::string_view text, std::size_t i, MaskEncoding encoding)
{
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    const unsigned char c = at(0);
    if (c < 0x20 || c == 0x7F)
        return 1;
    if (encoding == MaskEncoding::ShiftJis)
        return c == 0x80 || c == 0xA0 ? 1 : 0;
    if (c == 0xC2 && ((at(1) >= 0x80 && at(1) <= 0x9F) || at(1) == 0xAD))
        return 2;
    const bool zeroWidth = (c == 0xE2 && at(1) == 0x80 && at(2) >= 0x8B && at(2) <= 0x8D) ||
                           (c == 0xE2 && at(1) == 0x81 && at(2) == 0xA0) ||
                           (c == 0xEF && at(1) == 0xBB && at(2) == 0xBF);
    return zeroWidth ? 3 : 0;
}

// A full-width letter or digit at text[i] as the ASCII one it reads as, and
// its length; a character of several bytes that is none of them reads as
// '\0' (never a key character) and takes all its bytes; 0 for a single byte.
std::size_t wideCharacter(std::string_view text, std::size_t i, MaskEncoding encoding, char* c)
{
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    const unsigned char b = at(0);
    if (encoding == MaskEncoding::ShiftJis) {
        const unsigned char t = at(1);
        // a lead byte without a trail is a character of its own, as the conversions read it
        if (!isShiftJisLead(b) || t < 0x40 || t == 0x7F || t > 0xFC)
            return 0;
        *c = '\0';
        if (b == 0x82 && t >= 0x4F && t <= 0x58)
            *c = static_cast<char>('0' + (t - 0x4F));
        else if (b == 0x82 && t >= 0x60 && t <= 0x79)
            *c = static_cast<char>('A' + (t - 0x60));
        else if (b == 0x82 && t >= 0x81 && t <= 0x9A)
            *c = static_cast<char>('a' + (t - 0x81));
        return 2;
    }
    // U+FF01..U+FF5E are the full-width forms of '!'..'~'
    if (b == 0xEF && (at(1) == 0xBC || at(1) == 0xBD) && at(2) >= 0x80 && at(2) <= 0xBF) {
        const int code = (at(1) - 0xBC) * 64 + (at(2) - 0x80);  // U+FF00 + code
        if (code >= 1 && code <= 0x5E) {
            *c = static_cast<char>(0x20 + code);
            return 3;
        }
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

// Reads the text as compared, one character at a time; line breaks and the
// indentation after them, and what shows nothing, produce nothing, so the
// characters on either side are neighbours.
struct Decoder {
    std::string_view text;
    MaskEncoding encoding;
    std::size_t at = 0;

    // The next character; false at the end of the text.
    bool next(Decoded* d)
    {
        while (at < text.size()) {
            const std::size_t i = at;
            if (isLineBreak(text[i])) {
                while (at < text.size() && (isLineBreak(text[at]) || text[at] == ' ' || text[at] == '\t'))
                    ++at;
                continue;
            }
            if (const std::size_t n = invisibleBytes(text, i, encoding)) {
                at += n;
                continue;
            }
            char c = text[i];
            std::size_t n = wideCharacter(text, i, encoding, &c);
            if (n == 0) {
                n = escape(text, i, &c);
                const auto u = static_cast<unsigned char>(c);
                if (n > 0 && (u < 0x20 || u == 0x7F)) {  // an escaped control shows nothing
                    at += n;
                    continue;
                }
                n = n > 0 ? n : 1;
            }
            at += n;
            *d = {lower(c), i, i + n};
            return true;
        }
        return false;
    }
};

// Where each character stands in the key (lower case), all in one list
// ordered by character: one allocation, since maskKey runs on every name of
// a timetable.
struct KeyPlaces {
    std::size_t start[257] = {};  // places of character c: list[start[c]] up to list[start[c + 1]]
    std::vector<std::size_t> list;

    explicit KeyPlaces(const std::string& key) : list(key.size())
    {
        for (char c : key)
            ++start[static_cast<unsigned char>(c) + 1];
        for (std::size_t c = 1; c <= 256; ++c)
            start[c] += start[c - 1];
        std::size_t next[256];
        std::copy(start, start + 256, next);
        for (std::size_t i = 0; i < key.size(); ++i)
            list[next[static_cast<unsigned char>(key[i])]++] = i;
    }

    bool has(char c) const
    {
        const auto u = static_cast<unsigned char>(c);
        return start[u + 1] > start[u];
    }
};

// Length of the longest run of key characters at the front of the count
// characters from ahead on.
std::size_t longestRun(const Decoded* ahead, std::size_t count, const std::string& key,
                       const KeyPlaces& places)
{
    std::size_t best = 0;
    const auto c = static_cast<unsigned char>(ahead[0].c);
    for (std::size_t p = places.start[c]; p < places.start[c + 1]; ++p) {
        const std::size_t from = places.list[p];
        std::size_t n = 1;
        while (n < count && from + n < key.size() && ahead[n].c == key[from + n])
            ++n;
        best = std::max(best, n);
    }
    return best;
}

}  // namespace

std::string maskKey(std::string_view text, std::size_t limit, std::string_view key, MaskEncoding encoding)
{
    std::string lowerKey(key);
    std::transform(lowerKey.begin(), lowerKey.end(), lowerKey.begin(), lower);
    const std::size_t runMin = std::min(kKeyRunMin, lowerKey.size());
    // every character takes at least one byte: a shorter text holds no echo
    if (text.size() < runMin || runMin == 0)
        return std::string(text.substr(0, limit));
    const KeyPlaces places(lowerKey);

    // Byte ranges of the echoes, left to right, none overlapping. The text is
    // read through a window as long as the key, so a whole answer costs no
    // more memory than that.
    std::vector<std::pair<std::size_t, std::size_t>> echoes;
    Decoder decoder{text, encoding};
    std::vector<Decoded> window;  // the characters from window[front] on are ahead
    std::size_t front = 0;
    for (Decoded d;;) {
        if (front >= 4096) {
            window.erase(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(front));
            front = 0;
        }
        while (window.size() - front < lowerKey.size() && decoder.next(&d))
            window.push_back(d);
        const Decoded* ahead = window.data() + front;
        const std::size_t count = window.size() - front;
        if (count == 0 || ahead[0].begin >= limit)
            break;
        // no echo starts before a character that is not in the key at all
        std::size_t inKey = 0;
        while (inKey < runMin && inKey < count && places.has(ahead[inKey].c))
            ++inKey;
        if (inKey < runMin) {
            front += std::min(inKey + 1, count);
            continue;
        }
        const std::size_t run = longestRun(ahead, count, lowerKey, places);
        if (run >= runMin)
            echoes.emplace_back(ahead[0].begin, ahead[run - 1].end);
        front += run >= runMin ? run : 1;
    }

    std::string shown;
    shown.reserve(std::min(text.size(), limit));
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

namespace {

std::string shownKey;

}  // namespace

void configureShownKey(const std::string& key)
{
    shownKey = key;
}

std::string maskShown(std::string_view text, MaskEncoding encoding)
{
    return maskKey(text, text.size(), shownKey, encoding);
}
