// Sections: state / answers / datapoints route / version-4 routes / control route / lifecycle.
#include "sim/feed/feed.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

#include "opendata/calendar.h"
#include "opendata/normalise_v4.h"
#include "sim/rig/faults.h"
#include "sim/rig/intake.h"
#include "sim/model/network_model.h"
#include "sim/feed/options.h"
#include "sim/rig/replay.h"
#include "sim/feed/responses.h"
#include "sim/feed/responses_v4.h"
#include "sim/feed/v4_object.h"
#include "sim/model/status_model.h"
#include "sim/model/train_model.h"

// ---- state ----

struct Feed {
    FeedOptions options;
    SimNetwork net;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;
    std::int64_t clockOffset = 0;  // seconds added to the real clock

    std::mutex mutex;  // guards everything below
    std::condition_variable wake;
    bool stopping = false;
    FeedFault fault = FeedFault::None;
    ForcedNotice forced;
    ReplaySet replay;
    std::map<std::string, std::chrono::steady_clock::time_point> lastRequest;  // by type and key, bounded
    std::set<std::uint64_t> held;  // tickets of the answers held by slow or hang, oldest first
    std::uint64_t nextTicket = 0;
    std::uint64_t releasedBelow = 0;  // held answers with a smaller ticket give up
    std::int64_t v4Window[3] = {};    // per v4 limit: the window (real time / its length) being counted
    int v4Used[3] = {};               // per v4 limit: requests counted in that window
};

