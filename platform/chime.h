// The refresh chime: a short tone that never holds up the caller.
#pragma once

// Whether chimes are heard; the program's configuration fills it.
struct ChimeSettings {
    bool silent = false;  // nothing is played, chimes are only counted
};

// Makes settings the ones later chimes follow; until the first call the
// defaults above apply. Call it before the first chime.
void configureChime(const ChimeSettings& settings);

// Starts one chime and returns at once: a generated tone on the audio device
// when one opens, otherwise the bell of a terminal on standard output
// (nothing when standard output is not a terminal); nothing when silent.
void chime_play();

// Number of chime_play calls since the program started.
int chime_count();

// Stops a playing tone and releases the audio device; safe to repeat.
void chime_close();
