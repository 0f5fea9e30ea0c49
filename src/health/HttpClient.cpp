#include "health/HttpClient.h"

#include "health/InternetErrors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <exception>
#include <memory>
#include <mutex>
#include <new>

#include <curl/curl.h>

namespace vx::health {

std::string DefaultUserAgent = "qelWinAPIWinINet";

namespace {

constexpr int DefaultHttpPort = 80;
constexpr long StatusNotFound = 404;
constexpr const char* const SchemeSeparator = "://";
constexpr const char* const TraceStatus = "+ HttpQueryInfo status=";
// How often a request that can be cancelled looks whether it is.
constexpr int CancelPollMs = 50;

CURL* Handle(void* session) {
    return static_cast<CURL*>(session);
}

// Decimal integer as Delphi's StrToIntDef reads it: optional sign, digits, 32-bit range.
bool ParseInt32(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') {
            return false;
        }
    }
    int parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || first == last) {
        return false;
    }
    value = parsed;
    return true;
}

bool IsLoopbackHost(const std::string& host) {
    std::string lower = host;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "localhost" || lower.rfind("127.", 0) == 0;
}

// Bytes that cannot stand in a request line are sent escaped, never raw: a path can then not
// break the request line or smuggle header lines.
std::string EscapePath(const std::string& path) {
    static const char hex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(path.size());
    if (path.empty() || path.front() != '/') {
        escaped += '/';
    }
    for (unsigned char c : path) {
        if (c <= 0x20 || c >= 0x7F) {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 0x0F];
        } else {
            escaped += static_cast<char>(c);
        }
    }
    return escaped;
}

struct TUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct TMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct THeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

// State of one transfer, shared with libcurl's callbacks. Exceptions never cross libcurl:
// they are parked here and rethrown once the transfer has ended.
struct TTransfer {
    TqxInternetHTTP& Client;
    std::string& Stream;
    bool HeadersDone = false;
    long Status = 0;
    std::exception_ptr Failure;

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user);

    bool EndOfHeaders();
    bool Append(const char* data, std::size_t length);
};

bool TTransfer::EndOfHeaders() {
    long code = 0;
    curl_easy_getinfo(Handle(Client.FSession), CURLINFO_RESPONSE_CODE, &code);
    if (code >= 100 && code < 200) {
        return true; // an interim answer; the real one follows
    }
    HeadersDone = true;
    Status = code;
    Client.Trace(TraceStatus + std::to_string(Status));
    if (Status == StatusNotFound) {
        return false; // the body of a 404 is not read
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(Handle(Client.FSession), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) ==
            CURLE_OK &&
        length > 0) {
        Client.FTotalSize = length;
    }
    return true;
}

bool TTransfer::Append(const char* data, std::size_t length) {
    const std::int64_t room = std::max<std::int64_t>(0, Client.FMaxBodySize - Client.FDownloaded);
    const std::size_t taken =
        static_cast<std::size_t>(std::min(room, static_cast<std::int64_t>(length)));
    Stream.append(data, taken);
    Client.FDownloaded += static_cast<std::int64_t>(taken);
    Client.Progress();
    return taken == length;
}

std::size_t TTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<TTransfer*>(user);
    const std::size_t length = size * count;
    const bool blankLine =
        (length == 2 && data[0] == '\r' && data[1] == '\n') || (length == 1 && data[0] == '\n');
    if (!blankLine) {
        return length;
    }
    try {
        return transfer.EndOfHeaders() ? length : 0;
    } catch (...) {
        transfer.Failure = std::current_exception();
        return 0;
    }
}

std::size_t TTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<TTransfer*>(user);
    const std::size_t length = size * count;
    try {
        // Past the size limit the body ends early, like a failed read.
        return transfer.Append(data, length) ? length : 0;
    } catch (...) {
        transfer.Failure = std::current_exception();
        return 0;
    }
}

void InitializeHttpClient() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TqxInternet::TqxInternet() : FUserAgent(DefaultUserAgent) {
    InitializeHttpClient();
    FSession = curl_easy_init();
    if (FSession == nullptr) {
        FLastError = ErrorInternetInternal;
    }
}

TqxInternet::~TqxInternet() {
    if (FSession != nullptr) {
        curl_easy_cleanup(Handle(FSession));
    }
}

void TqxInternet::SetTimeouts(std::chrono::milliseconds connect,
                              std::chrono::milliseconds request) {
    FConnectTimeout = connect;
    FRequestTimeout = request;
}

void TqxInternet::Progress() {
    if (!OnProgress) {
        return;
    }
    std::int64_t percent = 0;
    if (FTotalSize > 0) {
        percent = std::min<std::int64_t>(100, FDownloaded * 100 / FTotalSize);
    }
    OnProgress(static_cast<std::uint8_t>(percent), FDownloaded, FTotalSize);
}

void TqxInternet::Trace(const std::string& text) {
    if (OnTrace) {
        OnTrace(text);
    }
}

void SplitHostPort(const std::string& host, std::string& hostName, int& port) {
    hostName = host;
    port = DefaultHttpPort;
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        hostName = host.substr(0, colon);
        if (!ParseInt32(host.substr(colon + 1), port) || port == 0) {
            port = DefaultHttpPort; // 0 asks for the scheme's default, as WinINet reads it
        }
    }
}

