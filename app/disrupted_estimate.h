// The timetable estimate told by the lines' notices: a suspended line or
// section shows no estimated train, a delayed line's trains are placed where
// the timetable had them the stated delay ago, and the trains of a disrupted
// line are marked as uncertain. Live positions are never touched.
#pragma once

#include "app/disruption.h"
#include "app/timetables.h"

#include <cstdint>

struct MonitorState;
struct TrainRecord;

// The condition of each timetable railway (the nine, then the branch) as
// infoRecords state it: a railway's notice is the first record naming it.
void readLineConditions(LineCondition (&conditions)[kTimetableRailwayCount]);

// Fills trainRecords and trainCount with the trains the loaded timetables
// place at Unix time now, the conditions of infoRecords applied, and keeps
// them in st.lineConditions; a change of what a line's condition does to its
// trains is said in one console line. Returns trainCount.
int estimateWithNotices(MonitorState& st, std::int64_t now);

// The word on a train's console line when its estimated place is uncertain
// ("" for a train of a line in normal service or of a live answer).
const char* uncertaintyWord(const MonitorState& st, const TrainRecord& train);
