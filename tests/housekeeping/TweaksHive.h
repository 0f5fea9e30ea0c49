#pragma once

#include <errno.h>
#include <string>
#include <string_view>

namespace vx::housekeeping::test {

inline constexpr std::string_view SharedTweaksKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks";

// The tweaks key of the running test executable, named after argv[0] (not after
// /proc/self/exe, which the code under test reads).
inline std::string OwnTweaksKey() {
    return std::string(SharedTweaksKey) + "\\" + program_invocation_short_name;
}

// Machine hive text with `own` value lines under the test executable's tweaks key and
// `shared` ones under the shared key; a key without lines is left out.
inline std::string TweaksHive(std::string_view own, std::string_view shared = {}) {
    std::string hive;
    if (!own.empty()) {
        hive += "[" + OwnTweaksKey() + "]\r\n" + std::string(own) + "\r\n\r\n";
    }
    if (!shared.empty()) {
        hive += "[" + std::string(SharedTweaksKey) + "]\r\n" + std::string(shared) + "\r\n\r\n";
    }
    return hive;
}

} // namespace vx::housekeeping::test
