// HTTP(S) GET on libcurl. One easy handle per request; nothing is cached or
// stored on disk.

#include "platform/http.h"

#include <curl/curl.h>
#include <strings.h>

#include <mutex>

namespace {

struct Transfer {
    const HttpChunkFn* onChunk;
};

// curl's write callback: hands the bytes over; a short count stops curl.
std::size_t receive(char* data, std::size_t size, std::size_t count, void* user) {
    const std::size_t bytes = size * count;
    const Transfer* transfer = static_cast<const Transfer*>(user);
    try {
        return (*transfer->onChunk)(data, bytes) ? bytes : 0;
    } catch (...) {
        // No exception may cross curl's C frames.
        return 0;
    }
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HttpResult http_get(const HttpRequest& request, const HttpChunkFn& onChunk) {
    initialiseOnce();
    HttpResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        result.error = "cannot create a transfer";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};  // curl writes at most CURL_ERROR_SIZE bytes
    Transfer transfer{&onChunk};
    // A proxy or cache between us and the API must not answer from storage.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.settings.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.settings.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never leaves https for plain http: the query carries the
    // consumer key, and a redirect keeps it more often than not.
    const bool secure = strncasecmp(request.url.c_str(), "https://", 8) == 0;
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request.settings.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.settings.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    result.completed = code == CURLE_OK;
    if (!result.completed) result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);

    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}
