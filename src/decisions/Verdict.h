#pragma once

#include "health/SuiteServices.h"

#include <cstdint>
#include <string>

namespace vx::decisions {

// The monitor service takes verdicts on its own port of the suite's service table.
inline constexpr int MonitorVerdictPort = health::MonitorServicePort;

// Sends the user's verdict on a decision to the monitor service on 127.0.0.1 and gives its
// reply. True when the monitor took it: delivered (no 404, no transport failure) and the reply
// is not exactly "0". Never throws.
bool SendDecisionVerdict(std::uint32_t id, bool allow, std::string& reply,
                         int port = MonitorVerdictPort);

} // namespace vx::decisions
