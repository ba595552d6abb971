// Trains on the map: placing each parsed train, moving its mark between
// refreshes, the count box, the per-line counts and the console train lines.
#pragma once

struct MonitorState;

// After a refresh: sorts trainRecords by train number, moves every train that
// changed place (erase old mark/label, draw new), prints one "\r" line per
// train, redraws the count box when the total changed and the per-line counts.
void updateTrainDisplay(MonitorState& st);

// For the redraw command: draws every held train inside the map frame again
// (no sort), always redraws the count box and lists delayed trains on the console.
void redrawTrains(MonitorState& st);
