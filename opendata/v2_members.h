#pragma once
// The members of each response kind in the order version 2 of the API wrote
// them: the parser's key lookup (opendata/parse.cpp) and the rewrite of
// version-4 answers (opendata/normalise_v4.cpp) both follow these lists, and
// the records of opendata/parse.h hold their fields in the same order.

#include <string_view>

// One member: its key, and whether its value is a bare number (else a text).
struct V2Member {
    std::string_view key;
    bool number;
};

inline constexpr V2Member kTrainMembers[] = {
    {"@context", false},
    {"@type", false},
    {"@id", false},
    {"dc:date", false},
    {"dct:valid", false},
    {"odpt:frequency", true},
    {"odpt:railway", false},
    {"owl:sameAs", false},
    {"odpt:trainNumber", false},
    {"odpt:trainType", false},
    {"odpt:delay", true},
    {"odpt:startingStation", false},
    {"odpt:terminalStation", false},
    {"odpt:fromStation", false},
    {"odpt:toStation", false},
    {"odpt:railDirection", false},
    {"odpt:trainOwner", false},
};

inline constexpr V2Member kStatusMembers[] = {
    {"@context", false},
    {"@id", false},
    {"dc:date", false},
    {"dct:valid", false},
    {"odpt:operator", false},
    {"odpt:railway", false},
    {"odpt:timeOfOrigin", false},
    {"odpt:trainInformationStatus", false},  // only while a line is disrupted
    {"odpt:trainInformationText", false},
    {"@type", false},
};

inline constexpr V2Member kFareMembers[] = {
    {"@id", false},
    {"@type", false},
    {"owl:sameAs", false},
    {"dc:date", false},
    {"odpt:operator", false},
    {"odpt:fromStation", false},
    {"odpt:toStation", false},
    {"odpt:ticketFare", true},
    {"odpt:childTicketFare", true},
    {"odpt:icCardFare", true},
    {"odpt:childIcCardFare", true},
    {"@context", false},
};
