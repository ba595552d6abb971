// HTTP(S) GET on WinHTTP in asynchronous mode: every network step completes
// in a callback while the caller waits with the time left, so a silent
// server costs at most the deadlines (synchronous WinHTTP waits on its own
// timers, which cover single steps only). Redirects are followed here, not
// by WinHTTP, so none leaves https for http.
//
// Sections: certificates · one exchange · one hop · the GET
#include "platform/http.h"

#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxRedirects = 5;

std::wstring widen(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

std::string narrow(const std::wstring& wide)
{
    std::string text(wide.size() * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

std::string errorText(DWORD code)
{
    switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
        return "the server did not answer in time";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "the host name was not found";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "cannot connect to the server";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "the connection was reset or closed";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
        return "the server's TLS certificate is not trusted";
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        return "the server's TLS certificate names another host";
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        return "the server's TLS certificate has expired or is not valid yet";
    // Wine reports every failed certificate check this way.
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return "no TLS connection could be set up (is the server's certificate trusted and for this host "
               "name?)";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "the server's answer is not HTTP";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        return "only http and https URLs are supported";
    case ERROR_WINHTTP_INVALID_URL:
        return "the URL is not valid";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "WinHTTP error %lu", static_cast<unsigned long>(code));
        return text;
    }
    }
}

// ---- certificates ----

// Extra trusted certificates from a PEM file, in a store of their own.
struct TrustedCertificates {
    HCERTSTORE store = nullptr;
    ~TrustedCertificates()
    {
        if (store)
            CertCloseStore(store, 0);
    }
};

// Loads every "BEGIN CERTIFICATE" block of path; false with the reason when
// the file cannot be read or holds no certificate that parses.
bool loadTrusted(const std::string& path, TrustedCertificates& trusted, std::string& why)
{
    std::ifstream file(widen(path).c_str(), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    if (!file) {
        why = "cannot read the certificate file " + path;
        return false;
    }
    trusted.store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    if (!trusted.store) {
        why = "cannot make a certificate store";
        return false;
    }
    const std::string pem = content.str();
    const std::string begin = "-----BEGIN CERTIFICATE-----";
    const std::string end = "-----END CERTIFICATE-----";
    int added = 0;
    for (std::size_t at = pem.find(begin); at != std::string::npos; at = pem.find(begin, at + 1)) {
        const std::size_t stop = pem.find(end, at);
        if (stop == std::string::npos)
            break;
        const std::string block = pem.substr(at, stop + end.size() - at);
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &size, nullptr, nullptr))
            continue;
        std::string der(size, '\0');
        if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                 reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr) &&
            CertAddEncodedCertificateToStore(trusted.store, X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()), size,
                                             CERT_STORE_ADD_ALWAYS, nullptr))
            ++added;
    }
    if (added == 0) {
        why = "no certificate could be read from " + path;
        return false;
    }
    return true;
}

// Whether the certificate's chain ends at a root the system trusts or at one
// of the extra certificates. Host name and dates are WinHTTP's own checks,
// which stay on.
bool chainTrusted(PCCERT_CONTEXT certificate, HCERTSTORE extra)
{
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, extra, &para, 0, nullptr, &chain))
        return false;
    const DWORD ignorable = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    const DWORD status = chain->TrustStatus.dwErrorStatus & ~ignorable;
    bool trusted = status == CERT_TRUST_NO_ERROR;
    if (!trusted && status == CERT_TRUST_IS_UNTRUSTED_ROOT && chain->cChain > 0) {
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        const CERT_CHAIN_ELEMENT* root = simple->rgpElement[simple->cElement - 1];
        PCCERT_CONTEXT found = CertFindCertificateInStore(extra, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                                          root->pCertContext, nullptr);
        trusted = found != nullptr;
        if (found)
            CertFreeCertificateContext(found);
    }
    CertFreeCertificateChain(chain);
    return trusted;
}

