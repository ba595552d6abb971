// UTF-8 <-> CP932 with Windows' own code page 932, read once into two lookup
// tables. Windows and glibc disagree on a few characters (the JIS variants of
// the dash, the wave dash, the cent sign...); those follow glibc, so both
// builds turn the same download into the same bytes.
//
// Sections: tables · UTF-8 decoding · conversions
#include "platform/charset.h"
#include "platform/charset_convert.h"

#include <windows.h>

#include <memory>

namespace {

// ---- tables ----

constexpr UINT kCodePage = 932;

// Characters Windows maps only by best fit or not at all, and the code
// point whose CP932 form glibc gives them.
struct SameAs {
    wchar_t character;
    wchar_t mappedLike;
};
constexpr SameAs kGlibcMappings[] = {
    {L'\u301C', L'\uFF5E'},  // 〜 wave dash as ～
    {L'\u2212', L'\uFF0D'},  // − minus sign as －
    {L'\u2016', L'\u2225'},  // ‖ double vertical line as ∥
    {L'\u2014', L'\u2015'},  // — em dash as ―
    {L'\u00A2', L'\uFFE0'},  // ¢ as ￠
    {L'\u00A3', L'\uFFE1'},  // £ as ￡
    {L'\u00AC', L'\uFFE2'},  // ¬ as ￢
};
// And two that glibc maps to the ASCII bytes they share with JIS X 0201.
constexpr SameAs kGlibcSingleBytes[] = {
    {L'\u00A5', L'\\'},  // ¥
    {L'\u203E', L'~'},   // ‾ overline
};

struct Tables {
    // CP932 form of each BMP code point: a byte pair (lead << 8 | trail), a
    // single byte, or 0 for none (U+0000 aside, which is ASCII).
    uint16_t toCp932[0x10000];
    // The code point of each CP932 byte pair (lead << 8 | trail) or single
    // byte; 0 where the bytes are not CP932.
    wchar_t fromCp932[0x10000];
};

// Windows also gives 0x80, 0xA0 and 0xFD-0xFF characters; glibc does not.
bool isSingleByte(unsigned char b)
{
    return b < 0x80 || (b >= 0xA1 && b <= 0xDF);
}

uint16_t windowsCp932(wchar_t c)
{
    char bytes[2];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault)
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (n == 1)
        return isSingleByte(lead) ? lead : 0;
    return static_cast<uint16_t>(lead << 8 | static_cast<unsigned char>(bytes[1]));
}

wchar_t windowsUnicode(const char* bytes, int length)
{
    wchar_t c = 0;
    return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, length, &c, 1) == 1 ? c : 0;
}

std::unique_ptr<Tables> buildTables()
{
    auto t = std::make_unique<Tables>();
    for (unsigned c = 0; c < 0x10000; ++c) {
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        t->toCp932[c] = c < 0x80 ? c : surrogate ? 0 : windowsCp932(static_cast<wchar_t>(c));
    }
    for (const SameAs& m : kGlibcMappings)
        t->toCp932[m.character] = t->toCp932[m.mappedLike];
    for (const SameAs& m : kGlibcSingleBytes)
        t->toCp932[m.character] = static_cast<uint16_t>(m.mappedLike);

    for (unsigned b = 0; b < 0x100; ++b) {
        const char single = static_cast<char>(b);
        t->fromCp932[b] = b < 0x80          ? static_cast<wchar_t>(b)
                          : isSingleByte(b) ? windowsUnicode(&single, 1)
                                            : 0;
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isShiftJisLead(static_cast<unsigned char>(lead)))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            if (trail != 0x7F)
                t->fromCp932[lead << 8 | trail] = windowsUnicode(pair, 2);
        }
    }
    return t;
}

const Tables& tables()
{
    static const std::unique_ptr<Tables> built = buildTables();
    return *built;
}

// ---- UTF-8 decoding ----

// Outcome of looking at the UTF-8 sequence at the front of a text.
struct Decoded {
    enum { Character, Broken, Incomplete } kind;
    char32_t character;  // when Character
    std::size_t length;  // bytes the character or the broken sequence takes
};

// The accepted range of the byte after lead; the bytes after that are all 0x80..0xBF.
void secondByteRange(unsigned char lead, unsigned char& low, unsigned char& high)
{
    low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). A
// broken sequence takes its lead byte and the continuation bytes that follow
// it, at most as many as the lead announces, as glibc's iconv skips them.
Decoded decode(const unsigned char* p, std::size_t left)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return {Decoded::Character, lead, 1};
    std::size_t want = 1;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        want = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        want = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        want = 4;
        c = lead & 0x07;
    } else {
        return {Decoded::Broken, 0, 1};
    }
    unsigned char low, high;
    secondByteRange(lead, low, high);
    std::size_t n = 1;
    for (; n < want && n < left; ++n) {
        const unsigned char b = p[n];
        const bool fits = n == 1 ? b >= low && b <= high : (b & 0xC0) == 0x80;
        if (!fits) {
            std::size_t skip = 1;
            while (skip < want && skip < left && (p[skip] & 0xC0) == 0x80)
                ++skip;
            return {Decoded::Broken, 0, skip};
        }
        c = c << 6 | (b & 0x3F);
    }
    if (n < want)
        return {Decoded::Incomplete, 0, n};
    return {Decoded::Character, c, want};
}

void appendCp932(std::string& out, char32_t c)
{
    const uint16_t code = c < 0x10000 ? tables().toCp932[c] : 0;
    if (c != 0 && code == 0)
        out.append(kCp932Geta);
    else if (code > 0xFF)
        out.append({static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)});
    else
        out.push_back(static_cast<char>(code));
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::size_t utf8ToCp932Part(std::string_view text, std::string& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t at = 0;
    while (at < text.size()) {
        const Decoded d = decode(p + at, text.size() - at);
        if (d.kind == Decoded::Incomplete)
            return text.size() - at;
        if (d.kind == Decoded::Broken)
            out.append(kCp932Geta);
        else
            appendCp932(out, d.character);
        at += d.length;
    }
    return 0;
}

// ---- conversions ----

std::string cp932ToUtf8(std::string_view cp932)
{
    const Tables& t = tables();
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    for (std::size_t at = 0; at < cp932.size();) {
        const unsigned char b = p[at];
        const bool pair = isShiftJisLead(b) && at + 1 < cp932.size() && p[at + 1] >= 0x40 &&
                          p[at + 1] != 0x7F && p[at + 1] <= 0xFC;
        const wchar_t c = pair ? t.fromCp932[b << 8 | p[at + 1]] : t.fromCp932[b];
        if (c == 0 && b != 0)
            out.append("\xEF\xBF\xBD");
        else
            appendUtf8(out, c);
        at += pair ? 2 : 1;
    }
    return out;
}
