#pragma once

#include "decisions/KeyValueLines.h"

#include <cstdint>
#include <string>

namespace vx::decisions {

// What the tray and the suite's monitor service exchange, for both sides of the conversation.
// The tray sends the monitor, on 127.0.0.1 at the monitor's port, GET requests:
// - "/applydecision?decisionid=<id>&decision=allow" (or deny): the user's verdict on a
//   pending decision;
// - "/liveprotection?enabled=1" (or 0): the user switched Live Protection on (or off) in the
//   tray's menu; while it is off the monitor raises no decisions.
// The monitor answers 200 with a body; the body "0" refuses the request, and so does a 404.
// The monitor hands the tray decisions with GET "/add?" + AddQuery(fields) on the tray's port.

inline constexpr const char* const MonitorServiceName = "VXMonSvc";
inline constexpr const char* const VerdictCommand = "/applydecision";
inline constexpr const char* const AddCommand = "/add";
inline constexpr const char* const LiveProtectionCommand = "/liveprotection";
// The one reply by which the monitor refuses a verdict.
inline constexpr const char* const VerdictRefusal = "0";

// "/applydecision?decisionid=<ID>&decision=allow" (or deny).
std::string VerdictPath(std::uint32_t id, bool allow);
bool IsRefusal(const std::string& reply);

// The monitor's side: reads a verdict request's path with its query. False, outputs untouched,
// for anything but the form VerdictPath produces (fields in any order, decimal identifier
// within 32 bits, "allow" or "deny").
bool ParseVerdictPath(const std::string& path, std::uint32_t& id, bool& allow);

// "/liveprotection?enabled=1" (or 0).
std::string LiveProtectionPath(bool enabled);
// The monitor's side: reads a Live Protection request's path with its query. False, `enabled`
// untouched, for anything but the form LiveProtectionPath produces.
bool ParseLiveProtectionPath(const std::string& path, bool& enabled);

// The monitor's side: the key=value fields joined by "&", each value percent-encoded
// (upper-case digits) except letters, digits and "-._~": what follows AddCommand and "?".
std::string AddQuery(const TStrings& fields);

} // namespace vx::decisions
