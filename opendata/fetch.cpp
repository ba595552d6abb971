// Downloads of the live datapoints and of one fare into the response texts.

#include "opendata/fetch.h"

#include <algorithm>

#include "platform/charset.h"
#include "platform/console.h"
#include "platform/http.h"

ResponseTexts responseText;

namespace {

ApiSettings api;
constexpr char userAgent[] = "DefaultApplication01";
constexpr std::size_t excerptCap = 80;  // body bytes quoted in a failure line

// The query and the name used in failure lines, per kind.
struct KindInfo {
    const char* query;  // "rdf:type=..." of a live kind; the fare URL comes whole
    const char* name;
};
constexpr KindInfo kindInfo[3] = {
    {"rdf:type=odpt:Train", "odpt:Train"},
    {"rdf:type=odpt:TrainInformation", "odpt:TrainInformation"},
    {nullptr, "odpt:RailwayFare"},
};

// Turns the first `limit` bytes of body or error bytes (UTF-8) into one
// printable Shift_JIS line fragment: line breaks and tabs made blanks, a
// character cut at the end dropped, and every key that starts within them
// masked whole, so text must hold limit + key length bytes when it has them.
std::string printable(const std::string& text, std::size_t limit) {
    const std::string key = consumerKey();
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < limit;) {
        if (text.compare(i, key.size(), key) == 0) {
            shown += "***";
            i += key.size();
            continue;
        }
        const char c = text[i++];
        shown += c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
    }
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    Cp932Stream stream;
    cp932_begin(stream);
    std::string out;
    cp932_feed(stream, shown, out);
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One download of url into the kind's text, emptied first.
void download(ResponseKind kind, const std::string& url) {
    std::string& text = responseText[kind];
    text.clear();
    const char* name = kindInfo[static_cast<int>(kind)].name;

    // The fare too goes through the stream: a character split between two
    // reads must not be converted in halves, whichever kind it arrives in.
    Cp932Stream stream;
    cp932_begin(stream);
    // The first body bytes: excerptCap shown, and room for a key that starts there.
    const std::size_t excerptRoom = excerptCap + consumerKey().size();
    std::string excerpt;
    char firstByte = '\0';   // first non-blank body byte, '\0' while none seen
    std::size_t received = 0;
    bool cut = false;

    HttpRequest request;
    request.url = url;
    request.userAgent = userAgent;
    request.settings = api.http;

    const HttpResult result = http_get(request, [&](const char* data, std::size_t size) {
        if (excerpt.size() < excerptRoom) excerpt.append(data, std::min(size, excerptRoom - excerpt.size()));
        for (std::size_t i = 0; firstByte == '\0' && i < size; ++i)
            if (!isBlank(data[i])) firstByte = data[i];
        const std::size_t take = std::min(size, responseByteCap - received);
        cp932_feed(stream, std::string_view(data, take), text);
        received += take;
        cut = take < size;
        return !cut;
    });

    if (!result.completed && !cut) {
        text.clear();
        console_print("%s: download failed: %s\n", name,
                      printable(result.error, result.error.size()).c_str());
    } else if (result.status < 200 || result.status > 299) {
        text.clear();
        console_print("%s: HTTP %ld: %s\n", name, result.status, printable(excerpt, excerptCap).c_str());
    } else if (firstByte != '[' && firstByte != '{') {
        text.clear();
        console_print("%s: the answer is not JSON: \"%s\"\n", name, printable(excerpt, excerptCap).c_str());
    } else if (cut) {
        console_print("%s: the answer is longer than %zu bytes and was cut off there\n", name,
                      responseByteCap);
    } else {
        cp932_end(stream, text);
    }
}

}  // namespace

void configureFetch(const ApiSettings& settings) {
    api = settings;
}

std::string datapointsBase() {
    std::string root = api.root;
    while (!root.empty() && root.back() == '/') root.pop_back();
    return root + "/api/v2/datapoints?";
}

std::string consumerKey() {
    return api.consumerKey;
}

std::string liveUrl(ResponseKind kind) {
    return datapointsBase() + kindInfo[static_cast<int>(kind)].query + "&acl:consumerKey=" +
           consumerKey();
}

void fetchLive() {
    download(ResponseKind::Trains, liveUrl(ResponseKind::Trains));
    download(ResponseKind::Status, liveUrl(ResponseKind::Status));
}

void fetchFare(const std::string& url) {
    download(ResponseKind::Fare, url);
}
