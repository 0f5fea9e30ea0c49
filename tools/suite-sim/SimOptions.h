#pragma once

#include "platform/Exception.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vx::suitesim {

class EUsage : public vx::Exception {
public:
    using vx::Exception::Exception;
};

struct TSimOptions {
    bool Help = false;
    std::set<std::string> Services; // option names of the services to run
    std::set<std::string> Corrupt;
    std::set<std::string> Hang;
    std::string MonitorReply = "1";
    bool Monitor404 = false;
    std::optional<std::string> AddQuery; // send one add request and end
    int RaiseSeconds = 0;                // 0: never
};

// Raises EUsage with a message for anything it does not understand.
TSimOptions ParseSimOptions(const std::vector<std::string>& args);
const char* SimUsageText();

} // namespace vx::suitesim