bool TqxInternetHTTP::Get(const std::string& url, std::string& stream) {
    const auto separator = url.find(SchemeSeparator);
    if (separator == std::string::npos) {
        FLastError = ErrorNoScheme;
        return false;
    }
    // Whatever the scheme names, the request goes over plain HTTP.
    const std::string rest =
        url.substr(separator + std::char_traits<char>::length(SchemeSeparator));
    const auto slash = rest.find('/');
    if (slash == std::string::npos) {
        return Request(rest, "/", stream);
    }
    return Request(rest.substr(0, slash), rest.substr(slash), stream);
}

bool TqxInternetHTTP::Request(const std::string& host, const std::string& path,
                              std::string& stream) {
    FLastError = 0;
    FDownloaded = 0;
    FTotalSize = 0;

    std::string hostName;
    int port = 0;
    SplitHostPort(host, hostName, port);
    if (FSession == nullptr) {
        FLastError = ErrorInvalidHandle;
        return false;
    }
    if (port < 0 || port > 65535) {
        FLastError = ErrorInternetInvalidUrl;
        return false;
    }

    const std::string escaped = EscapePath(path);
    const auto query = escaped.find('?');
    std::unique_ptr<CURLU, TUrlDeleter> url(curl_url());
    if (!url) {
        throw std::bad_alloc();
    }
    curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0);
    if (curl_url_set(url.get(), CURLUPART_HOST, hostName.c_str(), 0) != CURLUE_OK) {
        FLastError = ErrorInternetNameNotResolved;
        return false;
    }
    const std::string portText = std::to_string(port);
    curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0);
    curl_url_set(url.get(), CURLUPART_PATH, escaped.substr(0, query).c_str(), 0);
    if (query != std::string::npos) {
        curl_url_set(url.get(), CURLUPART_QUERY, escaped.substr(query + 1).c_str(), 0);
    }

    // No extra headers of ours; the library's default Accept line is dropped too.
    std::unique_ptr<curl_slist, THeaderListDeleter> headers(curl_slist_append(nullptr, "Accept:"));
    if (!headers) {
        throw std::bad_alloc();
    }

    CURL* curl = Handle(FSession);
    TTransfer transfer{*this, stream, false, 0, nullptr};
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_CURLU, url.get());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_USERAGENT, FUserAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FConnectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(FRequestTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(FChunkSize));
    if (IsLoopbackHost(hostName)) {
        curl_easy_setopt(curl, CURLOPT_PROXY, ""); // never through a proxy from the environment
    }
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &TTransfer::OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const auto result = static_cast<CURLcode>(Perform());
    // Nothing of this call may outlive it inside the handle.
    curl_easy_setopt(curl, CURLOPT_CURLU, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);

    if (transfer.Failure) {
        std::rethrow_exception(transfer.Failure);
    }
    if (result == CURLE_ABORTED_BY_CALLBACK || !transfer.HeadersDone) {
        FLastError = InternetErrorFromCurl(result);
        return false;
    }
    if (transfer.Status == StatusNotFound) {
        FLastError = ErrorNotFound;
        return false;
    }
    // Any other status is a success; a failure while reading the body only ends it early.
    Progress();
    return true;
}

int TqxInternet::Perform() {
    CURL* curl = Handle(FSession);
    if (!FCancelled) {
        return curl_easy_perform(curl);
    }
    if (FCancelled()) {
        return CURLE_ABORTED_BY_CALLBACK;
    }
    // Through a multi handle, whose waits end every CancelPollMs to look at the request.
    std::unique_ptr<CURLM, TMultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK) {
        return CURLE_OUT_OF_MEMORY;
    }
    CURLcode result = CURLE_OK;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        if (running == 0) {
            int left = 0;
            const CURLMsg* message = curl_multi_info_read(multi.get(), &left);
            result = message != nullptr && message->msg == CURLMSG_DONE ? message->data.result
                                                                        : CURLE_GOT_NOTHING;
            break;
        }
        if (FCancelled()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, CancelPollMs, nullptr);
    }
    curl_multi_remove_handle(multi.get(), curl);
    return result;
}

bool HttpGetToStream(const std::string& url, std::string& stream, std::int32_t& errorCode,
                     const TCancelled& cancelled) {
    TqxInternetHTTP client;
    client.SetCancelled(cancelled);
    const bool result = client.Get(url, stream);
    errorCode = client.LastError();
    return result;
}

bool HttpGetToString(const std::string& url, std::string& body, std::int32_t& errorCode,
                     const TCancelled& cancelled) {
    std::string buffer;
    const bool result = HttpGetToStream(url, buffer, errorCode, cancelled);
    body = std::move(buffer);
    return result;
}

std::string BuildHttpURL(const std::string& host, int port, const std::string& path) {
    std::string url = "http://" + host + ":" + std::to_string(port);
    if (path.empty() || path.front() != '/') {
        url += '/';
    }
    return url + path;
}

bool HttpGetFromHost(const std::string& host, int port, const std::string& path, std::string& body,
                     std::int32_t& errorCode) {
    try {
        return HttpGetToString(BuildHttpURL(host, port, path), body, errorCode);
    } catch (...) {
        return false;
    }
}

} // namespace vx::health
