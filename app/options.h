// The command line: options (words starting with '-' that are not numbers)
// and the line numbers that choose the coloured lines.
#pragma once

#include <cstdint>
#include <optional>

#include "opendata/fetch.h"

// What the command line asked for.
struct Options {
    bool help = false;
    bool version = false;
    bool headless = false;
    bool demo = false;
    const char* snapshot = nullptr;  // PNG written after refreshes, redraws and at exit
    const char* time = nullptr;      // --time: "[YYYY-MM-DDT]HH:MM[:SS]", the Japan time the clock starts at
    std::optional<ApiVersion> api;   // --api v2|v4
    const char* next = nullptr;      // --next: the station whose next trains are printed once
    bool lineArgsGiven = false;      // at least one line-number argument
    int32_t iflag = 0;               // lines chosen by the line-number arguments
    const char* error = nullptr;     // the offending argument when parsing failed
};

// Parses argv[1 .. argc-1]. Every argument not starting with '-', and every
// negative number, is a line number: its leading decimal number n (0 for
// text) adds railway n mod 9, a negative n adds nothing. With no line number
// at all, iflag is 511. -h and -V are --help and --version. A
// --time that is no Japan time of that form is an error.
Options parseOptions(int argc, char** argv);

// Reads "v2" or "v4"; false for anything else.
bool parseApiVersion(const char* text, ApiVersion& version);

// The usage text (ASCII), printed by --help, with the data licence's notice.
extern const char kUsage[];
