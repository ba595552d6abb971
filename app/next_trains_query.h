// The next-trains query: the monitor's t key, and the answer it shares with
// linewatch --next.
#pragma once

#include "app/timetables.h"

#include <cstdint>

struct CycleEnv;
struct MonitorState;

// Prints the next departures at station (a stations index) at Unix time now
// from day's tables, the notices of infoRecords applied (a line whose notice
// cannot be read runs as scheduled). otherCalendar: the next service day's
// tables when it runs another calendar than day (nullptr: not at hand).
// Says so in one line, printing nothing else, when day is not now's service
// day or holds no table.
void answerNextTrains(const TimetableDay& day, const TimetableDay* otherCalendar, int station,
                      std::int64_t now);

// One line: the answer needs timetables, which only version 4 publishes.
void sayTimetablesOnlyInV4();

// True when the answer at station needs the next service day's tables of
// their own: in some direction the day's last train has left, and the next
// service day after Unix time now's runs another calendar than day.
bool answerNeedsOtherCalendar(const TimetableDay& day, int station, std::int64_t now);

// The t key. Without timetables (version 2) or before today's have come:
// one line saying why, and nothing is downloaded. Otherwise it lists the
// stations, asks for one number (a bad answer: one line saying what is
// wanted, then the question again; input ending twice in a row leaves),
// answers at env.now() with the last refresh's notices and waits for a key.
void nextTrainsQuery(MonitorState& st, const CycleEnv& env);
