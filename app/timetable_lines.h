// The timetable railways (the nine, then the 丸ノ内線 branch) as the lines of
// the station table: which line's row holds a railway's stations, its name,
// and where a station stands in that row.
#pragma once

#include <string>

// The line (railways index) whose lineStations row holds timetable railway
// `table`'s stations: the branch's are in 丸ノ内線's row.
int lineOfTable(int table);

// The Japanese name of timetable railway `table` (Shift_JIS).
const char* tableLineName(int table);

// The timetable railway of a railway identifier, -1 when none.
int tableOfRailway(const std::string& railway);

// The slot of a station (its identifier) in line's lineStations row, -1 when
// the station or the slot is unknown.
int lineSlotOf(int line, const std::string& sameAs);
