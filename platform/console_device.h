// The console's device: the platform's terminal or console window, behind the
// front in console.cpp that owns capture, scripts, filtering, masking and the
// pending second code of a key. CMake compiles the platform's one
// (console_posix.cpp, console_win32.cpp).
#pragma once

#include "platform/console_input.h"
#include "platform/key_mask.h"

#include <cstddef>
#include <string>

// Output text as the device writes it, and the encoding the key is masked in.
struct ConsoleText {
    std::string bytes;
    MaskEncoding encoding;
};

// What the console front needs of a device.
struct ConsoleDevice {
    // The Shift_JIS text (controls dropped, lines cut) converted to what the
    // device writes; nothing is written yet.
    ConsoleText (*encode)(const std::string& sjis);
    // Writes bytes made by encode and masked, at once.
    void (*write)(const std::string& bytes);
    // Single-key mode and its restoration on every way out; safe to repeat.
    void (*open)();
    // Restores what open changed; safe to repeat.
    void (*close)();
    // True when a key can be read without waiting; never blocks.
    bool (*keyWaiting)();
    // Waits for one key; end of input gives 'q'.
    ConsoleKey (*readKey)();
    // Reads one line into line (Shift_JIS, without its line end and carriage
    // returns), keeping at least its first cap bytes once in Shift_JIS.
    // False when input ended before any byte was read.
    bool (*readLine)(std::string& line, std::size_t cap);
};

// The platform's terminal (termios: console_posix.cpp) or console (Win32:
// console_win32.cpp).
extern const ConsoleDevice console_device;
