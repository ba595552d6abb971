#pragma once
// Injected faults: their names and the broken bodies they send.
#include <string>
#include <vector>

#include "sim/rig/feed_fault.h"
#include "sim/model/network_model.h"
#include "sim/model/status_model.h"
#include "sim/model/train_model.h"

// The fault of a name ("none", "slow", "hang", "drop", "500", "html",
// "badutf8", "huge", "ctrl", "emoji",
// "trickle"); false for any other name.
bool parseFaultName(const std::string& name, FeedFault* fault);

// The name parseFaultName accepts for a fault.
const char* faultName(FeedFault fault);

// The 200 answer of a captive portal that intercepts the request.
extern const char captivePortalPage[];

// Number of trains the Huge fault reports.
constexpr int kHugeTrainCount = 1000;

// kHugeTrainCount trains spread over every stop of every route, numbers unique.
std::vector<SimTrain> hugeTrainList(const SimNetwork& net);

// The notices with the first one's text spoilt as the fault demands: malformed
// UTF-8 (BadUtf8), control characters and terminal escapes (Ctrl), characters
// without a Shift_JIS form (Emoji); other faults leave them unchanged.
void spoilNotices(std::vector<SimNotice>& notices, FeedFault fault);
