#pragma once
// Text encoding conversions between UTF-8 (the web API, the terminal) and
// the program's own Shift_JIS (code page 932) texts.

#include <cstddef>
#include <string>
#include <string_view>

// State of one UTF-8 to CP932 conversion that arrives in chunks: the bytes of
// a character cut off at the end of one chunk wait here for the next.
struct Cp932Stream {
    char held[4];         // capacity 4: a UTF-8 character is at most 4 bytes
    std::size_t heldLen;  // bytes in held, 0..3 between calls
};

// The CP932 byte pair of "〓", written for every character that has no CP932
// form and for every byte that is not valid UTF-8.
inline constexpr char kCp932Geta[] = "\x81\xAC";

// True when c is the first byte of a two-byte Shift_JIS character (0x81-0x9F
// or 0xE0-0xFC); the byte after it belongs to the same character.
constexpr bool isShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Starts a conversion: nothing held back.
void cp932_begin(Cp932Stream& stream);

// Converts chunk (UTF-8) and appends the CP932 result to out; an incomplete
// character at the end of chunk is held back and completed by the next call.
void cp932_feed(Cp932Stream& stream, std::string_view chunk, std::string& out);

// Ends a conversion: a still incomplete held-back character becomes "〓".
void cp932_end(Cp932Stream& stream, std::string& out);

// Converts a whole UTF-8 text to CP932 (unconvertible characters become "〓").
std::string utf8ToCp932(std::string_view utf8);

// Converts a whole CP932 text to UTF-8; a byte sequence that is not CP932
// becomes U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);
