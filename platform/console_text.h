// The console's text handling shared by its back-ends: formatting, removal of
// control characters, cutting long output lines, and cutting an input line to
// a buffer.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// vsnprintf into a string of any length.
std::string console_format(const char* fmt, va_list args);

// text without the control characters a message may not carry: all below
// 0x20 but \r \n \t, and DEL; \r survives only as the last byte. Shift_JIS
// trail bytes are 0x40 and above, so no character is cut.
std::string console_drop_controls(const char* text, std::size_t len);

// Longest output line in bytes, "…" included: 1,024 full-width characters,
// far more than any message the program has, so a server's text cannot flood
// the terminal.
inline constexpr std::size_t kConsoleLineCap = 2048;

// text (Shift_JIS, controls already dropped) with every line longer than
// kConsoleLineCap bytes cut after its last whole character that leaves room
// for "…", which ends it; line ends and a last "\r" stay.
std::string console_cut_lines(const std::string& text);

// Copies the Shift_JIS line into buf (capacity cap > 0, NUL included), cut
// after the last whole character that fits.
void console_copy_line(const std::string& line, char* buf, std::size_t cap);
