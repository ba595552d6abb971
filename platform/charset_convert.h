#pragma once
// The one step each charset back-end provides; the streaming around it is shared.

#include <cstddef>
#include <string>
#include <string_view>

// Converts UTF-8 text to CP932 appended to out ("〓" for a character without a
// CP932 form or a broken sequence) and returns how many bytes at the end form
// an unfinished character, left unconverted (0 when none).
std::size_t utf8ToCp932Part(std::string_view text, std::string& out);
