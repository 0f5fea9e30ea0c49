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

CURL* Handle(void* Session) {
    return static_cast<CURL*>(Session);
}

// Decimal integer as Delphi's StrToIntDef reads it: optional sign, digits, 32-bit range.
bool ParseInt32(const std::string& Text, int& Value) {
    const char* First = Text.data();
    const char* Last = First + Text.size();
    if (First != Last && *First == '+') {
        ++First;
        if (First != Last && *First == '-') {
            return false;
        }
    }
    int Parsed = 0;
    auto [End, Error] = std::from_chars(First, Last, Parsed);
    if (Error != std::errc() || End != Last || First == Last) {
        return false;
    }
    Value = Parsed;
    return true;
}

bool IsLoopbackHost(const std::string& Host) {
    std::string Lower = Host;
    std::transform(Lower.begin(), Lower.end(), Lower.begin(),
                   [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
    return Lower == "localhost" || Lower.rfind("127.", 0) == 0;
}

// Bytes that cannot stand in a request line are sent escaped, never raw: a path can then not
// break the request line or smuggle header lines.
std::string EscapePath(const std::string& Path) {
    static const char Hex[] = "0123456789abcdef";
    std::string Escaped;
    Escaped.reserve(Path.size());
    if (Path.empty() || Path.front() != '/') {
        Escaped += '/';
    }
    for (unsigned char C : Path) {
        if (C <= 0x20 || C >= 0x7F) {
            Escaped += '%';
            Escaped += Hex[C >> 4];
            Escaped += Hex[C & 0x0F];
        } else {
            Escaped += static_cast<char>(C);
        }
    }
    return Escaped;
}

struct TUrlDeleter {
    void operator()(CURLU* Url) const { curl_url_cleanup(Url); }
};
struct THeaderListDeleter {
    void operator()(curl_slist* List) const { curl_slist_free_all(List); }
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

    static std::size_t OnHeader(char* Data, std::size_t Size, std::size_t Count, void* User);
    static std::size_t OnBody(char* Data, std::size_t Size, std::size_t Count, void* User);

    bool EndOfHeaders();
    bool Append(const char* Data, std::size_t Length);
};

bool TTransfer::EndOfHeaders() {
    long Code = 0;
    curl_easy_getinfo(Handle(Client.FSession), CURLINFO_RESPONSE_CODE, &Code);
    if (Code >= 100 && Code < 200) {
        return true; // an interim answer; the real one follows
    }
    HeadersDone = true;
    Status = Code;
    Client.Trace(TraceStatus + std::to_string(Status));
    if (Status == StatusNotFound) {
        return false; // the body of a 404 is not read
    }
    curl_off_t Length = -1;
    if (curl_easy_getinfo(Handle(Client.FSession), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &Length) ==
            CURLE_OK &&
        Length > 0) {
        Client.FTotalSize = Length;
    }
    return true;
}

bool TTransfer::Append(const char* Data, std::size_t Length) {
    const std::int64_t Room = std::max<std::int64_t>(0, Client.FMaxBodySize - Client.FDownloaded);
    const std::size_t Taken = static_cast<std::size_t>(std::min<std::int64_t>(Room, Length));
    Stream.append(Data, Taken);
    Client.FDownloaded += static_cast<std::int64_t>(Taken);
    Client.Progress();
    return Taken == Length;
}

std::size_t TTransfer::OnHeader(char* Data, std::size_t Size, std::size_t Count, void* User) {
    auto& Transfer = *static_cast<TTransfer*>(User);
    const std::size_t Length = Size * Count;
    const bool BlankLine =
        (Length == 2 && Data[0] == '\r' && Data[1] == '\n') || (Length == 1 && Data[0] == '\n');
    if (!BlankLine) {
        return Length;
    }
    try {
        return Transfer.EndOfHeaders() ? Length : 0;
    } catch (...) {
        Transfer.Failure = std::current_exception();
        return 0;
    }
}

std::size_t TTransfer::OnBody(char* Data, std::size_t Size, std::size_t Count, void* User) {
    auto& Transfer = *static_cast<TTransfer*>(User);
    const std::size_t Length = Size * Count;
    try {
        // Past the size limit the body ends early, like a failed read.
        return Transfer.Append(Data, Length) ? Length : 0;
    } catch (...) {
        Transfer.Failure = std::current_exception();
        return 0;
    }
}

void InitializeHttpClient() {
    static std::once_flag Once;
    std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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

void TqxInternet::SetTimeouts(std::chrono::milliseconds Connect,
                              std::chrono::milliseconds Request) {
    FConnectTimeout = Connect;
    FRequestTimeout = Request;
}

void TqxInternet::Progress() {
    if (!OnProgress) {
        return;
    }
    std::int64_t Percent = 0;
    if (FTotalSize > 0) {
        Percent = std::min<std::int64_t>(100, FDownloaded * 100 / FTotalSize);
    }
    OnProgress(static_cast<std::uint8_t>(Percent), FDownloaded, FTotalSize);
}

void TqxInternet::Trace(const std::string& Text) {
    if (OnTrace) {
        OnTrace(Text);
    }
}

void SplitHostPort(const std::string& Host, std::string& HostName, int& Port) {
    HostName = Host;
    Port = DefaultHttpPort;
    if (const auto Colon = Host.find(':'); Colon != std::string::npos) {
        HostName = Host.substr(0, Colon);
        if (!ParseInt32(Host.substr(Colon + 1), Port) || Port == 0) {
            Port = DefaultHttpPort; // 0 asks for the scheme's default, as WinINet reads it
        }
    }
}

bool TqxInternetHTTP::Get(const std::string& URL, std::string& Stream) {
    const auto Separator = URL.find(SchemeSeparator);
    if (Separator == std::string::npos) {
        FLastError = ErrorNoScheme;
        return false;
    }
    // Whatever the scheme names, the request goes over plain HTTP.
    const std::string Rest =
        URL.substr(Separator + std::char_traits<char>::length(SchemeSeparator));
    const auto Slash = Rest.find('/');
    if (Slash == std::string::npos) {
        return Request(Rest, "/", Stream);
    }
    return Request(Rest.substr(0, Slash), Rest.substr(Slash), Stream);
}

bool TqxInternetHTTP::Request(const std::string& Host, const std::string& Path,
                              std::string& Stream) {
    FLastError = 0;
    FDownloaded = 0;
    FTotalSize = 0;

    std::string HostName;
    int Port = 0;
    SplitHostPort(Host, HostName, Port);
    if (FSession == nullptr) {
        FLastError = ErrorInvalidHandle;
        return false;
    }
    if (Port < 0 || Port > 65535) {
        FLastError = ErrorInternetInvalidUrl;
        return false;
    }

    const std::string Escaped = EscapePath(Path);
    const auto Query = Escaped.find('?');
    std::unique_ptr<CURLU, TUrlDeleter> Url(curl_url());
    if (!Url) {
        throw std::bad_alloc();
    }
    curl_url_set(Url.get(), CURLUPART_SCHEME, "http", 0);
    if (curl_url_set(Url.get(), CURLUPART_HOST, HostName.c_str(), 0) != CURLUE_OK) {
        FLastError = ErrorInternetNameNotResolved;
        return false;
    }
    const std::string PortText = std::to_string(Port);
    curl_url_set(Url.get(), CURLUPART_PORT, PortText.c_str(), 0);
    curl_url_set(Url.get(), CURLUPART_PATH, Escaped.substr(0, Query).c_str(), 0);
    if (Query != std::string::npos) {
        curl_url_set(Url.get(), CURLUPART_QUERY, Escaped.substr(Query + 1).c_str(), 0);
    }

    // No extra headers of ours; the library's default Accept line is dropped too.
    std::unique_ptr<curl_slist, THeaderListDeleter> Headers(curl_slist_append(nullptr, "Accept:"));
    if (!Headers) {
        throw std::bad_alloc();
    }

    CURL* Curl = Handle(FSession);
    TTransfer Transfer{*this, Stream, false, 0, nullptr};
    curl_easy_reset(Curl);
    curl_easy_setopt(Curl, CURLOPT_CURLU, Url.get());
    curl_easy_setopt(Curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(Curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(Curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(Curl, CURLOPT_USERAGENT, FUserAgent.c_str());
    curl_easy_setopt(Curl, CURLOPT_HTTPHEADER, Headers.get());
    curl_easy_setopt(Curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FConnectTimeout.count()));
    curl_easy_setopt(Curl, CURLOPT_TIMEOUT_MS, static_cast<long>(FRequestTimeout.count()));
    curl_easy_setopt(Curl, CURLOPT_BUFFERSIZE, static_cast<long>(FChunkSize));
    if (IsLoopbackHost(HostName)) {
        curl_easy_setopt(Curl, CURLOPT_PROXY, ""); // never through a proxy from the environment
    }
    curl_easy_setopt(Curl, CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
    curl_easy_setopt(Curl, CURLOPT_HEADERDATA, &Transfer);
    curl_easy_setopt(Curl, CURLOPT_WRITEFUNCTION, &TTransfer::OnBody);
    curl_easy_setopt(Curl, CURLOPT_WRITEDATA, &Transfer);

    const CURLcode Result = curl_easy_perform(Curl);
    // Nothing of this call may outlive it inside the handle.
    curl_easy_setopt(Curl, CURLOPT_CURLU, nullptr);
    curl_easy_setopt(Curl, CURLOPT_HTTPHEADER, nullptr);

    if (Transfer.Failure) {
        std::rethrow_exception(Transfer.Failure);
    }
    if (!Transfer.HeadersDone) {
        FLastError = InternetErrorFromCurl(Result);
        return false;
    }
    if (Transfer.Status == StatusNotFound) {
        FLastError = ErrorNotFound;
        return false;
    }
    // Any other status is a success; a failure while reading the body only ends it early.
    Progress();
    return true;
}

bool HttpGetToStream(const std::string& URL, std::string& Stream, std::int32_t& ErrorCode) {
    TqxInternetHTTP Client;
    const bool Result = Client.Get(URL, Stream);
    ErrorCode = Client.LastError();
    return Result;
}

bool HttpGetToString(const std::string& URL, std::string& Body, std::int32_t& ErrorCode) {
    std::string Buffer;
    const bool Result = HttpGetToStream(URL, Buffer, ErrorCode);
    Body = std::move(Buffer);
    return Result;
}

std::string BuildHttpURL(const std::string& Host, int Port, const std::string& Path) {
    std::string URL = "http://" + Host + ":" + std::to_string(Port);
    if (Path.empty() || Path.front() != '/') {
        URL += '/';
    }
    return URL + Path;
}

bool HttpGetFromHost(const std::string& Host, int Port, const std::string& Path, std::string& Body,
                     std::int32_t& ErrorCode) {
    try {
        return HttpGetToString(BuildHttpURL(Host, Port, Path), Body, ErrorCode);
    } catch (...) {
        return false;
    }
}

} // namespace vx::health