namespace {

constexpr auto kRateWindow = std::chrono::milliseconds(100);
constexpr auto kSlowDelay = std::chrono::seconds(60);
constexpr int kWorkerThreads = 16;  // hung answers each hold one
// Held answers never take the last workers, which the control route and the
// recovery after the fault need; beyond this the oldest held answer gives up.
constexpr size_t kMaxHeldAnswers = kWorkerThreads - 4;
constexpr size_t kRateTableCapacity = 256;  // type and key pairs remembered for the rate limit
constexpr char kJsonType[] = "application/json; charset=utf-8";
constexpr size_t kTrickleBytes = 64;  // the trickle fault's pieces
constexpr auto kTrickleGap = std::chrono::milliseconds(200);

std::int64_t simNow(const Feed& f)
{
    return static_cast<std::int64_t>(std::time(nullptr)) + f.clockOffset;
}

void plain(httplib::Response& res, int status, const char* text)
{
    res.status = status;
    res.set_content(text, "text/plain");
}

// ---- answers ----

std::string modelBody(Feed& f, const httplib::Request& req, const std::string& type, FeedFault fault)
{
    std::int64_t now = simNow(f);
    if (type == "odpt:Train") {
        return trainsBody(
            fault == FeedFault::Huge ? hugeTrainList(f.net) : runningTrains(f.net, f.options.seed, now), now);
    }
    if (type == "odpt:TrainInformation") {
        ForcedNotice forced;
        {
            std::lock_guard<std::mutex> lock(f.mutex);
            forced = f.forced;
        }
        std::vector<SimNotice> notices = currentNotices(f.net, f.options.seed, now, forced);
        spoilNotices(notices, fault);
        return noticesBody(notices, now, fault == FeedFault::Ctrl);
    }
    if (type == "odpt:RailwayFare") {
        std::string from = req.get_param_value("odpt:fromStation");
        std::string to = req.get_param_value("odpt:toStation");
        int a = placeOfStation(f.net, from), b = placeOfStation(f.net, to);
        double km = a < 0 || b < 0 ? -1 : networkDistanceKm(f.net, a, b);
        return km < 0 ? "[]" : fareBody(from, to, fareForDistance(km));
    }
    return "[]";
}

// A recording when there is one for the type, else the model.
std::string bodyFor(Feed& f, const httplib::Request& req, const std::string& type, FeedFault fault)
{
    if (!f.options.replayDir.empty()) {
        std::lock_guard<std::mutex> lock(f.mutex);
        if (const std::string* recorded = replayNext(f.replay, type))
            return *recorded;
    }
    return modelBody(f, req, type, fault);
}

// Sends the first half of the body under the full Content-Length, then fails
// the write so that the connection is closed in the middle of the body.
void sendHalf(httplib::Response& res, std::string body)
{
    auto shared = std::make_shared<std::string>(std::move(body));
    res.set_content_provider(shared->size(), kJsonType,
                             [shared](size_t offset, size_t, httplib::DataSink& sink) {
                                 size_t half = shared->size() / 2;
                                 if (offset >= half)
                                     return false;
                                 sink.write(shared->data() + offset, half - offset);
                                 return true;
                             });
}

// Sends body kTrickleBytes at a time, a pause before each, until it is all
// sent, the client goes or the feed stops.
void sendTrickling(Feed& f, httplib::Response& res, std::string body)
{
    auto shared = std::make_shared<std::string>(std::move(body));
    res.set_content_provider(
        shared->size(), kJsonType, [&f, shared](size_t offset, size_t, httplib::DataSink& sink) {
            {
                std::unique_lock<std::mutex> lock(f.mutex);
                if (f.wake.wait_for(lock, kTrickleGap, [&] { return f.stopping; }))
                    return false;
            }
            return sink.write(shared->data() + offset, std::min(kTrickleBytes, shared->size() - offset));
        });
}

bool tooSoon(Feed& f, const std::string& type, const std::string& key)
{
    if (!f.options.rateLimit)
        return false;
    auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(f.mutex);
    std::string pair = type + '\n' + key;
    // clients may invent any number of types; forgetting them all is harmless
    if (f.lastRequest.size() >= kRateTableCapacity && !f.lastRequest.count(pair))
        f.lastRequest.clear();
    auto [it, fresh] = f.lastRequest.try_emplace(pair, now);
    bool soon = !fresh && now - it->second < kRateWindow;
    it->second = now;
    return soon;
}

// Holds the answer as the fault demands; false when the feed stops meanwhile
// or newer held answers push this one out.
bool holdAnswer(Feed& f, FeedFault fault)
{
    std::unique_lock<std::mutex> lock(f.mutex);
    if (fault != FeedFault::Slow && fault != FeedFault::Hang) {
        f.wake.wait_for(lock, std::chrono::milliseconds(f.options.answerDelayMs), [&] { return f.stopping; });
        return !f.stopping;
    }
    const std::uint64_t ticket = f.nextTicket++;
    f.held.insert(ticket);
    if (f.held.size() > kMaxHeldAnswers) {
        f.releasedBelow = *f.held.begin() + 1;
        f.wake.notify_all();
    }
    auto givenUp = [&] { return f.stopping || ticket < f.releasedBelow; };
    if (fault == FeedFault::Slow)
        f.wake.wait_for(lock, kSlowDelay, givenUp);
    if (fault == FeedFault::Hang)
        f.wake.wait(lock, [&] { return givenUp() || f.fault != FeedFault::Hang; });
    f.held.erase(ticket);
    return !givenUp();
}

// ---- datapoints route ----

// Answers with the body made for the current fault, unless the fault holds,
// fails or replaces the answer.
FeedFault currentFault(Feed& f)
{
    std::lock_guard<std::mutex> lock(f.mutex);
    return f.fault;
}

template <class MakeBody>
void answerUnderFault(Feed& f, httplib::Response& res, MakeBody makeBody)
{
    const FeedFault fault = currentFault(f);
    if (!holdAnswer(f, fault))
        return plain(res, 503, "Service Unavailable");
    if (fault == FeedFault::Error500)
        return plain(res, 500, "Internal Server Error");
    if (fault == FeedFault::Html)
        return res.set_content(captivePortalPage, "text/html");

    std::string body = makeBody(fault);
    if (fault == FeedFault::Drop)
        return sendHalf(res, std::move(body));
    res.set_content(body, kJsonType);
}

void answerDatapoints(Feed& f, const httplib::Request& req, httplib::Response& res)
{
    std::string key = req.get_param_value("acl:consumerKey");
    if (key != f.options.key)
        return plain(res, 401, "Invalid acl:consumerKey.");
    std::string type = req.get_param_value("rdf:type");
    if (tooSoon(f, type, key))
        return plain(res, 503, "Your request rate is too high");
    answerUnderFault(f, res, [&](FeedFault fault) { return bodyFor(f, req, type, fault); });
}

// ---- version-4 routes ----

constexpr char kV4Operator[] = "odpt.Operator:TokyoMetro";

struct V4Limit {
    const char* name;  // as in the header names
    int limit;
    int seconds;
};
constexpr V4Limit kV4Limits[3] = {{"minute", 60, 60}, {"hour", 3600, 3600}, {"day", 24000, 86400}};

// Counts the request in every window and sets the rate-limit headers; false
// when a limit is used up (only enforced with the rate limit on).
bool countV4Request(Feed& f, httplib::Response& res)
{
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    std::lock_guard<std::mutex> lock(f.mutex);
    bool within = true;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t window = now / kV4Limits[i].seconds;
        if (window != f.v4Window[i]) {
            f.v4Window[i] = window;
            f.v4Used[i] = 0;
        }
        if (f.v4Used[i] >= kV4Limits[i].limit && f.options.rateLimit)
            within = false;
    }
    for (int i = 0; i < 3; ++i) {
        if (within)
            ++f.v4Used[i];
        const int left = kV4Limits[i].limit - f.v4Used[i];
        res.set_header(std::string("X-RateLimit-Limit-") + kV4Limits[i].name,
                       std::to_string(kV4Limits[i].limit));
        res.set_header(std::string("X-RateLimit-Remaining-") + kV4Limits[i].name,
                       std::to_string(left < 0 ? 0 : left));
    }
    return within;
}

