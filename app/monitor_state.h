// The monitor's state for the whole run: line selection, pan and zoom, the map
// frame and its scales, the refresh cycle, the known trains. The projection
// (app/projection.h), the known-train list (app/known_trains.h) and the
// layout (app/map_layout.h) are their own files.
#pragma once

#include "app/disruption.h"
#include "app/known_trains.h"
#include "app/map_layout.h"
#include "app/timetables.h"
#include "network/stations.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

class GraphPort;

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
    LineCondition lineConditions[kTimetableRailwayCount] = {};
    LineCondition announcedConditions[kTimetableRailwayCount] = {};

    // Per status slot: the first 19 bytes of the date last reported, NUL padded (version 2).
    char issueStamp[kStatusSlots][26] = {};
    // Per railway (the branch's notice counting for 丸ノ内線): version 4's last notice.
    ReportedNotice reportedNotices[railwayCount] = {};

    KnownTrains known;
};

// 1 when the refresh chime and speech are on.
extern int32_t sound_flag;
// 1 when station names are drawn on the map.
extern int32_t kstr_flag;
