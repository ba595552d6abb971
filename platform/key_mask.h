#pragma once
// Masking of the consumer key in text before it is shown or spoken: in what
// a server sent back, and last of all in every console message and phrase.

#include <cstddef>
#include <string>
#include <string_view>

// Shortest run of consecutive key characters that counts as an echo of the
// key; a shorter key counts only whole.
inline constexpr std::size_t kKeyRunMin = 16;

// How the text to mask is encoded. In Shift_JIS a double-byte character is
// one character, so a key character is never found in its second byte.
enum class MaskEncoding { Utf8, ShiftJis };

// The first `limit` bytes of text with every echo of key replaced by "***".
// An echo is a run of kKeyRunMin or more consecutive characters of the key,
// compared without regard to case or width (full-width letters and digits
// read as theirs), with %XX and JSON \u00XX escapes decoded, and with line
// breaks (and the blanks that indent the next line), control characters
// (C0, DEL, and C1 in UTF-8, escaped or not) and characters that show
// nothing (zero-width spaces and joiners, the byte-order mark, the soft
// hyphen; Shift_JIS's unassigned single bytes 0x80 and 0xA0, which some
// conversions drop) inside it skipped, since the console drops them or shows
// nothing for them. An echo
// that starts within the limit is masked whole, so text should carry the
// bytes after the limit that one may take: 6 per key character when escaped.
std::string maskKey(std::string_view text, std::size_t limit, std::string_view key,
                    MaskEncoding encoding = MaskEncoding::Utf8);

// Makes key the one maskShown masks (empty: none); the program's
// configuration sets it once, at start, before any thread is started.
void configureShownKey(const std::string& key);

// text, whole, as maskKey with the configured key masks it: the last step
// of every console message and spoken phrase.
std::string maskShown(std::string_view text, MaskEncoding encoding);