// ---- one exchange ----

// What the callback and the waiting caller share for one request handle.
// The callback deletes it when WinHTTP reports the handle closing, the last
// notice it gets, so a late completion after a deadline never meets freed memory.
struct Exchange {
    std::mutex lock;
    HANDLE completed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DWORD status = 0;                 // last completion of interest
    DWORD bytesRead = 0;              // of READ_COMPLETE
    DWORD error = 0;                  // of REQUEST_ERROR
    bool connected = false;           // connection and TLS are up (the request is about to go out)
    HCERTSTORE extraTrust = nullptr;  // checked before the request leaves; null: WinHTTP's own check
    bool untrusted = false;
    char buffer[64 * 1024];  // body bytes; a read cut short by a deadline may still land here

    ~Exchange()
    {
        CloseHandle(completed);
        if (extraTrust)
            CertCloseStore(extraTrust, 0);
    }
};

void CALLBACK onStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length)
{
    auto* ex = reinterpret_cast<Exchange*>(context);
    if (ex == nullptr)
        return;
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        delete ex;
        return;
    }
    if (status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST) {
        // The last moment before the URL, with its key, goes to the server.
        bool trusted = true;
        if (ex->extraTrust) {
            PCCERT_CONTEXT certificate = nullptr;
            DWORD size = sizeof certificate;
            trusted = WinHttpQueryOption(handle, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) &&
                      certificate && chainTrusted(certificate, ex->extraTrust);
            if (certificate)
                CertFreeCertificateContext(certificate);
        }
        std::lock_guard<std::mutex> g(ex->lock);
        ex->connected = true;
        if (!trusted) {
            ex->untrusted = true;
            ex->status = WINHTTP_CALLBACK_STATUS_REQUEST_ERROR;
            ex->error = ERROR_WINHTTP_SECURE_FAILURE;
            SetEvent(ex->completed);
        }
        return;
    }
    std::lock_guard<std::mutex> g(ex->lock);
    if (ex->untrusted)
        return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        ex->bytesRead = length;
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        ex->error = static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError;
        break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        break;
    default:
        return;
    }
    ex->status = status;
    SetEvent(ex->completed);
}

// The request's deadlines: connection set-up and the whole transfer; and
// the caller's abandon hook, asked while they run.
struct Deadlines {
    Clock::time_point connect;
    Clock::time_point total;
    const HttpAbandonFn* shouldAbandon;
};

enum class Wait { Done, Failed, TimedOut, Abandoned };

bool abandoned(const Deadlines& deadlines)
{
    try {
        return *deadlines.shouldAbandon && (*deadlines.shouldAbandon)();
    } catch (...) {
        return true;
    }
}

// Waits for the completion `wanted`, in slices of kHttpAbandonCheckMs with the
// abandon hook asked before each; the connect deadline counts until the
// connection is up.
Wait waitFor(Exchange& ex, DWORD wanted, const Deadlines& deadlines, DWORD& error)
{
    for (;;) {
        if (abandoned(deadlines))
            return Wait::Abandoned;
        bool connected;
        {
            std::lock_guard<std::mutex> g(ex.lock);
            connected = ex.connected;
        }
        const Clock::time_point until =
            connected ? deadlines.total : std::min(deadlines.connect, deadlines.total);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        const auto slice = std::clamp<long long>(left, 0, kHttpAbandonCheckMs);
        const DWORD result = WaitForSingleObject(ex.completed, static_cast<DWORD>(slice));
        if (result == WAIT_TIMEOUT && left > kHttpAbandonCheckMs)
            continue;
        std::lock_guard<std::mutex> g(ex.lock);
        if (result == WAIT_OBJECT_0) {
            if (ex.status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
                error = ex.error;
                return Wait::Failed;
            }
            if (ex.status == wanted)
                return Wait::Done;
            continue;
        }
        // The connection may have come up just as the connect deadline passed.
        if (!connected && ex.connected && Clock::now() < deadlines.total)
            continue;
        error = ERROR_WINHTTP_TIMEOUT;
        return Wait::TimedOut;
    }
}

