#include "app/known_trains.h"

#include <cstddef>
#include <cstring>

int findKnownTrain(const KnownTrains& known, const char* railway, const char* number)
{
    for (int i = 0; i < known.count; ++i)
        if (std::strcmp(known.trains[i].number, number) == 0 &&
            std::strcmp(known.trains[i].railway, railway) == 0)
            return i;
    return -1;
}

int addKnownTrain(KnownTrains& known, const char* railway, const char* number,
                  char (*departed)[kTrainNumberCapacity])
{
    if (departed)
        (*departed)[0] = '\0';
    int found = findKnownTrain(known, railway, number);
    if (found >= 0) {
        known.trains[found].lastSeen = known.updates;
        return found;
    }
    std::size_t len = std::strlen(number);
    std::size_t railwayLen = std::strlen(railway);
    if (len == 0 || len >= sizeof known.trains[0].number || railwayLen >= sizeof known.trains[0].railway)
        return -1;
    int entry = known.count;
    if (entry < kKnownTrainCapacity) {
        known.trains[entry] = KnownTrain{};
        ++known.count;
    } else {
        // Train numbers are per trip, so a full list holds mostly departed
        // trains; the one gone longest makes room.
        entry = 0;
        for (int i = 1; i < known.count; ++i)
            if (known.trains[i].lastSeen < known.trains[entry].lastSeen)
                entry = i;
        if (known.trains[entry].lastSeen == known.updates)
            return -1;
        if (departed)
            std::memcpy(*departed, known.trains[entry].number, sizeof *departed);
    }
    KnownTrain& k = known.trains[entry];
    std::memcpy(k.number, number, len + 1);
    std::memcpy(k.railway, railway, railwayLen + 1);
    k.lastSeen = known.updates;
    return entry;
}
