// linewatch --next STATION: the next trains printed once, for a script or a
// status bar.
#pragma once

#include "app/config.h"

// The station an argument names: its number in the station table (as the
// monitor's dialogues number them), its title (Shift_JIS, or UTF-8 as a
// terminal types it; a closing "駅" may be given) or its station code such
// as "M18" (any case). -1 when it names none. The station table must be sorted.
int stationOfArgument(const char* arg);

// Prints the next trains at the station of config.options.next at the
// program's clock: the day's timetables from the cache, downloading only the
// ones missing, and the status of the lines. Returns the exit status: 0
// answered, 1 no answer (no timetables in version 2, none could be
// loaded), 2 no such station (one line on stderr).
int runNextTrainsOnce(const Config& config);
