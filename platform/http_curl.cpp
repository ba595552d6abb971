// HTTP(S) GET on libcurl. One easy handle per request, all of a batch driven
// through one multi handle on a download thread, so the abandon hook is
// asked often, several answers arrive at once and none waits while another
// is read; nothing is cached or stored on disk.

#include "platform/http.h"

#include <curl/curl.h>
#include <strings.h>

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace {

// One easy handle of a batch and what its callbacks and its end need.
struct Transfer {
    const HttpTransfer* job = nullptr;
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};  // curl writes at most CURL_ERROR_SIZE bytes
    bool added = false;                    // in the multi handle
    bool ended = false;                    // onDone was called

    ~Transfer()
    {
        curl_slist_free_all(headers);
        if (curl)
            curl_easy_cleanup(curl);
    }
};

// curl's write callback: hands the bytes over; a short count stops curl.
std::size_t receive(char* data, std::size_t size, std::size_t count, void* user)
{
    const std::size_t bytes = size * count;
    const Transfer* transfer = static_cast<const Transfer*>(user);
    try {
        return transfer->job->onChunk(data, bytes) ? bytes : 0;
    } catch (...) {
        // No exception may cross curl's C frames.
        return 0;
    }
}

// Sets up the easy handle of transfer; false with the reason in *error.
bool prepare(Transfer& transfer, std::string* error)
{
    const HttpRequest& request = transfer.job->request;
    CURL* curl = transfer.curl = curl_easy_init();
    if (curl == nullptr) {
        *error = "cannot create a transfer";
        return false;
    }
    // A proxy or cache between us and the API must not answer from storage.
    transfer.headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    transfer.headers = curl_slist_append(transfer.headers, "Pragma: no-cache");

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, transfer.headers);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, transfer.errorText);
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
    curl_easy_setopt(curl, CURLOPT_PRIVATE, &transfer);
    return true;
}

// Transfers that have ended, on their way from the download thread to the
// calling thread, which tells them (onDone) and asks the abandon hook.
struct Handover {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::pair<const HttpTransfer*, HttpResult>> ended;
    bool finished = false;  // every transfer of the batch has ended
};

// The multi handle of one batch; its transfers leave it before it goes.
struct Batch {
    CURLM* multi = curl_multi_init();
    std::vector<std::unique_ptr<Transfer>> transfers;
    Handover handover;
    std::atomic<bool> abandon{false};

    ~Batch()
    {
        for (const auto& t : transfers)
            if (t->added)
                curl_multi_remove_handle(multi, t->curl);
        if (multi)
            curl_multi_cleanup(multi);
    }
};

// Takes transfer out of the batch and hands its end over.
void end(Batch& batch, Transfer& transfer, HttpResult result)
{
    if (transfer.added)
        curl_multi_remove_handle(batch.multi, transfer.curl);
    transfer.added = false;
    transfer.ended = true;
    std::lock_guard<std::mutex> held(batch.handover.lock);
    batch.handover.ended.emplace_back(transfer.job, std::move(result));
    batch.handover.changed.notify_one();
}

// The result of a transfer curl has finished with code.
HttpResult finished(Transfer& transfer, CURLcode code)
{
    HttpResult result;
    curl_easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &result.status);
    result.completed = code == CURLE_OK;
    if (!result.completed)
        result.error = transfer.errorText[0] != '\0' ? transfer.errorText : curl_easy_strerror(code);
    return result;
}

// Ends every transfer still open with result, and the batch with them.
void endTheRest(Batch& batch, const HttpResult& result)
{
    for (const auto& t : batch.transfers)
        if (!t->ended)
            end(batch, *t, result);
    std::lock_guard<std::mutex> held(batch.handover.lock);
    batch.handover.finished = true;
    batch.handover.changed.notify_one();
}

