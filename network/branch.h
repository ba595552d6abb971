// The 丸ノ内線 branch (中野坂上 – 方南町). The station tables keep it as the tail
// of 丸ノ内線's row; the API names it a railway of its own, which the lists
// that follow the API (timetables, notices, the feed's routes) count as a
// tenth after the nine railways.
#pragma once

#include "network/stations.h"

// The railway whose row in lineStations holds the branch: 丸ノ内線.
constexpr int kBranchLine = 1;

// The slot of lineStations[kBranchLine] where the branch leaves the main line
// (中野坂上, not the main line's last station 荻窪).
constexpr int kBranchJoinSlot = 19;

// The first slot of the branch's own stations; the slots before it are the
// main line's.
constexpr int kBranchFirstSlot = 25;

// The API's railway identifier of the branch.
inline constexpr char kBranchRailwayId[] = "odpt.Railway:TokyoMetro.MarunouchiBranch";

// The branch's place where it is counted after the nine railways.
constexpr int kBranchIndex = railwayCount;
