// Full-width forms of single-byte characters, so that the double-byte bitmap
// font can draw digits, letters, punctuation and half-width kana.
#pragma once

#include <string>
#include <string_view>

// Shift_JIS text → Shift_JIS text of double-byte characters only: each of the
// first 127 characters of text that is printable ASCII (0x20–0x7E) or
// half-width katakana (0xA1–0xDF) becomes its two-byte full-width form;
// every other character (double-byte ones included) is left out.
std::string to_fullwidth(std::string_view text);
