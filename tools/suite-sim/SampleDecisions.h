#pragma once

#include "decisions/KeyValueLines.h"
#include "health/SuiteServices.h"

#include <cstddef>
#include <string>

namespace vx::suitesim {

// The key=value fields of a sample decision; Number picks one of a varied set, cyclically.
decisions::TStrings SampleDecision(std::size_t Number);

// Sends GET /add?Query to the tray and gives its reply; true when the tray took the decision
// (the first line of its reply carries the new identifier).
bool SendAddToTray(const std::string& Query, std::string& Reply,
                   int Port = health::TrayServicePort);

} // namespace vx::suitesim
