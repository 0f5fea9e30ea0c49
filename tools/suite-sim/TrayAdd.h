#pragma once

#include "health/SuiteServices.h"

#include <string>

namespace vx::suitesim {

// The tray's answer to one add request, as it came.
struct TTrayAnswer {
    std::string StatusLine; // "HTTP/1.0 200", without its line end; empty without an answer
    int Status = 0;         // the status code; 0 when the line gives none
    std::string Body;
    std::string Failure; // why no answer came (the HTTP client's error text); else empty
};

// Sends "GET /add?" + `query` to the tray (bytes that cannot stand in a request line
// percent-encoded, as the HTTP client sends them) and reads its whole answer: connect 5 s, the
// whole exchange 15 s, the answer up to 1 MiB.
TTrayAnswer AddToTray(const std::string& query, int port = health::TrayServicePort);

// The tray took the decision: a 200 whose body begins with the new decision's "id=".
bool Accepted(const TTrayAnswer& answer);

// Why the tray did not take the decision `query` described, for the user. The tray's 504 says
// no reason: a missing required field is read from `query` as the tray reads it, and with
// both fields there the add was beyond the tray's bounds on pending decisions.
std::string RefusalReason(const std::string& query, const TTrayAnswer& answer);

} // namespace vx::suitesim
