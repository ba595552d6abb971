// The response parser: "key": scanning over the fixed key tables.
//
// Sections: key tables, value cutting, the scan, parseResponse.

#include "opendata/parse.h"

#include <cstring>
#include <limits>
#include <string_view>

TrainRecord trainRecords[trainRecordCapacity];
int trainCount = 0;
TrainInfoRecord infoRecords[infoRecordCapacity];
FareRecord fareRecord;

namespace {

// ---- key tables -----------------------------------------------------------

// One key of a table and the field its value goes to: a text or a number.
template <class Record>
struct FieldKey {
    std::string_view key;
    std::string Record::*text;
    std::int32_t Record::*number;
};

using TK = FieldKey<TrainRecord>;
constexpr TK trainKeys[] = {
    {"@context", &TrainRecord::context, nullptr},
    {"@type", &TrainRecord::type, nullptr},
    {"@id", &TrainRecord::id, nullptr},
    {"dc:date", &TrainRecord::date, nullptr},
    {"dct:valid", &TrainRecord::valid, nullptr},
    {"odpt:frequency", nullptr, &TrainRecord::frequency},
    {"odpt:railway", &TrainRecord::railway, nullptr},
    {"owl:sameAs", &TrainRecord::sameAs, nullptr},
    {"odpt:trainNumber", &TrainRecord::trainNumber, nullptr},
    {"odpt:trainType", &TrainRecord::trainType, nullptr},
    {"odpt:delay", nullptr, &TrainRecord::delay},
    {"odpt:startingStation", &TrainRecord::startingStation, nullptr},
    {"odpt:terminalStation", &TrainRecord::terminalStation, nullptr},
    {"odpt:fromStation", &TrainRecord::fromStation, nullptr},
    {"odpt:toStation", &TrainRecord::toStation, nullptr},
    {"odpt:railDirection", &TrainRecord::railDirection, nullptr},
    {"odpt:trainOwner", &TrainRecord::trainOwner, nullptr},
};

using SK = FieldKey<TrainInfoRecord>;
constexpr SK statusKeys[] = {
    {"@context", &TrainInfoRecord::context, nullptr},
    {"@id", &TrainInfoRecord::id, nullptr},
    {"dc:date", &TrainInfoRecord::date, nullptr},
    {"dct:valid", &TrainInfoRecord::valid, nullptr},
    {"odpt:operator", &TrainInfoRecord::operatorId, nullptr},
    {"odpt:railway", &TrainInfoRecord::railway, nullptr},
    {"odpt:timeOfOrigin", &TrainInfoRecord::timeOfOrigin, nullptr},
    {"odpt:trainInformationText", &TrainInfoRecord::informationText, nullptr},
    {"@type", &TrainInfoRecord::type, nullptr},
    {"odpt:trainInformationStatus", &TrainInfoRecord::informationStatus, nullptr},
};

using FK = FieldKey<FareRecord>;
constexpr FK fareKeys[] = {
    {"@id", &FareRecord::id, nullptr},
    {"@type", &FareRecord::type, nullptr},
    {"owl:sameAs", &FareRecord::sameAs, nullptr},
    {"dc:date", &FareRecord::date, nullptr},
    {"odpt:operator", &FareRecord::operatorId, nullptr},
    {"odpt:fromStation", &FareRecord::fromStation, nullptr},
    {"odpt:toStation", &FareRecord::toStation, nullptr},
    {"odpt:ticketFare", nullptr, &FareRecord::ticketFare},
    {"odpt:childTicketFare", nullptr, &FareRecord::childTicketFare},
    {"odpt:icCardFare", nullptr, &FareRecord::icCardFare},
    {"odpt:childIcCardFare", nullptr, &FareRecord::childIcCardFare},
    {"@context", &FareRecord::context, nullptr},
};

constexpr int maxKeys = 17;  // the longest table, trainKeys
static_assert(std::size(trainKeys) == maxKeys && std::size(statusKeys) <= maxKeys &&
              std::size(fareKeys) <= maxKeys);

// ---- value cutting --------------------------------------------------------

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
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        if (value < limit)
            value = value * 10 + (*p - '0');
    if (value > limit)
        value = limit;
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(value == limit ? limit - 1 : value);
}

// ---- the scan -------------------------------------------------------------

// Index of key in table, or -1. The live API writes the keys of an object
// in table order, so the key after the previous one is tried first.
template <class Record, std::size_t N>
int lookup(const FieldKey<Record> (&table)[N], std::string_view key, int previous)
{
    const int guess = previous + 1;
    if (guess < static_cast<int>(N) && table[guess].key == key)
        return guess;
    for (int k = 0; k < static_cast<int>(N); ++k)
        if (table[k].key == key)
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
void scan(std::string_view text, const FieldKey<Record> (&table)[N], Target<Record> target,
          int (&counts)[maxKeys])
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
        const int k = lookup(table, std::string_view(cursor + 1, keyEnd - cursor - 1), previous);
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
                const FieldKey<Record>& field = table[k];
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

// ---- parseResponse ------------------------------------------------------------

void parseResponse(ResponseKind kind)
{
    int counts[maxKeys] = {};
    switch (kind) {
    case ResponseKind::Trains:
        scan(responseText[kind], trainKeys, Target<TrainRecord>{trainRecords, trainRecordCapacity, true},
             counts);
        trainCount = counts[1] < trainRecordCapacity ? counts[1] : trainRecordCapacity;
        break;
    case ResponseKind::Status:
        scan(responseText[kind], statusKeys, Target<TrainInfoRecord>{infoRecords, infoRecordCapacity, true},
             counts);
        break;
    case ResponseKind::Fare:
        fareRecord.ticketFare = 0;
        fareRecord.childTicketFare = 0;
        fareRecord.icCardFare = 0;
        fareRecord.childIcCardFare = 0;
        scan(responseText[kind], fareKeys, Target<FareRecord>{&fareRecord, 1, false}, counts);
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
