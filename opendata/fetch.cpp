// Downloads of the live datapoints, of one fare and of a day's timetables.
// Sections: failure lines / the byte-order mark / one download's steps /
// the downloads of each kind.

#include "opendata/fetch.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "opendata/normalise_v4.h"
#include "opendata/notes.h"
#include "opendata/request_limit.h"
#include "platform/charset.h"
#include "platform/console.h"
#include "platform/key_mask.h"

namespace {

constexpr char kUserAgent[] = "DefaultApplication01";
constexpr std::size_t kExcerptCap = 80;  // body bytes quoted in a failure line

// The name each kind has in failure lines, indexed by ResponseKind.
constexpr const char* kindNames[] = {"odpt:Train", "odpt:TrainInformation", "odpt:RailwayFare",
                                     "odpt:TrainTimetable"};

bool noPositionsTold = false;  // the no-positions note is given once a run

// ---- failure lines ----

// Turns the first `limit` bytes of body or error bytes (UTF-8) into one
// printable Shift_JIS line fragment: every echo of the key masked (see
// maskKey for the bytes text must hold beyond the limit), line breaks and
// tabs made blanks, and a character cut at the end dropped.
std::string printable(const std::string& text, std::size_t limit)
{
    std::string shown = maskKey(text, limit, consumerKey());
    for (char& c : shown)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    while (!shown.empty() && shown.back() == ' ')
        shown.pop_back();
    Cp932Stream stream;
    cp932_begin(stream);
    std::string out;
    cp932_feed(stream, shown, out);
    return out;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// ---- the byte-order mark ----

// Some servers put a UTF-8 byte-order mark in front of the body. Its three
// bytes may arrive in separate reads, so the first bytes wait in `front`
// until they are known to be a mark (dropped) or not (passed on).
struct BomFilter {
    static constexpr std::string_view kMark = "\xEF\xBB\xBF";
    std::string front;
    bool decided = false;
};

// Calls pass with the bytes of data that are body, not mark.
template <typename Pass>
void skipBom(BomFilter& filter, std::string_view data, const Pass& pass)
{
    if (!filter.decided) {
        const std::size_t take = std::min(data.size(), BomFilter::kMark.size() - filter.front.size());
        filter.front.append(data.substr(0, take));
        data.remove_prefix(take);
        const bool partOfMark = BomFilter::kMark.substr(0, filter.front.size()) == filter.front;
        if (partOfMark && filter.front.size() < BomFilter::kMark.size())
            return;
        filter.decided = true;
        if (!partOfMark)
            pass(std::string_view(filter.front));
    }
    if (!data.empty())
        pass(data);
}

// At the end of the body: a body shorter than a mark is passed on as it came.
template <typename Pass>
void endBom(BomFilter& filter, const Pass& pass)
{
    if (!filter.decided && !filter.front.empty())
        pass(std::string_view(filter.front));
    filter.decided = true;
}

// ---- one download's steps ----

// How a download ended, as far as the next request cares.
enum class Outcome { Done, Refused, Abandoned };

// A version-4 body (UTF-8) rewritten, converted and told about.
void takeV4Answer(ResponseKind kind, const char* name, const std::string& body, const std::string& excerpt)
{
    std::string& text = responseText[kind];
    const V4Rewrite rewrite = normaliseV4(kind, body);
    if (!rewrite.ok) {
        console_print("%s: the answer is not JSON: \"%s\"\n", name, printable(excerpt, kExcerptCap).c_str());
        return;
    }
    text = utf8ToCp932(rewrite.text);
    if (rewrite.objects >= kV4AnswerObjectCap)
        tellAnswerAtCap(name);
    if (kind == ResponseKind::Trains && rewrite.objects == 0 && !noPositionsTold) {
        noPositionsTold = true;
        console_print(
            "列車位置: 事業者はリアルタイムの列車位置を公開していないため、時刻表から推定した位置を表示します"
            "（故障ではありません）。\n");
    }
}

// One download from its request to its end: where its body goes and what
// of it the failure lines quote.
struct Download {
    ResponseKind kind;
    std::string* timetable;     // Timetable: where its answer goes, kept as it came (UTF-8)
    std::string timetableText;  // the text a timetable download fills instead of a kind's
    std::string& text;
    const char* name;
    bool v4;
    Cp932Stream stream;
    // The first body bytes: kExcerptCap shown, and room for a key that starts
    // there in its longest echo, \u00XX escapes with a control byte between.
    std::size_t excerptRoom = kExcerptCap + 8 * consumerKey().size();
    std::string excerpt;
    char firstByte = '\0';  // first non-blank body byte, '\0' while none seen
    std::size_t received = 0;
    bool cut = false;
    std::string body;  // version 4: the whole body as received
    BomFilter bom;

    // timetableBody: where a Timetable answer goes; nullptr for the other kinds.
    Download(ResponseKind k, std::string* timetableBody)
        : kind(k),
          timetable(timetableBody),
          text(k == ResponseKind::Timetable ? timetableText : responseText[k]),
          name(kindNames[static_cast<int>(k)]),
          v4(k == ResponseKind::Timetable || apiVersion() == ApiVersion::V4)
    {
        text.clear();
        // The fare too goes through the stream: a character split between two
        // reads must not be converted in halves, whichever kind it arrives in.
        cp932_begin(stream);
    }
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;
};

// Counts the request against the minute's; false when refused.
bool mayStart(const Download& d)
{
    return !d.v4 || takeV4Request();
}

HttpRequest requestFor(const std::string& url)
{
    HttpRequest request;
    request.url = url;
    request.userAgent = kUserAgent;
    request.settings = apiSettings().http;
    return request;
}

// Body bytes as they are after the byte-order mark.
void consume(Download& d, std::string_view data)
{
    if (d.excerpt.size() < d.excerptRoom)
        d.excerpt.append(data.substr(0, d.excerptRoom - d.excerpt.size()));
    for (std::size_t i = 0; d.firstByte == '\0' && i < data.size(); ++i)
        if (!isBlank(data[i]))
            d.firstByte = data[i];
    const std::size_t take = std::min(data.size(), kResponseByteCap - d.received);
    // version 4 is rewritten as a whole, from UTF-8, once it is complete
    if (d.v4)
        d.body.append(data.substr(0, take));
    else
        cp932_feed(d.stream, data.substr(0, take), d.text);
    d.received += take;
    d.cut = d.cut || take < data.size();
}

// Body bytes as they arrive; false once the body is cut off.
bool receive(Download& d, const char* data, std::size_t size)
{
    skipBom(d.bom, std::string_view(data, size), [&d](std::string_view part) { consume(d, part); });
    return !d.cut;
}

// What an ended download's answer is good for.
enum class Verdict { Usable, Cut, Refused, Failed };

// Judges a download that was not abandoned; every verdict but Usable is told
// in one console line.
Verdict judge(const Download& d, const HttpResult& result)
{
    const char* name = d.name;
    if (!result.completed && !d.cut) {
        console_print("%s: download failed: %s\n", name,
                      printable(result.error, result.error.size()).c_str());
        return Verdict::Failed;
    }
    if (d.v4 && (result.status == 429 || result.status == 503)) {
        console_print(result.status == 429 ? "%s: 利用回数の上限に達しています (HTTP %ld)。%s\n"
                                           : "%s: サーバーが混み合っています (HTTP %ld)。%s\n",
                      name, result.status, kRetryNextRefresh);
        return Verdict::Refused;
    }
    if (result.status < 200 || result.status > 299) {
        console_print("%s: HTTP %ld: %s\n", name, result.status, printable(d.excerpt, kExcerptCap).c_str());
        return Verdict::Failed;
    }
    if (d.firstByte != '[' && d.firstByte != '{') {
        console_print("%s: the answer is not JSON: \"%s\"\n", name,
                      printable(d.excerpt, kExcerptCap).c_str());
        return Verdict::Failed;
    }
    if (d.cut) {
        console_print("%s: the answer is longer than %zu bytes and was cut off there\n", name,
                      kResponseByteCap);
        return Verdict::Cut;
    }
    return Verdict::Usable;
}

// A usable answer to where it goes: a timetable to its caller as it came, a
// version-4 answer rewritten, a version-2 one to the end of its conversion.
void keepAnswer(Download& d)
{
    if (d.timetable)
        *d.timetable = std::move(d.body);
    else if (d.v4)
        takeV4Answer(d.kind, d.name, d.body, d.excerpt);
    else
        cp932_end(d.stream, d.text);
}

// Ends the download as result says: the text (or the timetable) filled, or
// emptied with one line why.
Outcome finish(Download& d, const HttpResult& result)
{
    if (result.completed)
        endBom(d.bom, [&d](std::string_view part) { consume(d, part); });
    if (result.abandoned) {
        d.text.clear();
        return Outcome::Abandoned;
    }
    switch (judge(d, result)) {
    case Verdict::Refused:
        d.text.clear();
        return Outcome::Refused;
    case Verdict::Failed:
        d.text.clear();
        break;
    case Verdict::Cut:
        // a cut version-4 answer is no JSON; the scanner of version 2 reads what came
        if (d.v4)
            d.text.clear();
        break;
    case Verdict::Usable:
        keepAnswer(d);
        break;
    }
    // Whatever of the answer is shown later (a train number on the map or in
    // the settings file, a fare) shows no key.
    if (!d.text.empty())
        d.text = maskKey(d.text, d.text.size(), consumerKey(), MaskEncoding::ShiftJis);
    return Outcome::Done;
}

// One download of url into the kind's text, emptied first.
Outcome download(ResponseKind kind, const std::string& url, const HttpAbandonFn& shouldAbandon)
{
    Download d(kind, nullptr);
    if (!mayStart(d)) {
        tellRefused(d.name);
        return Outcome::Refused;
    }
    const HttpResult result = http_get(
        requestFor(url), [&d](const char* data, std::size_t size) { return receive(d, data, size); },
        shouldAbandon);
    return finish(d, result);
}

}  // namespace

// ---- the downloads of each kind ----

void configureFetch(const ApiSettings& settings)
{
    useApiSettings(settings);
    forgetV4Requests();
    noPositionsTold = false;
}

bool fetchLive(const HttpAbandonFn& shouldAbandon)
{
    responseText[ResponseKind::Status].clear();
    const Outcome trains = download(ResponseKind::Trains, liveUrl(ResponseKind::Trains), shouldAbandon);
    if (trains != Outcome::Done)
        return trains == Outcome::Refused;
    return download(ResponseKind::Status, liveUrl(ResponseKind::Status), shouldAbandon) != Outcome::Abandoned;
}

bool fetchFare(const std::string& url, const HttpAbandonFn& shouldAbandon)
{
    return download(ResponseKind::Fare, url, shouldAbandon) != Outcome::Abandoned;
}

bool fetchTimetables(const std::vector<std::string>& railways, const std::string& calendar,
                     const TimetableArrivalFn& arrived, const HttpAbandonFn& shouldAbandon)
{
    std::vector<std::string> bodies(railways.size());
    std::vector<std::unique_ptr<Download>> downloads;
    std::vector<HttpTransfer> transfers;
    bool abandoned = false;
    bool refused = false;  // told once for all the railways refused
    for (std::size_t r = 0; r < railways.size(); ++r) {
        downloads.push_back(std::make_unique<Download>(ResponseKind::Timetable, &bodies[r]));
        Download* d = downloads.back().get();
        if (!mayStart(*d)) {
            if (!refused)
                tellRefused(d->name);
            refused = true;
            arrived(r, nullptr);
            continue;
        }
        transfers.push_back({requestFor(timetableUrl(railways[r], calendar)),
                             [d](const char* data, std::size_t size) { return receive(*d, data, size); },
                             [d, r, &bodies, &arrived, &abandoned](const HttpResult& result) {
                                 abandoned = finish(*d, result) == Outcome::Abandoned || abandoned;
                                 if (abandoned)
                                     return;
                                 // the body and what was held to read it go as soon as it is read
                                 std::string().swap(d->body);
                                 arrived(r, bodies[r].empty() ? nullptr : &bodies[r]);
                                 std::string().swap(bodies[r]);
                             }});
    }
    http_get_all(transfers, kTimetablesAtOnce, shouldAbandon);
    return !abandoned;
}
