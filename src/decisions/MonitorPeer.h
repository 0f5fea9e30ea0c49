#pragma once

#include "decisions/KeyValueLines.h"

#include <cstdint>
#include <string>

namespace vx::decisions {

// What the tray and the suite's monitor service exchange, for both sides of the conversation.

inline constexpr const char* const MonitorServiceName = "VXMonSvc";
inline constexpr const char* const VerdictCommand = "/applydecision";
inline constexpr const char* const AddCommand = "/add";
// The one reply by which the monitor refuses a verdict.
inline constexpr const char* const VerdictRefusal = "0";

// "/applydecision?decisionid=<ID>&decision=allow" (or deny).
std::string VerdictPath(std::uint32_t id, bool allow);
bool IsRefusal(const std::string& reply);

// The monitor's side: reads a verdict request's path with its query. False, outputs untouched,
// for anything but the form VerdictPath produces (fields in any order, decimal identifier
// within 32 bits, "allow" or "deny").
bool ParseVerdictPath(const std::string& path, std::uint32_t& id, bool& allow);

// The monitor's side: the key=value fields joined by "&", each value percent-encoded
// (upper-case digits) except letters, digits and "-._~": what follows AddCommand and "?".
std::string AddQuery(const TStrings& fields);

} // namespace vx::decisions