// ---- one hop ----

struct Target {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // path and query
};

bool crack(const std::string& url, Target& target)
{
    const std::wstring wide = widen(url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts))
        return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty())
        target.path = L"/";
    return !target.host.empty();
}

// The URL a Location header leads to from base: absolute, scheme-relative,
// host-relative or relative to base's directory.
std::string resolve(const std::string& base, const std::string& location)
{
    if (location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0)
        return location;
    const std::size_t schemeEnd = base.find("://");
    if (location.rfind("//", 0) == 0)
        return base.substr(0, schemeEnd + 1) + location;
    const std::size_t pathStart = base.find('/', schemeEnd + 3);
    const std::string origin = base.substr(0, pathStart);
    if (location.rfind('/', 0) == 0)
        return origin + location;
    const std::string path = pathStart == std::string::npos ? "/" : base.substr(pathStart);
    return origin + path.substr(0, path.find_last_of('/', path.find('?')) + 1) + location;
}

struct Handle {
    HINTERNET h = nullptr;
    ~Handle()
    {
        if (h)
            WinHttpCloseHandle(h);
    }
};

struct Hop {
    long status = 0;
    std::string location;  // for a redirect
};

// Sends the request and waits for the answer's headers.
bool requestHeaders(HINTERNET request, Exchange& ex, const Deadlines& deadlines, Hop& hop, HttpResult& result)
{
    static const wchar_t headers[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    DWORD error = 0;
    Wait wait = Wait::Failed;
    if (!WinHttpSendRequest(request, headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0,
                            reinterpret_cast<DWORD_PTR>(&ex)))
        error = GetLastError();
    else if ((wait = waitFor(ex, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, deadlines, error)) ==
                 Wait::Done &&
             !WinHttpReceiveResponse(request, nullptr))
        error = GetLastError();
    else if (wait == Wait::Done)
        wait = waitFor(ex, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE, deadlines, error);
    if (wait == Wait::Abandoned) {
        result.abandoned = true;
        result.error = "the transfer was abandoned";
        return false;
    }
    if (wait != Wait::Done || error != 0) {
        result.error = errorText(error != 0 ? error : GetLastError());
        return false;
    }
    DWORD code = 0;
    DWORD size = sizeof code;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX);
    hop.status = static_cast<long>(code);
    wchar_t location[2048];  // capacity in characters; a longer Location is not followed
    size = sizeof location;
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location, &size,
                            WINHTTP_NO_HEADER_INDEX))
        hop.location = narrow(std::wstring(location, size / sizeof(wchar_t)));
    return true;
}

// Reads the body into onChunk until its end; false on an error, a deadline or
// when onChunk asks to stop.
bool readBody(HINTERNET request, Exchange& ex, const Deadlines& deadlines, const HttpChunkFn& onChunk,
              HttpResult& result)
{
    for (;;) {
        DWORD error = 0;
        if (!WinHttpReadData(request, ex.buffer, sizeof ex.buffer, nullptr)) {
            result.error = errorText(GetLastError());
            return false;
        }
        const Wait wait = waitFor(ex, WINHTTP_CALLBACK_STATUS_READ_COMPLETE, deadlines, error);
        if (wait == Wait::Abandoned) {
            result.abandoned = true;
            result.error = "the transfer was abandoned";
            return false;
        }
        if (wait != Wait::Done) {
            result.error = errorText(error);
            return false;
        }
        DWORD got;
        {
            std::lock_guard<std::mutex> g(ex.lock);
            got = ex.bytesRead;
        }
        if (got == 0)
            return true;
        if (!onChunk(ex.buffer, got)) {
            result.error = "the receiver stopped the transfer";
            return false;
        }
    }
}

bool isRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

