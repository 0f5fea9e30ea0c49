#pragma once

#include "httpservice/TcpSocket.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vx::httpservice {

// How long sending a response may wait.
struct TSendLimits {
    // For the connection to take a header line; a line it does not take in time is skipped.
    std::chrono::milliseconds HeaderLineWait{1000};
    // For the connection to take any more of the status line or the body.
    std::chrono::milliseconds Wait{5000};
    // For the whole response, from the first byte: what is not sent by then is dropped.
    std::chrono::milliseconds Deadline{30000};
};

// Sends a response on a connection: the status line, the header lines (each already ending
// with its CR LF; the last is the empty line, none at all for a request without a protocol)
// and the body, in as few writes as the connection takes them, normally one. A header line
// that the connection does not take within HeaderLineWait is skipped; the body is sent only
// when the last write or wait before it met no error. False when the response was given up at
// the deadline or a wait: the caller should abort the connection rather than close it, so
// that what is still queued goes no further.
bool SendResponse(TTcpSocket& socket, std::string_view statusLine,
                  const std::vector<std::string>& headerLines, std::string_view body,
                  const TSendLimits& limits);

} // namespace vx::httpservice
