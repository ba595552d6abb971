#pragma once
// The response parser: scans a response text for "key": pairs, looks each
// key up in the version-2 member list of the response kind
// (opendata/v2_members.h) and stores the value in the record field of the
// same index. Not a general JSON parser: values are cut by their first
// character (string, array or bare value up to a comma).

#include <cstdint>
#include <string>

#include "opendata/responses.h"

// One running train; fields in the order of kTrainMembers (opendata/v2_members.h).
struct TrainRecord {
    std::string context;          // "@context": opens a new record
    std::string type;             // "@type": counted for trainCount
    std::string id;               // "@id"
    std::string date;             // "dc:date"
    std::string valid;            // "dct:valid"
    std::int32_t frequency = 0;   // "odpt:frequency", seconds
    std::string railway;          // "odpt:railway", a railway identifier
    std::string sameAs;           // "owl:sameAs"
    std::string trainNumber;      // "odpt:trainNumber", the sort key
    std::string trainType;        // "odpt:trainType"
    std::int32_t delay = 0;       // "odpt:delay", seconds
    std::string startingStation;  // "odpt:startingStation"
    std::string terminalStation;  // "odpt:terminalStation"
    std::string fromStation;      // "odpt:fromStation", a station sameAs
    std::string toStation;        // "odpt:toStation", a station sameAs or e.g. "null"
    std::string railDirection;    // "odpt:railDirection"
    std::string trainOwner;       // "odpt:trainOwner"
};

// The operation status of one line; all texts, order of kStatusMembers.
struct TrainInfoRecord {
    std::string context;            // "@context": opens a new record
    std::string id;                 // "@id"
    std::string date;               // "dc:date"
    std::string valid;              // "dct:valid"
    std::string operatorId;         // "odpt:operator"
    std::string railway;            // "odpt:railway"
    std::string timeOfOrigin;       // "odpt:timeOfOrigin"
    std::string informationStatus;  // "odpt:trainInformationStatus", Shift_JIS
    std::string informationText;    // "odpt:trainInformationText", Shift_JIS
    std::string type;               // "@type"
};

// One fare, amounts in yen; order of kFareMembers.
struct FareRecord {
    std::string id;                    // "@id"
    std::string type;                  // "@type"
    std::string sameAs;                // "owl:sameAs"
    std::string date;                  // "dc:date"
    std::string operatorId;            // "odpt:operator"
    std::string fromStation;           // "odpt:fromStation"
    std::string toStation;             // "odpt:toStation"
    std::int32_t ticketFare = 0;       // "odpt:ticketFare"
    std::int32_t childTicketFare = 0;  // "odpt:childTicketFare"
    std::int32_t icCardFare = 0;       // "odpt:icCardFare"
    std::int32_t childIcCardFare = 0;  // "odpt:childIcCardFare"
    std::string context;               // "@context"
};

// Capacities of the record tables; surplus objects of a response are dropped.
inline constexpr int kTrainRecordCapacity = 400;
inline constexpr int kInfoRecordCapacity = 10;

// Trains of the last Trains parse; the first trainCount records are valid.
extern TrainRecord trainRecords[kTrainRecordCapacity];

// Number of "@type" keys met by the last Trains parse, at most 400.
extern int trainCount;

// Line status records; records beyond those of the last parse keep their
// earlier contents.
extern TrainInfoRecord infoRecords[kInfoRecordCapacity];

// The fare of the last Fare parse.
extern FareRecord fareRecord;

// Parses responseText[kind] (left unchanged; kind Trains, Status or Fare) into trainRecords and
// trainCount, infoRecords, or fareRecord. Fields whose key the text lacks
// keep their earlier values. Safe on any bytes.
void parseResponse(ResponseKind kind);

// Three-way byte-wise (unsigned) comparison of the trainNumber texts, then of
// the railway texts; a prefix sorts first. Negative, zero or positive.
int compareTrainNumber(const TrainRecord& a, const TrainRecord& b);
