#include "sim/rig/faults.h"

#include <cstdio>

namespace {

struct FaultNameEntry {
    FeedFault fault;
    const char* name;
};

const FaultNameEntry faultNames[] = {
    {FeedFault::None, "none"},       {FeedFault::Slow, "slow"},       {FeedFault::Hang, "hang"},
    {FeedFault::Drop, "drop"},       {FeedFault::Error500, "500"},    {FeedFault::Html, "html"},
    {FeedFault::BadUtf8, "badutf8"}, {FeedFault::Huge, "huge"},       {FeedFault::Ctrl, "ctrl"},
    {FeedFault::Emoji, "emoji"},     {FeedFault::Trickle, "trickle"},
};

// A truncated three-byte character, a stray continuation byte, an overlong
// slash, bytes that never occur in UTF-8, and a lone surrogate.
const char badUtf8Text[] = "現在、\xE3\x81平常\x80どおり\xC0\xAF運転\xFF\xFEしています\xED\xA0\x80。";

// Clears the screen, retitles the terminal, rings the bell, moves the cursor
// and overwrites the line with a carriage return and backspaces.
const char ctrlText[] =
    "\x1b[2J\x1b]0;owned\x07現在、\r\b\b\x1b[31m平常どおり\x1b[0m運転\x7f\x01\x1b[10;10Hしています。";

// Emoji, a character outside the BMP that CP932 lacks, and a joiner sequence.
const char emojiText[] =
    "🚃現在、平常どおり運転しています。𠮷野家前で🚨点検中👨‍👩‍👧";

}  // namespace

const char captivePortalPage[] =
    "<!DOCTYPE html><html><head><title>Wi-Fi login</title></head><body>"
    "<h1>Welcome</h1><p>Please accept the terms of use to continue.</p>"
    "<form method=\"post\" action=\"/login\"><input type=\"submit\" value=\"Connect\"></form>"
    "</body></html>";

bool parseFaultName(const std::string& name, FeedFault* fault)
{
    for (const FaultNameEntry& e : faultNames) {
        if (name == e.name) {
            *fault = e.fault;
            return true;
        }
    }
    return false;
}

const char* faultName(FeedFault fault)
{
    for (const FaultNameEntry& e : faultNames)
        if (e.fault == fault)
            return e.name;
    return "none";
}

std::vector<SimTrain> hugeTrainList(const SimNetwork& net)
{
    std::vector<SimTrain> out;
    for (int i = 0; i < kHugeTrainCount; ++i) {
        const SimRoute& route = net.routes[i % net.routes.size()];
        size_t n = route.stops.size();
        size_t at = (i / net.routes.size()) % n;
        bool moving = i % 2 == 1 && at + 1 < n;
        char number[48];  // "A0123S4"; room for any int in each field
        std::snprintf(number, sizeof number, "A%04dS%d", i, route.digit);
        out.push_back(SimTrain{static_cast<int>(i % net.routes.size()), route.railwayId, number,
                               "odpt.TrainType:TokyoMetro.Local", route.stops.front().sameAs,
                               route.stops.back().sameAs, route.stops[at].sameAs,
                               moving ? route.stops[at + 1].sameAs : std::string(),
                               "odpt.RailDirection:TokyoMetro." +
                                   route.stops.back().sameAs.substr(route.stops.back().sameAs.rfind('.') + 1),
                               "odpt.TrainOwner:TokyoMetro", 0});
    }
    return out;
}

void spoilNotices(std::vector<SimNotice>& notices, FeedFault fault)
{
    if (notices.empty())
        return;
    SimNotice& n = notices.front();
    switch (fault) {
    case FeedFault::BadUtf8:
        n.text = badUtf8Text;
        break;
    case FeedFault::Ctrl:
        n.text = ctrlText;
        break;
    case FeedFault::Emoji:
        n.text = emojiText;
        break;
    default:
        return;
    }
    n.status = "ダイヤ乱れ";
    // a new date so that a monitor which has seen the normal notice reports this one
    n.date += 1;
}
