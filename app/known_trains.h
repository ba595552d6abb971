// The trains the monitor has drawn: where each mark stands, so the next
// update can move or erase it.
#pragma once

#include <cstdint>

// Capacity of the known-train list; no entry is added beyond it.
constexpr int kKnownTrainCapacity = 800;
// Capacity of a known train's number, NUL included.
constexpr int kTrainNumberCapacity = 32;
// Capacity of a known train's railway identifier, NUL included.
constexpr int kTrainRailwayCapacity = 64;

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

// The known-train list of a run.
struct KnownTrains {
    KnownTrain trains[kKnownTrainCapacity] = {};
    int32_t count = 0;
    int32_t updates = 0;  // train updates shown so far; stamps lastSeen
};

// Index of the known train with this railway and number, or -1.
int findKnownTrain(const KnownTrains& known, const char* railway, const char* number);

// Index of the known train with this railway and number, stamped as seen in
// the current train update. A new train is appended at (0, 0); on a full list
// it takes over the entry seen least recently, keeping that entry's position
// so the next move erases the departed train's mark, and copies the departed
// number to *departed when given ("" otherwise). -1 when the number is empty,
// either text does not fit, or every entry was seen in the current update.
int addKnownTrain(KnownTrains& known, const char* railway, const char* number,
                  char (*departed)[kTrainNumberCapacity] = nullptr);
