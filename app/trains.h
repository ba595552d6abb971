// Trains on the map: placing each parsed train, moving its mark between
// refreshes, the count box, the per-line counts and the console train lines.
#pragma once

#include <cstdint>

struct MonitorState;
struct TrainRecord;

// Where a train is drawn, in window pixels: its point and the offset of the
// end of its tail (toward the from-station; (0, 0) at a station).
struct TrainPlacement {
    bool placed;  // false: no usable station, the train is not drawn
    int32_t x, y;
    int32_t tailX, tailY;
};

// Palette colour of a train: k + 1 for railway k when it is selected in
// iflag, 15 when it is not, 7 for a railway outside the table.
int32_t trainColour(const MonitorState& st, const TrainRecord& train);

// Places a train between its stations (midpoint, shifted colour / 2 + 4
// pixels to the left of its direction of travel) or at its only usable one.
// A station counts when its identifier is longer than 10 characters and is
// in the station table.
TrainPlacement placeTrain(const MonitorState& st, const TrainRecord& train, int32_t colour);

// After a refresh: sorts trainRecords by train number, moves every train that
// changed place (erase old mark/label, draw new), prints one "\r" line per
// train, redraws the count box when the total changed and the per-line counts.
void updateTrainDisplay(MonitorState& st);

// For the redraw command: draws every held train inside the map frame again
// (no sort), always redraws the count box and lists delayed trains on the console.
void redrawTrains(MonitorState& st);
