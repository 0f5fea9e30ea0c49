#include "health/InternetErrors.h"

#include "platform/FormatMessage.h"

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

} // namespace vx::health