bool abandoned(const HttpAbandonFn& shouldAbandon)
{
    try {
        return shouldAbandon && shouldAbandon();
    } catch (...) {
        return true;
    }
}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Drives the batch to its end, atOnce transfers at a time, until every one
// has ended or batch.abandon is set.
void run(Batch& batch, int atOnce)
{
    std::size_t next = 0;  // the first transfer not started yet
    int running = 0;
    // Starts transfers until atOnce run; one that cannot start ends at once.
    const auto startMore = [&] {
        for (; next < batch.transfers.size() && running < std::max(atOnce, 1); ++next) {
            Transfer& t = *batch.transfers[next];
            HttpResult failure;
            if (!prepare(t, &failure.error) || curl_multi_add_handle(batch.multi, t.curl) != CURLM_OK) {
                if (failure.error.empty())
                    failure.error = "cannot start a transfer";
                end(batch, t, failure);
                continue;
            }
            t.added = true;
            ++running;
        }
    };
    startMore();
    // curl_easy_perform would let a silent server hold its progress callback
    // off for a second at a time; waiting at most kHttpAbandonCheckMs per
    // round (and woken when abandoned) keeps an abandon within that.
    CURLMcode state = CURLM_OK;
    while (running > 0) {
        if (batch.abandon) {
            HttpResult result;
            result.abandoned = true;
            result.error = "the transfer was abandoned";
            return endTheRest(batch, result);
        }
        int active = 0;
        state = curl_multi_perform(batch.multi, &active);
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(batch.multi, &queued)) {
            Transfer* t = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &t);
            if (message->msg == CURLMSG_DONE && t && !t->ended) {
                const CURLcode code = message->data.result;
                end(batch, *t, finished(*t, code));
                --running;
            }
        }
        if (state != CURLM_OK)
            break;
        startMore();
        if (running > 0)
            state = curl_multi_poll(batch.multi, nullptr, 0, kHttpAbandonCheckMs, nullptr);
        if (state != CURLM_OK)
            break;
    }
    HttpResult failure;
    failure.error = state != CURLM_OK ? curl_multi_strerror(state) : "the transfer ended without a result";
    endTheRest(batch, failure);
}

// The download thread, started with every signal blocked but those a fault
// of its own raises, so the program's handlers (the terminal's among them)
// run on the thread that set them up, and still run when this one crashes.
std::thread startDownloads(Batch& batch, int atOnce)
{
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT})
        sigdelset(&all, fault);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    try {
        std::thread downloads(run, std::ref(batch), atOnce);
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return downloads;
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        throw;
    }
}

// Stops and joins the download thread however the calling thread leaves,
// an onDone that throws included.
struct Joined {
    Batch& batch;
    std::thread downloads;
    ~Joined()
    {
        batch.abandon = true;
        curl_multi_wakeup(batch.multi);
        downloads.join();
    }
};

// Tells every job that it failed for reason, none having started.
void failAll(const std::vector<HttpTransfer>& jobs, const char* reason)
{
    HttpResult failure;
    failure.error = reason;
    for (const HttpTransfer& job : jobs)
        if (job.onDone)
            job.onDone(failure);
}

}  // namespace

// The transfers run on a thread of their own, so that while an onDone reads
// and draws an answer the others go on arriving (a server may give up on a
// request that stands still for a few seconds).
void http_get_all(const std::vector<HttpTransfer>& jobs, int atOnce, const HttpAbandonFn& shouldAbandon)
{
    initialiseOnce();
    Batch batch;
    if (batch.multi == nullptr)
        return failAll(jobs, "cannot create a transfer");
    for (const HttpTransfer& job : jobs) {
        batch.transfers.push_back(std::make_unique<Transfer>());
        batch.transfers.back()->job = &job;
    }
    std::thread downloads;
    try {
        downloads = startDownloads(batch, atOnce);
    } catch (const std::system_error&) {
        return failAll(jobs, "cannot start a download thread");
    }
    Joined joined{batch, std::move(downloads)};
    Handover& handover = batch.handover;
    HttpResult abandon;
    abandon.abandoned = true;
    abandon.error = "the transfer was abandoned";
    // One end told at a time, the hook asked before each: ends that came in
    // while an onDone ran are not told once the hook has said to give up.
    for (bool last = false; !last;) {
        if (!batch.abandon && abandoned(shouldAbandon)) {
            batch.abandon = true;
            curl_multi_wakeup(batch.multi);
        }
        std::optional<std::pair<const HttpTransfer*, HttpResult>> ended;
        {
            std::unique_lock<std::mutex> held(handover.lock);
            handover.changed.wait_for(held, std::chrono::milliseconds(kHttpAbandonCheckMs),
                                      [&] { return !handover.ended.empty() || handover.finished; });
            if (!handover.ended.empty()) {
                ended = std::move(handover.ended.front());
                handover.ended.pop_front();
            }
            last = handover.finished && handover.ended.empty();
        }
        if (ended && ended->first->onDone)
            ended->first->onDone(batch.abandon ? abandon : ended->second);
    }
}

HttpResult http_get(const HttpRequest& request, const HttpChunkFn& onChunk,
                    const HttpAbandonFn& shouldAbandon)
{
    HttpResult result;
    const std::vector<HttpTransfer> one = {
        {request, onChunk, [&result](const HttpResult& r) { result = r; }}};
    http_get_all(one, 1, shouldAbandon);
    return result;
}
