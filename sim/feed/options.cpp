#include "sim/feed/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "network/branch.h"
#include "network/stations.h"
#include "opendata/calendar.h"
#include "sim/rig/faults.h"
#include "sim/model/status_model.h"

const char feedUsage[] =
    "  --host ADDR             address to bind (default 127.0.0.1)\n"
    "  --port N                port (default 0: any free port)\n"
    "  --consumer-key KEY      the acl:consumerKey accepted\n"
    "  --seed N                seed of delays and disruptions (default 1)\n"
    "  --time [YYYY-MM-DDT]HH:MM[:SS]\n"
    "                          start the simulated Japan clock at this time (today without a date)\n"
    "  --no-rate-limit         never answer 503 for quick repeats\n"
    "  --fault MODE            none slow hang drop 500 html badutf8 huge ctrl emoji\n"
    "                          trickle (timetables sent 64 bytes every 200 ms)\n"
    "  --disrupt RAILWAY TEXT  force a disruption notice (railway 0-8 or name;\n"
    "                          MarunouchiBranch is reported by version 4 only)\n"
    "  --multilingual          version-4 notice texts in en, ko, zh-Hans, zh-Hant too\n"
    "  --v4-positions          version 4 serves the running trains (the real API serves none)\n"
    "  --replay DIR            serve recorded <Type>.json / <Type>.<n>.json files\n"
    "  --cert FILE --key FILE  serve HTTPS with this certificate and private key\n";

namespace {

bool parseNumber(const char* text, long low, long high, long* value)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
        return false;
    *value = v;
    return true;
}

}  // namespace

int parseRailwayName(const std::string& name)
{
    long index;
    if (parseNumber(name.c_str(), 0, railwayCount - 1, &index))
        return static_cast<int>(index);
    for (int k = 0; k < railwayCount; ++k) {
        std::string id = railways[k].railwayId;
        if (name == id || name == id.substr(id.rfind('.') + 1))
            return k;
    }
    if (name == "MarunouchiBranch" || name == "odpt.Railway:TokyoMetro.MarunouchiBranch")
        return kBranchIndex;
    return -1;
}

bool parseFeedOptions(int argc, char** argv, int first, FeedOptions* o, std::string* error)
{
    for (int i = first; i < argc; ++i) {
        std::string opt = argv[i];
        auto value = [&](int ahead) -> const char* { return i + ahead < argc ? argv[i + ahead] : nullptr; };
        const char* v = value(1);
        long n;
        std::int64_t start;
        FeedFault fault;
        if (opt == "--no-rate-limit") {
            o->rateLimit = false;
            continue;
        }
        if (opt == "--multilingual") {
            o->multilingual = true;
            continue;
        }
        if (opt == "--v4-positions") {
            o->v4Positions = true;
            continue;
        }
        if (!v) {
            *error = opt + ": unknown option or missing value";
            return false;
        }
        if (opt == "--host") {
            o->host = v;
        } else if (opt == "--port" && parseNumber(v, 0, 65535, &n)) {
            o->port = static_cast<int>(n);
        } else if (opt == "--consumer-key" && *v) {
            o->key = v;
        } else if (opt == "--seed" && parseNumber(v, 0, 4294967295L, &n)) {
            o->seed = static_cast<std::uint32_t>(n);
        } else if (opt == "--time" && parseJapanTime(v, std::time(nullptr), &start)) {
            o->startTime = start;
        } else if (opt == "--fault" && parseFaultName(v, &fault)) {
            o->fault = fault;
        } else if (opt == "--disrupt" && parseRailwayName(v) >= 0 && value(2)) {
            o->disruptRailway = parseRailwayName(v);
            o->disruptText = value(2);
            ++i;
        } else if (opt == "--replay") {
            o->replayDir = v;
        } else if (opt == "--cert") {
            o->certFile = v;
        } else if (opt == "--key") {
            o->keyFile = v;
        } else {
            *error = opt + " " + v + ": unknown option or bad value";
            return false;
        }
        ++i;
    }
    if (o->certFile.empty() != o->keyFile.empty()) {
        *error = "--cert and --key go together";
        return false;
    }
    return true;
}
