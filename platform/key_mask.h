#pragma once
// Masking of the consumer key in text a server sent back, before it is shown.

#include <cstddef>
#include <string>
#include <string_view>

// Shortest run of consecutive key characters that counts as an echo of the
// key; a shorter key counts only whole.
inline constexpr std::size_t keyRunMin = 16;

// The first `limit` bytes of text with every echo of key replaced by "***".
// An echo is a run of keyRunMin or more consecutive characters of the key,
// compared without regard to case, with %XX and JSON \u00XX escapes decoded
// and line breaks (and the blanks that indent the next line) and control
// characters (C0, DEL, C1 in UTF-8, escaped or not) inside it skipped, since
// the console drops them. An echo that
// starts within the limit is masked whole, so text should carry the bytes
// after the limit that one may take: 3 per key character when escaped.
std::string maskKey(std::string_view text, std::size_t limit, std::string_view key);