// The values a filter predicate admits (a comma means OR); empty admits all.
std::vector<std::string> filterValues(const httplib::Request& req, const char* predicate)
{
    std::vector<std::string> values;
    if (!req.has_param(predicate))
        return values;
    std::istringstream list(req.get_param_value(predicate));
    for (std::string v; std::getline(list, v, ',');)
        values.push_back(v);
    if (values.empty())
        values.push_back("");  // "p=" admits only the empty value
    return values;
}

bool admits(const std::vector<std::string>& filter, const std::string& value)
{
    if (filter.empty())
        return true;
    for (const std::string& v : filter)
        if (v == value)
            return true;
    return false;
}

// Fares of every admitted station pair, cut at the API's 1,000 objects; an
// interchange between two records of one station costs nothing.
std::string faresBodyV4(const Feed& f, const httplib::Request& req)
{
    const std::vector<std::string> from = filterValues(req, "odpt:fromStation");
    const std::vector<std::string> to = filterValues(req, "odpt:toStation");
    std::vector<std::string> items;
    for (size_t a = 0; a < f.net.sameAs.size(); ++a) {
        if (!admits(from, f.net.sameAs[a]))
            continue;
        for (size_t b = 0; b < f.net.sameAs.size() && items.size() < kV4AnswerObjectCap; ++b) {
            if (a == b || !admits(to, f.net.sameAs[b]))
                continue;
            const int pa = f.net.sameAsPlace[a], pb = f.net.sameAsPlace[b];
            const double km = pa == pb ? 0 : networkDistanceKm(f.net, pa, pb);
            if (km < 0)
                continue;
            const SimFare fare = pa == pb ? SimFare{0, 0, 0, 0} : fare2023ForDistance(km);
            items.push_back(fareObjectV4(f.net.sameAs[a], f.net.sameAs[b], fare));
        }
    }
    return v4Array(items);
}

std::string noticesV4(Feed& f, const httplib::Request& req, FeedFault fault)
{
    ForcedNotice forced;
    {
        std::lock_guard<std::mutex> lock(f.mutex);
        forced = f.forced;
    }
    const std::int64_t now = simNow(f);
    std::vector<SimNotice> notices = currentNotices(f.net, f.options.seed, now, forced);
    // the branch follows its main line, as the operator lists its railways
    notices.insert(notices.begin() + 2, branchNotice(f.net, f.options.seed, now, forced));
    spoilNotices(notices, fault);
    const std::vector<std::string> railway = filterValues(req, "odpt:railway");
    std::vector<SimNotice> admitted;
    for (SimNotice& n : notices)
        if (admits(railway, n.railwayId))
            admitted.push_back(std::move(n));
    return noticesBodyV4(admitted, f.options.multilingual, now);
}

