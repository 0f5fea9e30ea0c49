#include "housekeeping/Tweaks.h"

#include "config/RegAccessor.h"
#include "config/RegRead.h"
#include "platform/Files.h"

namespace vx::housekeeping {

namespace {

constexpr const char* TweaksKey = "\\SOFTWARE\\Qelvane Limited\\Tweaks\\";

std::string& ProgramNameOverride() {
    static std::string name;
    return name;
}

// A REG_DWORD whose data does not fit in 32 bits cannot be read; start-up reads the tweaks,
// so such a value counts as missing instead of stopping the program.
bool ReadTweakFrom(const std::string& key, const std::string& valueName, std::int32_t& value) {
    try {
        // No view is chosen: the read goes where the process's own view puts it.
        return config::RegReadInteger(win::HKEY_LOCAL_MACHINE, key, valueName, value);
    } catch (const config::ERegistryException&) {
        return false;
    }
}

} // namespace

void SetTweakProgramName(const std::string& name) {
    ProgramNameOverride() = name;
}

std::string TweakProgramName() {
    return ProgramNameOverride().empty() ? win::ExecutableFileName() : ProgramNameOverride();
}

bool ReadTweakInteger(const std::string& valueName, std::int32_t& value) {
    const std::string sharedKey = TweaksKey;
    return ReadTweakFrom(sharedKey + TweakProgramName(), valueName, value) ||
           ReadTweakFrom(sharedKey, valueName, value);
}

bool ReadTweakByte(const std::string& valueName, std::uint8_t& value) {
    std::int32_t number = 0;
    if (!ReadTweakInteger(valueName, number)) {
        return false;
    }
    value = static_cast<std::uint8_t>(static_cast<std::uint32_t>(number) & 0xFFU);
    return true;
}

} // namespace vx::housekeeping
