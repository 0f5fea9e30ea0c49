#pragma once

#include "platform/Exception.h"
#include "platform/WinTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace vx::vxreg {

// A command line that cannot be run; the message says why.
class EUsage : public vx::Exception {
public:
    using vx::Exception::Exception;
};

enum class TOperation { Query, Add, Delete, Export };

// A registry key as typed: its predefined root and the path below it.
struct TKeyName {
    win::HKEY Root = 0;
    std::string RootName; // long form, as reg.exe prints it: HKEY_LOCAL_MACHINE
    std::string Path;     // below the root, without leading or trailing backslashes

    // ROOT\path as printed in output and exports.
    std::string FullName() const { return Path.empty() ? RootName : RootName + "\\" + Path; }
};

struct TCommand {
    TOperation Operation = TOperation::Query;
    TKeyName Key;
    std::optional<std::string> ValueName; // /v NAME, or "" for /ve
    bool Recurse = false;                 // /s
    win::REGSAM View = 0;                 // KEY_WOW64_32KEY or KEY_WOW64_64KEY for /reg:32|64
    std::optional<std::string> Type;      // /t (REG_SZ when absent)
    std::optional<std::string> Data;      // /d
    bool Force = false;                   // /f (add, delete) or /y (export)
    std::string File;                     // export target
};

// Splits ROOT\path; raises EUsage for an unknown root (long or short names are accepted).
TKeyName ParseKeyName(const std::string& text);

// Parses the arguments after the program name; raises EUsage.
TCommand ParseCommandLine(const std::vector<std::string>& args);

// The usage text printed for /? and for a missing operation.
const char* UsageText();

} // namespace vx::vxreg
