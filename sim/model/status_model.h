#pragma once
// The operation status of the nine railways: a normal notice each, replaced
// by a disruption notice while a large delay episode of the railway lasts or
// while a notice is forced on it.
#include <cstdint>
#include <string>
#include <vector>

#include "network/branch.h"
#include "sim/model/network_model.h"

// A notice forced on one railway (railway -1: none).
struct ForcedNotice {
    int railway = -1;        // railway index 0..8, or kBranchIndex
    std::string text;        // UTF-8
    std::int64_t since = 0;  // Unix time it was forced
};

// One TrainInformation datapoint.
struct SimNotice {
    std::string railwayId;
    std::int64_t date;    // Unix time the text took effect; changes only with the text
    std::int64_t origin;  // Unix time of the cause (odpt:timeOfOrigin)
    std::string status;   // odpt:trainInformationStatus, UTF-8; empty while normal
    std::string text;     // odpt:trainInformationText, UTF-8
};

// The notice text while a railway runs normally.
extern const char normalNoticeText[];

// The nine notices at Unix time t, in railway order.
std::vector<SimNotice> currentNotices(const SimNetwork& net, std::uint32_t seed, std::int64_t t,
                                      const ForcedNotice& forced);

// The notice of the 丸ノ内線 branch (its shuttle's delays) at Unix time t.
SimNotice branchNotice(const SimNetwork& net, std::uint32_t seed, std::int64_t t, const ForcedNotice& forced);
