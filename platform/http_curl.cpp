// HTTP(S) GET on libcurl. One easy handle per request, driven through a multi
// handle so the abandon hook is asked often; nothing is cached or stored on disk.

#include "platform/http.h"

#include <curl/curl.h>
#include <strings.h>

#include <mutex>

namespace {

struct Transfer {
    const HttpChunkFn* onChunk;
    const HttpAbandonFn* shouldAbandon;
    bool abandoned;
};

// curl's write callback: hands the bytes over; a short count stops curl.
std::size_t receive(char* data, std::size_t size, std::size_t count, void* user)
{
    const std::size_t bytes = size * count;
    const Transfer* transfer = static_cast<const Transfer*>(user);
    try {
        return (*transfer->onChunk)(data, bytes) ? bytes : 0;
    } catch (...) {
        // No exception may cross curl's C frames.
        return 0;
    }
}

// curl's progress callback: asks the abandon hook; non-zero ends the transfer.
int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    Transfer* transfer = static_cast<Transfer*>(user);
    try {
        transfer->abandoned = *transfer->shouldAbandon && (*transfer->shouldAbandon)();
    } catch (...) {
        transfer->abandoned = true;
    }
    return transfer->abandoned ? 1 : 0;
}

// Runs the transfer to its end. curl_easy_perform would let a silent server
// hold the progress callback off for a second at a time; waiting at most
// httpAbandonCheckMs per round keeps the abandon hook answering within that.
// A failure of the multi interface itself is returned in *multiFailure.
CURLcode runTransfer(CURL* curl, const char** multiFailure)
{
    CURLM* multi = curl_multi_init();
    if (multi == nullptr) {
        *multiFailure = "cannot create a transfer";
        return CURLE_FAILED_INIT;
    }
    CURLMcode state = curl_multi_add_handle(multi, curl);
    int running = 1;
    while (state == CURLM_OK) {
        state = curl_multi_perform(multi, &running);
        if (state != CURLM_OK || running == 0)
            break;
        state = curl_multi_poll(multi, nullptr, 0, httpAbandonCheckMs, nullptr);
    }
    CURLcode code = CURLE_FAILED_INIT;
    if (state != CURLM_OK)
        *multiFailure = curl_multi_strerror(state);
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &queued))
        if (message->msg == CURLMSG_DONE)
            code = message->data.result;
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return code;
}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HttpResult http_get(const HttpRequest& request, const HttpChunkFn& onChunk,
                    const HttpAbandonFn& shouldAbandon)
{
    initialiseOnce();
    HttpResult result;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        result.error = "cannot create a transfer";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};  // curl writes at most CURL_ERROR_SIZE bytes
    Transfer transfer{&onChunk, &shouldAbandon, false};
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
    if (!request.settings.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, request.settings.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const char* multiFailure = nullptr;
    const CURLcode code = runTransfer(curl, &multiFailure);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    result.completed = code == CURLE_OK;
    result.abandoned = transfer.abandoned;
    if (multiFailure != nullptr)
        result.error = multiFailure;
    else if (!result.completed)
        result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);

    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}