// ---- the GET ----

HttpResult http_get(const HttpRequest& request, const HttpChunkFn& onChunk,
                    const HttpAbandonFn& shouldAbandon)
{
    HttpResult result;
    const Clock::time_point start = Clock::now();
    const Deadlines deadlines = {start + std::chrono::milliseconds(request.settings.connectTimeoutMs),
                                 start + std::chrono::milliseconds(request.settings.totalTimeoutMs),
                                 &shouldAbandon};
    TrustedCertificates trusted;
    if (!request.settings.caFile.empty() && !loadTrusted(request.settings.caFile, trusted, result.error))
        return result;

    Handle session;
    session.h = WinHttpOpen(widen(request.userAgent).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!session.h) {
        result.error = errorText(GetLastError());
        return result;
    }
    WinHttpSetStatusCallback(session.h, onStatus,
                             WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES |
                                 WINHTTP_CALLBACK_FLAG_SEND_REQUEST,
                             0);
    // TLS 1.2 and 1.3 only; older systems, which know no 1.3, are asked for 1.2.
    // (Windows 7's WinHTTP speaks 1.2 only once this is asked for.)
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (!WinHttpSetOption(session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
        protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        WinHttpSetOption(session.h, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    }
    // WinHTTP's own timers as a second line behind the deadlines.
    const int connectMs = static_cast<int>(request.settings.connectTimeoutMs);
    const int totalMs = static_cast<int>(request.settings.totalTimeoutMs);
    WinHttpSetTimeouts(session.h, connectMs, connectMs, totalMs, totalMs);

    std::string url = request.url;
    bool startedSecure = false;
    for (int hopCount = 0;; ++hopCount) {
        Target target;
        if (!crack(url, target)) {
            result.error = "not an http or https URL: " + url;
            return result;
        }
        if (hopCount == 0)
            startedSecure = target.secure;
        else if (startedSecure && !target.secure) {
            result.error = "a redirect from https to http was refused";
            return result;
        }
        Handle connection;
        connection.h = WinHttpConnect(session.h, target.host.c_str(), target.port, 0);
        Handle req;
        if (connection.h)
            req.h = WinHttpOpenRequest(connection.h, L"GET", target.path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES,
                                       WINHTTP_FLAG_REFRESH | (target.secure ? WINHTTP_FLAG_SECURE : 0));
        if (!req.h) {
            result.error = errorText(GetLastError());
            return result;
        }
        auto* ex = new Exchange;  // deleted by the callback when req closes
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(ex);
        WinHttpSetOption(req.h, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(req.h, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
        if (trusted.store) {
            ex->extraTrust = CertDuplicateStore(trusted.store);
            DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
            WinHttpSetOption(req.h, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
        }

        Hop hop;
        if (!requestHeaders(req.h, *ex, deadlines, hop, result))
            return result;
        result.status = hop.status;
        if (isRedirect(hop.status) && !hop.location.empty()) {
            if (hopCount == kMaxRedirects) {
                result.error = "more than 5 redirects";
                return result;
            }
            url = resolve(url, hop.location);
            continue;
        }
        result.completed = readBody(req.h, *ex, deadlines, onChunk, result);
        return result;
    }
}

// One after another, whatever atOnce allows: each request here waits on its
// own completions, so a batch takes the sum of its requests' times. After
// an abandoned one the rest end abandoned without being started.
void http_get_all(const std::vector<HttpTransfer>& transfers, int, const HttpAbandonFn& shouldAbandon)
{
    bool abandon = false;
    for (const HttpTransfer& transfer : transfers) {
        HttpResult result;
        if (abandon) {
            result.abandoned = true;
            result.error = "the transfer was abandoned";
        } else {
            result = http_get(transfer.request, transfer.onChunk, shouldAbandon);
            abandon = result.abandoned;
        }
        if (transfer.onDone)
            transfer.onDone(result);
    }
}
