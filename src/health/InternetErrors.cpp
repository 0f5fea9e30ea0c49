#include "health/InternetErrors.h"

#include "platform/FormatMessage.h"

#include <curl/curl.h>

namespace vx::health {

namespace {

const char* const TextNotFound = "File not found on server!";
const char* const TextNameNotResolved = "Could not find server!";
const char* const TextCannotConnect = "Could not connect to server!";
const char* const TextUnknownError = "Unknown error #";

} // namespace

std::string InternetErrorText(std::int32_t code) {
    switch (code) {
    case ErrorNotFound:
        return TextNotFound;
    case ErrorInternetNameNotResolved:
        return TextNameNotResolved;
    case ErrorInternetCannotConnect:
        return TextCannotConnect;
    default:
        break;
    }
    std::string systemText;
    if (!win::FormatSystemMessage(static_cast<win::DWORD>(code), systemText)) {
        return TextUnknownError + std::to_string(code);
    }
    return std::to_string(code) + ": " + systemText;
}

std::int32_t InternetErrorFromCurl(int curlCode) {
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ErrorInternetNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return ErrorInternetCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return ErrorInternetTimeout;
    case CURLE_URL_MALFORMAT:
        return ErrorInternetInvalidUrl;
    // Not an HTTP/1.x answer: garbage, an unreadable status line, or nothing at all.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
        return ErrorHttpInvalidServerResponse;
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return ErrorInternetConnectionAborted;
    case CURLE_RECV_ERROR:
        return ErrorInternetConnectionReset;
    case CURLE_ABORTED_BY_CALLBACK:
        return ErrorInternetOperationCancelled;
    default:
        return ErrorInternetInternal;
    }
}

} // namespace vx::health
