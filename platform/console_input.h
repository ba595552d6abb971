// Keys and lines taken from a stream of bytes as a terminal sends them, shared
// by the console front (scripts) and the devices (a terminal, a pipe).
#pragma once

#include <cstddef>
#include <string>

// The codes of one key: a character's byte, or an arrow's prefix and second
// code; second is kConsoleNoSecond for a key of one code.
struct ConsoleKey {
    int first;
    int second;
};
constexpr int kConsoleNoSecond = -1;

// What a byte source gives besides a byte (0-255).
constexpr int kConsoleNoByte = -1;   // nothing arrived within the wait
constexpr int kConsoleEndByte = -2;  // input ended

// The next byte of a stream; with waitMs 0 it never blocks, with -1 it waits
// as long as needed.
using ConsoleByteSource = int (*)(int waitMs);

// Reads one key from next: the escape sequences of the arrows (ESC [ x,
// ESC O x, parameters allowed) become the arrow's prefix and second code, any
// other sequence reads as Escape, and the end of input as 'q'.
ConsoleKey readStreamKey(ConsoleByteSource next);

// Reads one line from next into line, without its line end ("\n") and
// without carriage returns, keeping its first keep bytes. False when input
// ended before any byte was read.
bool readStreamLine(ConsoleByteSource next, std::string& line, std::size_t keep);
