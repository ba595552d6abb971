#include "sim/model/status_model.h"

#include <algorithm>

#include "network/stations.h"
#include "opendata/calendar.h"
#include "sim/model/train_model.h"

const char normalNoticeText[] = "現在、平常どおり運転しています。";

namespace {

constexpr int kDisruptionPeak = 300;  // smaller delays are not announced

const char* const causes[] = {"車両点検", "信号確認", "お客様救護", "ドア点検", "線路内点検"};

// Digits as full-width forms (U+FF10…), as the operator writes them in notices.
std::string fullwidthNumber(int value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, width - digits.size(), '0');
    std::string out;
    for (char d : digits) {
        out += "\xEF\xBC";
        out += static_cast<char>(0x90 + (d - '0'));
    }
    return out;
}

std::string disruptionText(const SimRoute& route, const DelayEpisode& e)
{
    std::uint64_t h =
        simHash(static_cast<std::uint64_t>(e.start), static_cast<std::uint64_t>(route.digit), 7);
    const SimStop& at = route.stops[h % route.stops.size()];
    int minuteOfDay = japanSecondOfDay(e.start) / 60;
    int minutes = e.peak / 60;
    return fullwidthNumber(minuteOfDay / 60, 1) + "時" + fullwidthNumber(minuteOfDay % 60, 2) + "分頃、" +
           at.title + "駅で" + causes[(h >> 8) % std::size(causes)] +
           "を行った影響で、ダイヤが乱れています。" + fullwidthNumber(minutes, 1) + "分〜" +
           fullwidthNumber(minutes + 5, 1) +
           "分程度の遅れが出ています。只今、ＪＲ線、都営地下鉄線、"
           "東武線で振替輸送を実施しています。";
}

bool announced(const DelayEpisode& e)
{
    const int minute = japanSecondOfDay(e.start) / 60;
    bool inService = minute >= 5 * 60 || minute < 30;
    return e.peak >= kDisruptionPeak && inService;
}

// The notice of route k (a railway, or the branch shuttle) at Unix time t.
SimNotice routeNotice(const SimNetwork& net, std::uint32_t seed, std::int64_t t, int k,
                      const ForcedNotice& forced)
{
    std::int64_t jst = t + kJapanOffsetSeconds;
    // Japan time in seconds at which t's service day began
    const std::int64_t dayStart = serviceDayStart(t) + kJapanOffsetSeconds;
    const SimRoute& route = net.routes[k];
    SimNotice n{route.railwayId, dayStart - kJapanOffsetSeconds, dayStart - kJapanOffsetSeconds, "",
                normalNoticeText};
    const std::vector<DelayEpisode> episodes =
        delayEpisodes(seed, k, floorDiv(dayStart, 3600), floorDiv(jst, 3600));
    const DelayEpisode* active = nullptr;
    for (const DelayEpisode& e : episodes) {
        if (!announced(e) || e.start > t)
            continue;
        if (t < e.end) {
            if (!active || e.start > active->start)
                active = &e;
        } else if (e.end > n.date) {
            n.date = n.origin = e.end;
        }
    }
    if (active) {
        n.date = n.origin = active->start;
        n.status = "ダイヤ乱れ";
        n.text = disruptionText(route, *active);
    }
    if (forced.railway == k) {
        n.date = n.origin = forced.since;
        n.status = forced.text.find("見合わせ") != std::string::npos ? "運転見合わせ" : "ダイヤ乱れ";
        n.text = forced.text;
    }
    return n;
}

}  // namespace

std::vector<SimNotice> currentNotices(const SimNetwork& net, std::uint32_t seed, std::int64_t t,
                                      const ForcedNotice& forced)
{
    std::vector<SimNotice> out;
    for (int k = 0; k < railwayCount; ++k)
        out.push_back(routeNotice(net, seed, t, k, forced));
    return out;
}

SimNotice branchNotice(const SimNetwork& net, std::uint32_t seed, std::int64_t t, const ForcedNotice& forced)
{
    return routeNotice(net, seed, t, kBranchIndex, forced);
}
