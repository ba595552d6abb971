#pragma once
// The datapoints bodies as the live API writes them: minified UTF-8 JSON
// arrays whose objects keep the API's fixed key order.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/model/fares.h"
#include "sim/model/status_model.h"
#include "sim/model/train_model.h"

// Seconds a train answer stays valid (odpt:frequency; dct:valid = dc:date + this).
constexpr int kTrainFrequencySeconds = 90;

// Seconds a status answer stays valid after it is sent.
constexpr int kNoticeValiditySeconds = 300;

// The odpt:Train array for trains reported at Unix time now.
std::string trainsBody(const std::vector<SimTrain>& trains, std::int64_t now);

// The odpt:TrainInformation array sent at Unix time now. With verbatimText the
// notice texts go in unescaped, control characters and all (fault injection).
std::string noticesBody(const std::vector<SimNotice>& notices, std::int64_t now, bool verbatimText = false);

// The odpt:RailwayFare array of one fare between two station identifiers.
std::string fareBody(const std::string& fromStation, const std::string& toStation, const SimFare& fare);

// "urn:ucode:_" + 32 uppercase hex digits, fixed by the two values.
std::string ucode(std::uint64_t a, std::uint64_t b);

// A 64-bit hash of a text, for identifiers that stay the same across answers.
std::uint64_t textHash(const std::string& s);

// The owl:sameAs of the fare between two station identifiers.
std::string fareSameAs(const std::string& fromStation, const std::string& toStation);

// Appends s as a JSON string literal (quotes, backslashes and control characters escaped).
void appendJsonString(std::string& out, const std::string& s);

// s as a JSON string literal.
std::string jsonQuoted(const std::string& s);
