// The console: Shift_JIS output converted to the terminal's encoding, single
// keys without echo, and line input with echo.
// Keys and lines come from the terminal in raw mode; when standard input is
// not a terminal they are read from it byte by byte and its end reads as 'q'.
#pragma once

#include "platform/console_keys.h"

#include <cstddef>
#include <string>

// The formats console_print checks: C99's, which MinGW's printf family
// follows once it is asked for them as here (%zu, %lld).
#ifdef __MINGW32__
#define CONSOLE_PRINTF __MINGW_PRINTF_FORMAT
#else
#define CONSOLE_PRINTF printf
#endif

// printf-style output; format and arguments are Shift_JIS. Control characters
// other than \r \n \t are dropped before the text reaches the terminal, and
// \r is kept only as the last byte of the formatted text; a line longer than
// 2,048 bytes is cut there, ending in "…". Last of all the consumer key is
// masked (maskShown), in the encoding written. On a terminal a
// message that follows one ending in \r starts by erasing that line, so
// nothing of the overwritten text stays showing.
void console_print(const char* fmt, ...) __attribute__((format(CONSOLE_PRINTF, 1, 2)));

// While sink is non-null, output (Shift_JIS, after control-character removal,
// line cuts and masking) is appended to *sink instead of the terminal;
// nullptr restores the terminal.
void console_capture(std::string* sink);

// While script is non-null, keys and lines are taken from the front of
// *script (consumed as read) instead of standard input: Shift_JIS like the
// program's own text, never converted, with arrows written as a terminal
// sends them (ESC [ A ... ESC [ D). An empty script means no key is waiting
// and a line read meets end of input. nullptr restores stdin.
void console_script(std::string* script);

// Puts a terminal on standard input into single-key mode (no echo, no line
// buffering) and arranges that on every way out (exit, every signal whose
// default ends the process) it is restored and a line left open on a
// terminal output is ended; the signal still ends the process afterwards.
void console_open();

// Restores the terminal settings saved by console_open; safe to repeat.
void console_close();

// True when a key code can be read without waiting; never blocks.
bool console_key_waiting();

// Reads one key code (0-255) without echo, waiting for it; an arrow key gives
// kConsoleArrowPrefix and then its second code; end of input gives 'q'.
int console_read_key();

// Reads one line with echo into buf (capacity cap bytes, NUL included), in
// Shift_JIS, without its line end and its carriage returns; a longer line is cut to
// cap - 1 bytes and its rest discarded. The second code of a key read before
// is dropped. Returns false when input ended before any byte was read.
bool console_read_line(char* buf, std::size_t cap);
