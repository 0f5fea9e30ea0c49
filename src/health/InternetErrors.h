#pragma once

#include <cstdint>
#include <string>

namespace vx::health {

// Error codes of the HTTP client: two of its own, the rest as WinINet and Win32 number them.
inline constexpr std::int32_t ErrorNoScheme = 1;      // the URL has no "://"
inline constexpr std::int32_t ErrorNotFound = 18;     // the server answered 404
inline constexpr std::int32_t ErrorInvalidHandle = 6; // ERROR_INVALID_HANDLE: no session
// ERROR_INSUFFICIENT_BUFFER: a header does not fit the buffer it is asked for in.
inline constexpr std::int32_t ErrorInsufficientBuffer = 122;
inline constexpr std::int32_t ErrorInternetTimeout = 12002;
inline constexpr std::int32_t ErrorInternetInternal = 12004;
inline constexpr std::int32_t ErrorInternetInvalidUrl = 12005;
inline constexpr std::int32_t ErrorInternetNameNotResolved = 12007;
inline constexpr std::int32_t ErrorInternetOperationCancelled = 12017;
inline constexpr std::int32_t ErrorInternetCannotConnect = 12029;
inline constexpr std::int32_t ErrorInternetConnectionAborted = 12030;
inline constexpr std::int32_t ErrorInternetConnectionReset = 12031;
inline constexpr std::int32_t ErrorHttpInvalidServerResponse = 12152;

// The short message for an error code, for logs and status lines.
std::string InternetErrorText(std::int32_t code);

} // namespace vx::health
