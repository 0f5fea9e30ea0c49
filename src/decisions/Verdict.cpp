#include "decisions/Verdict.h"

#include "decisions/MonitorPeer.h"
#include "health/HttpClient.h"

namespace vx::decisions {

namespace {

constexpr const char* const MonitorHost = "127.0.0.1";

} // namespace

bool SendDecisionVerdict(std::uint32_t id, bool allow, std::string& reply, int port) {
    try {
        std::string body;
        std::int32_t errorCode = 0;
        if (!health::HttpGetFromHost(MonitorHost, port, VerdictPath(id, allow), body, errorCode)) {
            return false;
        }
        reply = body;
        return !IsRefusal(reply);
    } catch (...) {
        return false;
    }
}

} // namespace vx::decisions
