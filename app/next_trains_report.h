// The answer of the next-trains query as console lines (Shift_JIS).
#pragma once

#include "app/next_trains.h"
#include <cstdint>
#include <string>
#include <vector>

// A heading with the station's title, the moment (Unix time now, shown in
// Japan time) and its service day's calendar ("odpt.Calendar:…"), then per line and direction a heading (with
// what the line's notice does to its times) and one line per departure: the time (and the delay-shifted one,
// marked uncertain), minutes from `when`, the train type, the destination and whether it is the last train of
// the day; a departure that does not run says so. A direction whose trains have all left says that the day's
// service has ended and gives the next day's first trains, or why it cannot; a direction no train leaves in
// says so.
void printNextTrains(int station, std::int64_t now, const std::string& calendar,
                     const std::vector<DirectionDepartures>& answer,
                     const LineCondition (&conditions)[kTimetableRailwayCount]);

// The Japanese name of an odpt.TrainType identifier, else its last part.
std::string trainTypeTitle(const std::string& type);

// The title of a station identifier from the station table; a station beyond
// the operator's lines by its identifier's last part.
std::string stationTitleOf(const std::string& sameAs);

// "<title>方面" of an odpt.RailDirection identifier: the station its last
// part names, else that part.
std::string directionTitle(const std::string& direction);
