#pragma once
// Command-line options of the feed program (and of the monitor's demo mode).
#include <string>

#include "sim/feed/feed_options.h"

// The railway index named by "0".."8", a railway identifier
// ("odpt.Railway:TokyoMetro.Ginza") or its last part ("Ginza"), kBranchIndex
// for "MarunouchiBranch"; -1 for none.
int parseRailwayName(const std::string& name);

// Reads argv[first..argc) into options:
//   --host ADDR  --port N  --consumer-key KEY  --seed N  --time [YYYY-MM-DDT]HH:MM[:SS]
//   --no-rate-limit  --fault MODE  --disrupt RAILWAY TEXT  --replay DIR
//   --multilingual  --v4-positions
//   --cert FILE  --key FILE
// False with the reason in *error for an unknown option or a bad value.
bool parseFeedOptions(int argc, char** argv, int first, FeedOptions* options, std::string* error);

// One line per option, for --help.
extern const char feedUsage[];
