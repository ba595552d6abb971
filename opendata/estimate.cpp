#include "opendata/estimate.h"

#include <algorithm>

namespace {

constexpr char kTrainContext[] = "http://vocab.odpt.org/context_odpt_Train.jsonld";

// "odpt.Railway:TokyoMetro.Ginza" -> "TokyoMetro.Ginza"
const char* afterColon(const std::string& id)
{
    const std::size_t colon = id.find(':');
    return colon == std::string::npos ? id.c_str() : id.c_str() + colon + 1;
}

void fill(TrainRecord& r, const Timetable& table, const TimetableTrip& trip, const std::string& date)
{
    const std::string& railway = table.names[trip.railway];
    const std::string& number = table.names[trip.number];
    r.context = kTrainContext;
    r.type = "odpt:Train";
    r.id.clear();
    r.date = date;
    r.valid.clear();
    r.frequency = 0;
    r.railway = railway;
    r.sameAs = "odpt.Train:";
    r.sameAs += afterColon(railway);
    r.sameAs += '.';
    r.sameAs += number;
    r.trainNumber = number;
    r.trainType = table.names[trip.type];
    r.delay = 0;
    r.startingStation = table.names[trip.origin];
    r.terminalStation = table.names[trip.destination];
    r.railDirection = table.names[trip.direction];
    r.trainOwner = table.names[trip.owner];
}

}  // namespace

int appendEstimatedTrains(const Timetable& table, std::int32_t second, const std::string& date,
                          TrainRecord* records, int count, int capacity)
{
    for (const TimetableTrip& trip : table.trips) {
        if (count >= capacity)
            break;
        const TimetableStop* stop = table.stops.data() + trip.firstStop;
        const TimetableStop* last = stop + trip.stopCount - 1;
        if (second < stop->depart || second >= last->arrive)
            continue;
        // the last stop left at or before `second`; the final stop is never left
        const TimetableStop* left =
            std::upper_bound(stop, last, second,
                             [](std::int32_t s, const TimetableStop& t) { return s < t.depart; }) -
            1;
        const TimetableStop* next = left + 1;
        TrainRecord& r = records[count++];
        fill(r, table, trip, date);
        if (second < next->arrive) {
            r.fromStation = table.names[left->station];
            r.toStation = table.names[next->station];
        } else {
            r.fromStation = table.names[next->station];
            r.toStation = "null";
        }
    }
    return count;
}
