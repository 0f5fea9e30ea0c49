#pragma once

#include "decisions/KeyValueLines.h"
#include "health/SuiteServices.h"

#include <cstddef>
#include <string>

namespace vx::suitesim {

// The key=value fields of a sample decision; `number` picks one of a varied set, cyclically.
decisions::TStrings SampleDecision(std::size_t number);

// Sends "GET /add?" + `query` to the tray and gives its reply; true when the tray took the decision
// (the first line of its reply carries the new identifier).
bool SendAddToTray(const std::string& query, std::string& reply,
                   int port = health::TrayServicePort);

} // namespace vx::suitesim
