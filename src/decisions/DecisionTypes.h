#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vx::decisions {

enum TDecisionType : std::uint8_t {
    dtInformation = 0,
    dtPlimmDecision = 1,
    dtFileScannerInformation = 2,
};

enum TMonitorLogClass : std::uint8_t {
    mlcAdded = 0,
    mlcChanged = 1,
    mlcDeleted = 2,
    mlcCustom = 3,
    mlcStatus = 4,
};

// Words of the key=value form (Keys) and of the display form (Names), by enumeration value.
inline constexpr std::array<const char*, 3> DecisionTypeKeys{"information", "decision",
                                                             "filescaninfo"};
inline constexpr std::array<const char*, 3> DecisionTypeNames{"Information", "Decision",
                                                              "Infected File"};
inline constexpr std::array<const char*, 5> LogClassKeys{"added", "changed", "deleted", "custom",
                                                         "status"};
inline constexpr std::array<const char*, 5> LogClassNames{"added", "changed", "deleted", "custom",
                                                          "status"};

// Exact, case-sensitive word match; anything else gives dtInformation / mlcCustom.
TDecisionType ParseDecisionType(const std::string& text);
TMonitorLogClass ParseLogClass(const std::string& text);

} // namespace vx::decisions