std::string trainsV4(Feed& f, const httplib::Request& req, FeedFault fault)
{
    if (!f.options.v4Positions)
        return "[]";
    const std::int64_t now = simNow(f);
    std::vector<SimTrain> trains =
        fault == FeedFault::Huge ? hugeTrainList(f.net) : runningTrains(f.net, f.options.seed, now);
    const std::vector<std::string> railway = filterValues(req, "odpt:railway");
    std::vector<SimTrain> admitted;
    for (SimTrain& t : trains)
        if (admits(railway, t.railwayId))
            admitted.push_back(std::move(t));
    if (admitted.size() > kV4AnswerObjectCap)
        admitted.resize(kV4AnswerObjectCap);
    return trainsBodyV4(admitted, now);
}

// The timetables of every admitted railway and calendar, cut at the API's
// 1,000 objects; the branch shuttle has a railway of its own.
std::string timetablesV4(const Feed& f, const httplib::Request& req)
{
    const std::vector<std::string> railway = filterValues(req, "odpt:railway");
    const std::vector<std::string> calendar = filterValues(req, "odpt:calendar");
    std::vector<std::string> items;
    for (bool holiday : {false, true}) {
        if (!admits(calendar,
                    calendarId(holiday ? ServiceCalendar::SaturdayHoliday : ServiceCalendar::Weekday)))
            continue;
        for (size_t r = 0; r < f.net.routes.size() && items.size() < kV4AnswerObjectCap; ++r) {
            if (!admits(railway, f.net.routes[r].railwayId))
                continue;
            for (std::string& item :
                 timetableObjectsV4(f.net, scheduledTrips(f.net, static_cast<int>(r)), holiday))
                items.push_back(std::move(item));
        }
    }
    if (items.size() > kV4AnswerObjectCap)
        items.resize(kV4AnswerObjectCap);
    return v4Array(items);
}

void answerV4(Feed& f, const httplib::Request& req, httplib::Response& res)
{
    if (!req.has_param("acl:consumerKey"))
        return plain(res, 403, "Require acl:consumerKey.");
    if (req.get_param_value("acl:consumerKey") != f.options.key)
        return plain(res, 403, "Invalid acl:consumerKey.");
    const std::string type = req.matches[1];
    if (type != "odpt:Train" && type != "odpt:TrainInformation" && type != "odpt:RailwayFare" &&
        type != "odpt:TrainTimetable")
        return plain(res, 404, "Not Found");
    if (!countV4Request(f, res))
        return plain(res, 429, "API rate limit exceeded");
    if (!admits(filterValues(req, "odpt:operator"), kV4Operator))
        return res.set_content("[]", kJsonType);
    if (type == "odpt:TrainTimetable" && currentFault(f) == FeedFault::Trickle)
        return sendTrickling(f, res, timetablesV4(f, req));
    answerUnderFault(f, res, [&](FeedFault fault) {
        if (type == "odpt:Train")
            return trainsV4(f, req, fault);
        if (type == "odpt:TrainInformation")
            return noticesV4(f, req, fault);
        if (type == "odpt:TrainTimetable")
            return timetablesV4(f, req);
        return faresBodyV4(f, req);
    });
}

// ---- control route ----

// GET /sim/control?acl:consumerKey=K[&fault=MODE][&disrupt=RAILWAY&text=TEXT]
// switches a running feed; disrupt=none clears the forced notice.
void answerControl(Feed& f, const httplib::Request& req, httplib::Response& res)
{
    if (req.get_param_value("acl:consumerKey") != f.options.key)
        return plain(res, 401, "Invalid acl:consumerKey.");
    if (req.has_param("fault")) {
        FeedFault fault;
        if (!parseFaultName(req.get_param_value("fault"), &fault))
            return plain(res, 400, "unknown fault\n");
        feed_set_fault(&f, fault);
    }
    if (req.has_param("disrupt")) {
        std::string name = req.get_param_value("disrupt");
        int railway = name == "none" ? -1 : parseRailwayName(name);
        if (railway < 0 && name != "none")
            return plain(res, 400, "unknown railway\n");
        feed_set_disruption(&f, railway, req.get_param_value("text"));
    }
    plain(res, 200, "ok\n");
}

}  // namespace

