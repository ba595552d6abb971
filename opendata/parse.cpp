// The response parser: "key": scanning over the fixed member lists.
//
// Sections: fields, value cutting, the scan, parseResponse.

#include "opendata/parse.h"

#include "opendata/v2_members.h"

#include <cstring>
#include <limits>
#include <string_view>

TrainRecord trainRecords[kTrainRecordCapacity];
int trainCount = 0;
TrainInfoRecord infoRecords[kInfoRecordCapacity];
FareRecord fareRecord;

namespace {

// ---- fields ----

// The field a member's value goes to: a text or a number.
template <class Record>
struct Field {
    std::string Record::*text;
    std::int32_t Record::*number;
};

// The fields of each kind, one per member of its list in opendata/v2_members.h.
using TF = Field<TrainRecord>;
constexpr TF kTrainFields[] = {
    {&TrainRecord::context, nullptr},
    {&TrainRecord::type, nullptr},
    {&TrainRecord::id, nullptr},
    {&TrainRecord::date, nullptr},
    {&TrainRecord::valid, nullptr},
    {nullptr, &TrainRecord::frequency},
    {&TrainRecord::railway, nullptr},
    {&TrainRecord::sameAs, nullptr},
    {&TrainRecord::trainNumber, nullptr},
    {&TrainRecord::trainType, nullptr},
    {nullptr, &TrainRecord::delay},
    {&TrainRecord::startingStation, nullptr},
    {&TrainRecord::terminalStation, nullptr},
    {&TrainRecord::fromStation, nullptr},
    {&TrainRecord::toStation, nullptr},
    {&TrainRecord::railDirection, nullptr},
    {&TrainRecord::trainOwner, nullptr},
};

using SF = Field<TrainInfoRecord>;
constexpr SF kStatusFields[] = {
    {&TrainInfoRecord::context, nullptr},
    {&TrainInfoRecord::id, nullptr},
    {&TrainInfoRecord::date, nullptr},
    {&TrainInfoRecord::valid, nullptr},
    {&TrainInfoRecord::operatorId, nullptr},
    {&TrainInfoRecord::railway, nullptr},
    {&TrainInfoRecord::timeOfOrigin, nullptr},
    {&TrainInfoRecord::informationStatus, nullptr},
    {&TrainInfoRecord::informationText, nullptr},
    {&TrainInfoRecord::type, nullptr},
};

using FF = Field<FareRecord>;
constexpr FF kFareFields[] = {
    {&FareRecord::id, nullptr},
    {&FareRecord::type, nullptr},
    {&FareRecord::sameAs, nullptr},
    {&FareRecord::date, nullptr},
    {&FareRecord::operatorId, nullptr},
    {&FareRecord::fromStation, nullptr},
    {&FareRecord::toStation, nullptr},
    {nullptr, &FareRecord::ticketFare},
    {nullptr, &FareRecord::childTicketFare},
    {nullptr, &FareRecord::icCardFare},
    {nullptr, &FareRecord::childIcCardFare},
    {&FareRecord::context, nullptr},
};

// True when fields has one field per member, a number where the member is one.
template <class Record, std::size_t N, std::size_t M>
constexpr bool fieldsMatch(const Field<Record> (&fields)[N], const V2Member (&members)[M])
{
    if (N != M)
        return false;
    for (std::size_t k = 0; k < N; ++k)
        if ((fields[k].number != nullptr) != members[k].number)
            return false;
    return true;
}
static_assert(fieldsMatch(kTrainFields, kTrainMembers) && fieldsMatch(kStatusFields, kStatusMembers) &&
              fieldsMatch(kFareFields, kFareMembers));

constexpr int kMaxKeys = 17;  // the longest list, kTrainMembers
static_assert(std::size(kTrainMembers) == kMaxKeys && std::size(kStatusMembers) <= kMaxKeys &&
              std::size(kFareMembers) <= kMaxKeys);

// ---- value cutting ----

const char* find(const char* from, const char* end, char c)
{
    if (from >= end)
        return nullptr;
    return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

// First position of the two bytes first, second at or after from.
const char* findPair(const char* from, const char* end, char first, char second)
{
    for (const char* p = find(from, end, first); p != nullptr; p = find(p + 1, end, first))
        if (p + 1 < end && p[1] == second)
            return p;
    return nullptr;
}

// Decimal conversion: leading blanks, a sign, digits up to the first other
// byte; no digits give 0. Values beyond 32 bits saturate.
std::int32_t toInt32(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        if (value < kLimit)
            value = value * 10 + (*p - '0');
    if (value > kLimit)
        value = kLimit;
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(value == kLimit ? kLimit - 1 : value);
}

// ---- the scan ----

// Index of key in members, or -1. The live API writes the keys of an object
// in list order, so the key after the previous one is tried first.
template <std::size_t N>
int lookup(const V2Member (&members)[N], std::string_view key, int previous)
{
    const int guess = previous + 1;
    if (guess < static_cast<int>(N) && members[guess].key == key)
        return guess;
    for (int k = 0; k < static_cast<int>(N); ++k)
        if (members[k].key == key)
            return k;
    return -1;
}

// Where one scan stores: a table of records opened by key 0, or one record
// that every key writes to.
template <class Record>
struct Target {
    Record* records;
    int capacity;
    bool opensRecords;
};

// Scans text and stores the values of known keys; counts[k] receives the
// number of times key k was met.
template <class Record, std::size_t N>
void scan(std::string_view text, const V2Member (&members)[N], const Field<Record> (&fields)[N],
          Target<Record> target, int (&counts)[kMaxKeys])
{
    const char* const end = text.data() + text.size();
    // A search for an end marker that failed from one position fails from
    // every later one, so it is not run again: otherwise every bare value or
    // array without its end marker would scan to the end of the text, and a
    // long answer of such values would take time quadratic in its length.
    const char* commaMissingFrom = end;
    const char* arrayEndMissingFrom = end;
    int recordIndex = 0;
    Record* current = target.opensRecords ? nullptr : target.records;
    int previous = -1;

    for (const char* cursor = find(text.data(), end, '"'); cursor != nullptr;) {
        const char* keyEnd = findPair(cursor + 1, end, '"', ':');
        if (keyEnd == nullptr)
            break;
        const int k = lookup(members, std::string_view(cursor + 1, keyEnd - cursor - 1), previous);
        if (k >= 0)
            ++counts[k];
        previous = k;

        // Blanks between the colon and the value are skipped, so that
        // pretty-printed answers cut the same as minified ones.
        const char* value = keyEnd + 2;
        while (value < end && (*value == ' ' || *value == '\t' || *value == '\r' || *value == '\n'))
            ++value;
        if (value >= end)
            break;

        const char* begin = value;
        const char* marker;
        const char* stop;
        if (*value == '"') {
            begin = value + 1;
            marker = find(value + 1, end, '"');
            stop = marker;
        } else if (*value == '[') {
            marker = value + 1 < arrayEndMissingFrom ? findPair(value + 1, end, ']', ',') : nullptr;
            if (marker == nullptr && value + 1 < arrayEndMissingFrom)
                arrayEndMissingFrom = value + 1;
            stop = marker != nullptr ? marker + 1 : nullptr;
        } else {
            marker = value + 1 < commaMissingFrom ? find(value + 1, end, ',') : nullptr;
            if (marker == nullptr && value + 1 < commaMissingFrom)
                commaMissingFrom = value + 1;
            stop = marker;
        }

        const char* reached = marker;
        if (marker == nullptr) {
            reached = find(value + 1, end, '}');
            if (reached == nullptr)
                break;
        } else if (k >= 0) {
            if (target.opensRecords && k == 0) {
                ++recordIndex;
                // Objects beyond the table's capacity are dropped.
                current = recordIndex <= target.capacity ? &target.records[recordIndex - 1] : nullptr;
            }
            if (current != nullptr) {
                const Field<Record>& field = fields[k];
                if (field.text != nullptr)
                    (current->*field.text).assign(begin, static_cast<std::size_t>(stop - begin));
                else
                    current->*field.number = toInt32(begin, stop);
            }
        }
        cursor = find(reached + 1, end, '"');
    }
}

}  // namespace

// ---- parseResponse ----

void parseResponse(ResponseKind kind)
{
    int counts[kMaxKeys] = {};
    switch (kind) {
    case ResponseKind::Trains:
        scan(responseText[kind], kTrainMembers, kTrainFields,
             Target<TrainRecord>{trainRecords, kTrainRecordCapacity, true}, counts);
        trainCount = counts[1] < kTrainRecordCapacity ? counts[1] : kTrainRecordCapacity;
        break;
    case ResponseKind::Status:
        scan(responseText[kind], kStatusMembers, kStatusFields,
             Target<TrainInfoRecord>{infoRecords, kInfoRecordCapacity, true}, counts);
        break;
    case ResponseKind::Fare:
        fareRecord.ticketFare = 0;
        fareRecord.childTicketFare = 0;
        fareRecord.icCardFare = 0;
        fareRecord.childIcCardFare = 0;
        scan(responseText[kind], kFareMembers, kFareFields, Target<FareRecord>{&fareRecord, 1, false},
             counts);
        break;
    case ResponseKind::Timetable:  // no text: opendata/timetable reads those answers
        break;
    }
}

int compareTrainNumber(const TrainRecord& a, const TrainRecord& b)
{
    int order = a.trainNumber.compare(b.trainNumber);
    // The lines number their trains alike; the railway orders equal numbers.
    if (order == 0)
        order = a.railway.compare(b.railway);
    return (order > 0) - (order < 0);
}
