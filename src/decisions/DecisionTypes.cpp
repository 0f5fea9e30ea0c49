#include "decisions/DecisionTypes.h"

namespace vx::decisions {

TDecisionType ParseDecisionType(const std::string& text) {
    for (std::size_t i = 0; i < DecisionTypeKeys.size(); ++i) {
        if (text == DecisionTypeKeys[i]) {
            return static_cast<TDecisionType>(i);
        }
    }
    return dtInformation;
}

TMonitorLogClass ParseLogClass(const std::string& text) {
    for (std::size_t i = 0; i < LogClassKeys.size(); ++i) {
        if (text == LogClassKeys[i]) {
            return static_cast<TMonitorLogClass>(i);
        }
    }
    return mlcCustom;
}

} // namespace vx::decisions