// ---- lifecycle ----

Feed* feed_start(const FeedOptions& options, std::string* error)
{
    auto f = std::make_unique<Feed>();
    f->options = options;
    f->net = buildSimNetwork();
    f->fault = options.fault;
    std::int64_t realNow = static_cast<std::int64_t>(std::time(nullptr));
    f->clockOffset = options.startTime ? *options.startTime - realNow : 0;
    f->forced = ForcedNotice{options.disruptRailway, options.disruptText, realNow + f->clockOffset};
    if (!options.replayDir.empty() && !loadReplay(options.replayDir, &f->replay, error))
        return nullptr;

    if (!options.certFile.empty()) {
        auto tls = std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str());
        if (!tls->is_valid()) {
            *error = "cannot load certificate " + options.certFile + " with key " + options.keyFile;
            return nullptr;
        }
        tls->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
        tls->set_keep_alive_timeout(1);
        f->server = std::move(tls);
    } else {
        try {
            f->server = intakeServer(RequestLimits{}, kWorkerThreads);
        } catch (const std::system_error& e) {
            *error = std::string("cannot start the feed's threads: ") + e.what();
            return nullptr;
        }
    }
    httplib::Server& s = *f->server;
    // the library's default also sets SO_REUSEPORT, which would let a second
    // feed share a port that is already taken
    auto listening = std::make_shared<socket_t>(-1);
    s.set_socket_options([listening](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        *listening = sock;
    });
    Feed* raw = f.get();
    s.Get("/api/v2/datapoints",
          [raw](const httplib::Request& q, httplib::Response& r) { answerDatapoints(*raw, q, r); });
    s.Get(R"(/api/v4/([^/?]+))",
          [raw](const httplib::Request& q, httplib::Response& r) { answerV4(*raw, q, r); });
    s.Get("/sim/control",
          [raw](const httplib::Request& q, httplib::Response& r) { answerControl(*raw, q, r); });

    f->port = options.port == 0 ? s.bind_to_any_port(options.host.c_str())
                                : (s.bind_to_port(options.host.c_str(), options.port) ? options.port : -1);
    if (f->port <= 0) {
        *error = "cannot listen on " + options.host + ":" + std::to_string(options.port);
        return nullptr;
    }
    // The library listens with a backlog of 5, which a burst of connections
    // overflows, and each refused attempt costs its client a second.
    listen(*listening, SOMAXCONN);
    f->thread = std::thread([raw] { raw->server->listen_after_bind(); });
    // stop() is a no-op until the server runs, so wait for that
    while (!s.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return f.release();
}

void feed_stop(Feed* f)
{
    if (!f)
        return;
    {
        std::lock_guard<std::mutex> lock(f->mutex);
        f->stopping = true;
    }
    f->wake.notify_all();
    f->server->stop();
    f->thread.join();
    // the server's workers go before the state their answers use
    f->server.reset();
    delete f;
}

int feed_port(const Feed* f)
{
    return f->port;
}

std::string feed_root(const Feed* f)
{
    return std::string(f->options.certFile.empty() ? "http" : "https") + "://" + f->options.host + ":" +
           std::to_string(f->port);
}

int feed_held_answers(Feed* f)
{
    std::lock_guard<std::mutex> lock(f->mutex);
    return static_cast<int>(f->held.size());
}

void feed_set_fault(Feed* f, FeedFault fault)
{
    {
        std::lock_guard<std::mutex> lock(f->mutex);
        f->fault = fault;
    }
    f->wake.notify_all();
}

void feed_set_disruption(Feed* f, int railway, const std::string& text)
{
    std::lock_guard<std::mutex> lock(f->mutex);
    // the notice's date moves only when its text does, so a repeated order is no news
    if (railway == f->forced.railway && text == f->forced.text)
        return;
    f->forced = ForcedNotice{railway, text, simNow(*f)};
}
