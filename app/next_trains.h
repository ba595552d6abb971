// The next trains that leave a station, from the day's timetables with the
// lines' notices applied: every line at the station's place (the station
// records of its title), each direction apart.
#pragma once

#include "app/disruption.h"
#include "app/timetables.h"

#include <cstdint>
#include <string>
#include <vector>

// Departures given per direction unless asked otherwise.
inline constexpr int kNextTrainsPerDirection = 5;

// One trip leaving the station.
struct NextDeparture {
    const Timetable* table;
    const TimetableTrip* trip;
    std::int32_t scheduled;  // seconds since its service date's midnight
    std::int32_t expected;   // scheduled moved by the line's stated delay
    bool lastOfDay;          // no later train leaves in its direction that day
    bool notRunning;         // inside the line's suspended section, or the whole line stands still
    bool uncertain;          // the line's notice puts the time in doubt
};

// The departures of one direction of one timetable railway at the station.
struct DirectionDepartures {
    int table = -1;                       // timetable railway (an index of timetableRailway)
    std::string station;                  // the station's identifier on that railway
    std::string direction;                // odpt.RailDirection identifier
    bool departsToday = false;            // false: no train leaves this way all day (a terminus)
    std::vector<NextDeparture> upcoming;  // from the moment on, the earliest first
    // When none is left today: the next service day's first departures, as
    // scheduled; nextDayKnown false when that day's timetables are not at hand.
    std::vector<NextDeparture> nextDay;
    bool nextDayKnown = false;
};

// The departures at the place of station (a stations index) from day's
// loaded tables at `second` (seconds since day's service date's midnight),
// at most count per direction, conditions[r] applied to timetable railway r:
// a stated delay moves the expected time, departures in a suspended section
// or of a suspended line are kept and marked as not running, and a disrupted
// line's times are uncertain. following: the next service day's tables (day
// itself when it runs the same calendar), nullptr when not at hand. Lines in
// timetable railway order, directions in the order their trains first
// appear in the table.
std::vector<DirectionDepartures> nextDepartures(const TimetableDay& day, const TimetableDay* following,
                                                const LineCondition (&conditions)[kTimetableRailwayCount],
                                                int station, std::int32_t second,
                                                int count = kNextTrainsPerDirection);
