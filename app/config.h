// The program's configuration: the command line, the LINEWATCH_*
// environment variables and the key file, read once at start into one record
// whose parts go to the libraries that use them. No library reads the
// environment itself.
#pragma once

#include "app/options.h"
#include "opendata/fetch.h"
#include "platform/chime.h"
#include "platform/speech.h"
#include "qwin/qwin.h"

#include <cstdint>
#include <functional>
#include <string>

// Everything one run was told.
struct Config {
    Options options;               // the command line
    ApiSettings api;               // LINEWATCH_API_ROOT, LINEWATCH_CONSUMER_KEY, --api or LINEWATCH_API
                                   // (v2 or v4; anything else leaves the choice to the root, v4 for
                                   // --demo); api.http:
                                   // LINEWATCH_CONNECT_TIMEOUT_MS, LINEWATCH_HTTP_TIMEOUT_MS,
                                   // LINEWATCH_CA_FILE
    WindowSettings window;         // --headless or LINEWATCH_HEADLESS=1
    ChimeSettings chime;           // LINEWATCH_SOUND=none
    SpeechSettings speech;         // LINEWATCH_SPEECH=none, LINEWATCH_SPEECH_DIR=DIR
    std::int64_t clockOffset = 0;  // seconds the program's clock runs ahead of the system's (--time)
    std::string cacheDir;          // the day's timetables: $XDG_CACHE_HOME/linewatch when that is an
                                   // absolute path, else $HOME/.cache/linewatch; empty: none kept
    std::string keyFile;           // where the key is kept when LINEWATCH_CONSUMER_KEY is not set:
                                   // consumer-key in $XDG_CONFIG_HOME/linewatch (an absolute path) or
                                   // $HOME/.config/linewatch, %APPDATA%\linewatch on Windows; empty: none
    std::string keyRefusal;        // one line: why the key file was refused; the monitor must not run
};

// The value of an environment variable, nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// Reads argv[1 .. argc-1] (see parseOptions) and the variables above through
// env; a --time is read against the system clock's now. An empty value counts as not set; a time limit that
// is not a positive whole number of milliseconds keeps its default. The key
// file is read (see readKeyFile) only when the variable is not set and the
// run is no --demo, which needs no key.
Config readConfig(int argc, char** argv, const EnvironmentLookup& env, std::int64_t now);

// Hands every library its part of config. The window's part counts only
// before the window's back-end has been chosen.
void applyConfig(const Config& config);
