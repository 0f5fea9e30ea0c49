#pragma once

#include "health/ServiceTester.h"

#include <ostream>
#include <string>
#include <string_view>

// What vxhealth prints of one round of probes, for people and for scripts.
namespace vx::vxhealth {

// `text` as a JSON string with its quotes: '"' and '\' escaped, every control character
// (below U+0020, and DEL) as \uXXXX; other bytes as they are (the texts are UTF-8).
std::string JsonString(std::string_view text);

// The problem the last round found with the service shown as `displayName` ("Scanner"), on
// one line; empty when there was none.
std::string ServiceMessage(const health::TWebThreadTester& tester, const std::string& displayName);

// One line per service, "<name>: <status>", then the problems found, one per line.
void PrintText(const health::TWebThreadTester& tester, std::ostream& out);

// One JSON object per service and line, in probing order:
// {"name":"Scanner","service":"VXFSSvc","port":21323,"status":"unavailable","message":"..."}.
void PrintJson(const health::TWebThreadTester& tester, std::ostream& out);

} // namespace vx::vxhealth
