#include "decisions/DecisionTypes.h"

namespace vx::decisions {

TDecisionType ParseDecisionType(const std::string& Text) {
    for (std::size_t I = 0; I < DecisionTypeKeys.size(); ++I) {
        if (Text == DecisionTypeKeys[I]) {
            return static_cast<TDecisionType>(I);
        }
    }
    return dtInformation;
}

TMonitorLogClass ParseLogClass(const std::string& Text) {
    for (std::size_t I = 0; I < LogClassKeys.size(); ++I) {
        if (Text == LogClassKeys[I]) {
            return static_cast<TMonitorLogClass>(I);
        }
    }
    return mlcCustom;
}

} // namespace vx::decisions
