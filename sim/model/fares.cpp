#include "sim/model/fares.h"

#include <cmath>
#include <iterator>

namespace {

struct FareBand {
    int upToKm;  // last whole kilometre of the band; the last band has no end
    SimFare fare2014;
    SimFare fare2023;
};

const FareBand bands[] = {
    {6, {170, 90, 165, 82}, {180, 90, 178, 89}},      {11, {200, 100, 195, 97}, {210, 110, 209, 104}},
    {19, {240, 120, 237, 118}, {260, 130, 252, 126}}, {27, {280, 140, 278, 139}, {300, 150, 293, 146}},
    {0, {310, 160, 308, 154}, {330, 170, 324, 162}},
};

const FareBand& bandFor(double km)
{
    const double started = std::ceil(km);
    const std::size_t last = std::size(bands) - 1;
    for (std::size_t i = 0; i < last; ++i)
        if (started <= bands[i].upToKm)
            return bands[i];
    return bands[last];
}

}  // namespace

SimFare fareForDistance(double km)
{
    return bandFor(km).fare2014;
}

SimFare fare2023ForDistance(double km)
{
    return bandFor(km).fare2023;
}
