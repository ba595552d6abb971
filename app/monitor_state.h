// The monitor's state for the whole run: line selection, pan and zoom, the map
// frame and projection, the refresh cycle, the known-train list.
#pragma once

#include "app/disruption.h"
#include "app/timetables.h"
#include "network/stations.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

class GraphPort;

// Capacity of the known-train list; no entry is added beyond it.
constexpr int kKnownTrainCapacity = 800;
// Capacity of a known train's number, NUL included.
constexpr int kTrainNumberCapacity = 32;
// Capacity of a known train's railway identifier, NUL included.
constexpr int kTrainRailwayCapacity = 64;
// Number of status slots reported, and the stored length of each issue stamp.
constexpr int kStatusSlots = 9;
constexpr int kIssueStampLength = 19;
// Bytes of a line's last reported notice kept for comparison; a longer notice
// is kept as its first bytes and a digest of the whole, within the same bound.
constexpr std::size_t kNoticeKeyCapacity = 4096;

// A line's notice as last reported in version-4 mode, where the answer's
// dc:date is only its generation time: status, origin and text together, and
// the stamp that was printed with them (the origin, else when first seen).
struct ReportedNotice {
    std::string key;  // at most kNoticeKeyCapacity bytes; empty before any notice
    char stamp[26];   // first 19 bytes of the stamp, NUL padded
};
// Capacity of the keys typed during a download; when full, the oldest gives way.
constexpr int kTypedAheadCapacity = 256;

// Where a train's mark was last drawn (window pixels), the end of its tail,
// and the last train update that listed it. A train is its railway and its
// number together: the lines number their trains alike.
struct KnownTrain {
    char railway[kTrainRailwayCapacity];
    char number[kTrainNumberCapacity];
    int32_t x, y;
    int32_t x2, y2;
    int32_t lastSeen;
    int32_t shown;   // plot mode its mark or label is on the map in; 0 none
    int32_t colour;  // colour it was last drawn in
    bool uncertain;  // drawn with the "?" of an estimate its line's notice puts in doubt
};

// Size of the map frame in pixels, as the start-up layout makes it.
constexpr int kMapFrameWidth = 512;
constexpr int kMapFrameHeight = 350;

// The legend: one row per railway holds its name and its train count.
constexpr int kLegendRowHeight = 20;
// Top of railway k's legend row, in window pixels.
constexpr int legendRowTop(int k)
{
    return kLegendRowHeight * k + 62;
}

// A point in window pixels.
struct ScreenPoint {
    int32_t x, y;
};

// Everything the monitor keeps for the run; one instance, owned by the entry.
struct MonitorState {
    int32_t iflag = 0;  // selected lines, bit k = railway k
    int32_t ixf = 0;    // pan offsets in pixels, subtracted after projection
    int32_t iyf = 0;
    float ratio = 1.0f;     // zoom; 1.0 shows the whole network
    int32_t plot_mode = 3;  // 3 marks, 1 train numbers

    // Map frame in window pixels; points are drawn only strictly inside it.
    int32_t left = 109, top = 25, right = 109 + kMapFrameWidth, bottom = 25 + kMapFrameHeight;
    int32_t frameWidth = kMapFrameWidth, frameHeight = kMapFrameHeight;

    // Map bounds in degrees after the start-up widening, and pixels per degree.
    float north = 0, south = 0, east = 0, west = 0;
    float xscale = 0, yscale = 0;

    GraphPort* port = nullptr;

    // Refresh cycle.
    int32_t pending = 0;           // key to carry out at the next quiet pass; 0 none
    int32_t refreshPhase = -1;     // 0-89 after the first refresh, -1 before
    int32_t lastCountdown = -1;    // countdown value printed last
    std::time_t lastRefresh = -1;  // second the last refresh started; -1 none
    int32_t shownTrainTotal = -1;  // train total last drawn in the count box, -1 none
    bool trainsEstimated = false;  // the held trains come from the timetables, not a live answer
    bool shownEstimated = false;   // the count box last drawn says so
    // Keys read while a download ran and not yet taken by a pass, oldest at
    // typedAhead[typedAheadFirst], typedAheadCount of them, wrapping around.
    int32_t typedAhead[kTypedAheadCapacity] = {};
    int32_t typedAheadFirst = 0;
    int32_t typedAheadCount = 0;

    TimetableDay timetables;  // the service day's timetables, as far as loaded
    // Per timetable railway: what its notice did to the last estimate, and
    // what the console last said it does.
    LineCondition lineConditions[timetableRailwayCount] = {};
    LineCondition announcedConditions[timetableRailwayCount] = {};

    // Per status slot: the first 19 bytes of the date last reported, NUL padded (version 2).
    char issueStamp[kStatusSlots][26] = {};
    // Per railway (the branch's notice counting for 丸ノ内線): version 4's last notice.
    ReportedNotice reportedNotices[railwayCount] = {};

    KnownTrain knownTrains[kKnownTrainCapacity] = {};
    int32_t knownCount = 0;
    int32_t trainUpdates = 0;  // train updates shown so far; stamps lastSeen
};

// 1 when the refresh chime and speech are on.
extern int32_t sound_flag;
// 1 when station names are drawn on the map.
extern int32_t kstr_flag;

// Window pixel of latitude lat and longitude lon (degrees) with the current
// bounds, scales and pan; each coordinate cut toward zero.
ScreenPoint project(const MonitorState& st, double lat, double lon);

// Recomputes xscale and yscale from the bounds, the frame size and ratio.
void updateScales(MonitorState& st);

// True when p lies strictly inside the map frame.
bool insideFrame(const MonitorState& st, ScreenPoint p);

// Index of the known train with this railway and number, or -1.
int findKnownTrain(const MonitorState& st, const char* railway, const char* number);

// Index of the known train with this railway and number, stamped as seen in
// the current train update. A new train is appended at (0, 0); on a full list
// it takes over the entry seen least recently, keeping that entry's position
// so the next move erases the departed train's mark, and copies the departed
// number to *departed when given ("" otherwise). -1 when the number is empty,
// either text does not fit, or every entry was seen in the current update.
int addKnownTrain(MonitorState& st, const char* railway, const char* number,
                  char (*departed)[kTrainNumberCapacity] = nullptr);
