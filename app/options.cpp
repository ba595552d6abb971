#include "app/options.h"

#include "network/stations.h"
#include "opendata/calendar.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

const char kUsage[] =
    "usage: linewatch [options] [line ...]\n"
    "  line          0-8, a line to draw in colour (default: all nine)\n"
    "  --headless    draw into the off-screen picture only, open no window\n"
    "  --snapshot F  write the picture as PNG file F after each refresh and redraw, and at exit\n"
    "  --demo        watch the simulated feed instead of the real API, in version 4\n"
    "                unless --api v2 asks for the old one\n"
    "  --time [YYYY-MM-DDT]HH:MM[:SS]\n"
    "                start the clock at this Japan time (today without a date) and let it run on\n"
    "  --next S      print the next trains at station S (its number in the f and t lists,\n"
    "                its name or its code such as M18) once and exit; with --time, at that time\n"
    "  --api V       API version v2 or v4 (also LINEWATCH_API; default: v4 for the root\n"
    "                https://api.odpt.org, the default, and for --demo; v2 for any other root)\n"
    "  -V, --version print the version and exit\n"
    "  -h, --help    print this text and exit\n"
    "keys while running: h lists them, q quits\n"
    "\n"
    "Version 4 needs a free developer key from developer.odpt.org, in\n"
    "LINEWATCH_CONSUMER_KEY or on the first line of a file only you may read:\n"
    "$XDG_CONFIG_HOME/linewatch/consumer-key, by default ~/.config/linewatch/consumer-key\n"
    "(%APPDATA%\\linewatch\\consumer-key on Windows); --demo needs none.\n"
    "\n"
    "Data: this program uses data of Tokyo Metro provided by the Public\n"
    "Transportation Open Data Center, under the Public Transportation Open Data\n"
    "Basic License. The accuracy and completeness of the data are not\n"
    "guaranteed. Please direct questions about this program to the developers of\n"
    "linewatch, not to Tokyo Metro or the Center.\n";

namespace {

bool japanTime(const char* text)
{
    std::int64_t t = 0;
    return parseJapanTime(text, 0, &t);
}

// The railway bit chosen by one line-number argument, 0 for none.
int32_t lineBit(const char* arg)
{
    long n = std::strtol(arg, nullptr, 10);
    if (n < 0)
        return 0;
    return railways[n % railwayCount].mask;
}

// A line number is any word not starting with '-', and a negative number;
// every other word starting with '-' is an option, so a mistyped one is
// reported instead of silently choosing 銀座線.
bool isLineNumber(const char* arg)
{
    return arg[0] != '-' || std::isdigit(static_cast<unsigned char>(arg[1]));
}

}  // namespace

bool parseApiVersion(const char* text, ApiVersion& version)
{
    if (std::strcmp(text, "v2") == 0)
        version = ApiVersion::V2;
    else if (std::strcmp(text, "v4") == 0)
        version = ApiVersion::V4;
    else
        return false;
    return true;
}

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (isLineNumber(a)) {
            o.lineArgsGiven = true;
            o.iflag |= lineBit(a);
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            o.help = true;
        } else if (std::strcmp(a, "--version") == 0 || std::strcmp(a, "-V") == 0) {
            o.version = true;
        } else if (std::strcmp(a, "--headless") == 0) {
            o.headless = true;
        } else if (std::strcmp(a, "--demo") == 0) {
            o.demo = true;
        } else if (std::strcmp(a, "--snapshot") == 0 && i + 1 < argc) {
            o.snapshot = argv[++i];
        } else if (std::strncmp(a, "--snapshot=", 11) == 0 && a[11] != '\0') {
            o.snapshot = a + 11;
        } else if (std::strcmp(a, "--time") == 0 && i + 1 < argc && japanTime(argv[i + 1])) {
            o.time = argv[++i];
        } else if (std::strncmp(a, "--time=", 7) == 0 && japanTime(a + 7)) {
            o.time = a + 7;
        } else if (std::strcmp(a, "--next") == 0 && i + 1 < argc) {
            o.next = argv[++i];
        } else if (std::strncmp(a, "--next=", 7) == 0 && a[7] != '\0') {
            o.next = a + 7;
        } else if (std::strcmp(a, "--api") == 0 || std::strncmp(a, "--api=", 6) == 0) {
            const char* value = a[5] == '=' ? a + 6 : i + 1 < argc ? argv[++i] : "";
            ApiVersion version;
            if (!parseApiVersion(value, version)) {
                o.error = a[5] == '=' || value[0] == '\0' ? a : value;
                return o;
            }
            o.api = version;
        } else {
            o.error = a;
            return o;
        }
    }
    if (!o.lineArgsGiven)
        o.iflag = static_cast<int32_t>(kAllLines);
    return o;
}
