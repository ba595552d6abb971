#pragma once
// The bodies of the API's version 4 (api.odpt.org): minified UTF-8 JSON
// arrays whose objects have their keys sorted by length, then bytewise.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/model/fares.h"
#include "sim/model/status_model.h"
#include "sim/model/train_model.h"

// Seconds between two generations of the version-4 notices, and how long one stays valid.
constexpr int kV4NoticeValiditySeconds = 300;

// The odpt:TrainInformation array of the notices given, in their order, as
// generated at Unix time `generated`: every object carries that moment
// floored to 5 minutes as dc:date and 5 minutes more as dct:valid, whether
// its text changed or not, as the real API renews them. Texts and statuses
// are language objects {"ja":…}, with en, ko, zh-Hans and zh-Hant added when
// multilingual; odpt:trainInformationStatus and odpt:timeOfOrigin (the
// disruption's cause) appear only while a line is disrupted.
std::string noticesBodyV4(const std::vector<SimNotice>& notices, bool multilingual, std::int64_t generated);

// The odpt:Train array for trains reported at Unix time now; starting and
// terminal stations go out as one-element originStation and
// destinationStation arrays, a train standing at a station has toStation null.
std::string trainsBodyV4(const std::vector<SimTrain>& trains, std::int64_t now);

// The odpt:TrainTimetable objects of the runs given, for the weekday or the
// Saturday and holiday timetable: stops in running order, each with its
// departure time and station, the last with its arrival instead, a stop
// passed without a halt with its station only; times "HH:MM" (seconds
// dropped) that wrap after midnight.
std::vector<std::string> timetableObjectsV4(const SimNetwork& net, const std::vector<SimScheduledTrip>& trips,
                                            bool holidayTimetable);

// One odpt:RailwayFare object (2023 fares) between two station identifiers.
std::string fareObjectV4(const std::string& fromStation, const std::string& toStation, const SimFare& fare);
