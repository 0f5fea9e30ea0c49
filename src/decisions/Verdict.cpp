#include "decisions/Verdict.h"

#include "decisions/MonitorPeer.h"
#include "health/HttpClient.h"

namespace vx::decisions {

namespace {

constexpr const char* const MonitorHost = "127.0.0.1";

} // namespace

bool SendDecisionVerdict(std::uint32_t ID, bool Allow, std::string& Reply, int Port) {
    try {
        std::string Body;
        std::int32_t ErrorCode = 0;
        if (!health::HttpGetFromHost(MonitorHost, Port, VerdictPath(ID, Allow), Body, ErrorCode)) {
            return false;
        }
        Reply = Body;
        return !IsRefusal(Reply);
    } catch (...) {
        return false;
    }
}

} // namespace vx::decisions
