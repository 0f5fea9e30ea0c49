#include "RegArgs.h"

#include <cstddef>

namespace vx::vxreg {

using namespace vx::win;

namespace {

constexpr const char* Usage =
    "Usage:\n"
    "  vxreg query KEY [/v NAME | /ve] [/s] [/reg:32 | /reg:64]\n"
    "  vxreg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f] [/reg:32 | /reg:64]\n"
    "  vxreg delete KEY [/v NAME | /ve] [/f] [/reg:32 | /reg:64]\n"
    "  vxreg export KEY FILE [/y] [/reg:32 | /reg:64]\n"
    "\n"
    "KEY is ROOT\\path with ROOT one of HKLM, HKCU, HKCR, HKU or their long names.\n"
    "TYPE is REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
    "REG_BINARY or REG_NONE. REG_MULTI_SZ data separates its strings with \\0.\n"
    "The prefix is $VXTRAY_PREFIX, else $XDG_DATA_HOME/korvex-thornet-2/prefix.\n";

struct TRootName {
    const char* Short;
    const char* Long;
    HKEY Root;
};

const TRootName RootNames[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKU", "HKEY_USERS", HKEY_USERS},
};

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return text;
}

TOperation ParseOperation(const std::string& word) {
    const std::string op = Upper(word);
    if (op == "QUERY") {
        return TOperation::Query;
    }
    if (op == "ADD") {
        return TOperation::Add;
    }
    if (op == "DELETE") {
        return TOperation::Delete;
    }
    if (op == "EXPORT") {
        return TOperation::Export;
    }
    throw EUsage("Invalid operation '" + word + "'.");
}

bool IsOption(const std::string& option) {
    for (const char* known : {"/V", "/VE", "/S", "/T", "/D", "/F", "/Y", "/REG:32", "/REG:64"}) {
        if (option == known) {
            return true;
        }
    }
    return false;
}

// Whether `option` (upper case, e.g. "/V") is allowed for `operation`.
bool Allowed(TOperation operation, const std::string& option) {
    switch (operation) {
    case TOperation::Query:
        return option == "/V" || option == "/VE" || option == "/S";
    case TOperation::Add:
        return option == "/V" || option == "/VE" || option == "/T" || option == "/D" ||
               option == "/F";
    case TOperation::Delete:
        return option == "/V" || option == "/VE" || option == "/F";
    case TOperation::Export:
        return option == "/Y";
    }
    return false;
}

} // namespace

const char* UsageText() {
    return Usage;
}

TKeyName ParseKeyName(const std::string& text) {
    const std::size_t slash = text.find('\\');
    const std::string root = Upper(text.substr(0, slash));
    for (const TRootName& name : RootNames) {
        if (root == name.Short || root == name.Long) {
            TKeyName key{name.Root, name.Long, {}};
            if (slash != std::string::npos) {
                std::string path = text.substr(slash + 1);
                while (!path.empty() && path.front() == '\\') {
                    path.erase(0, 1);
                }
                while (!path.empty() && path.back() == '\\') {
                    path.pop_back();
                }
                key.Path = path;
            }
            return key;
        }
    }
    throw EUsage("Invalid key name '" + text +
                 "': the root must be HKLM, HKCU, HKCR, HKU or one of their long names.");
}

TCommand ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw EUsage("No operation given.");
    }
    TCommand command;
    command.Operation = ParseOperation(args[0]);
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
            positional.push_back(arg);
            continue;
        }
        std::string option = Upper(arg);
        option[0] = '/';
        // The export file may be an absolute path such as /tmp/x.reg.
        if (command.Operation == TOperation::Export && arg[0] == '/' && !IsOption(option)) {
            positional.push_back(arg);
            continue;
        }
        if (option == "/REG:32" || option == "/REG:64") {
            if (command.View != 0) {
                throw EUsage("Give /reg:32 or /reg:64 once.");
            }
            command.View = option == "/REG:32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
            continue;
        }
        if (!Allowed(command.Operation, option)) {
            throw EUsage("Invalid option '" + arg + "' for " + Upper(args[0]) + ".");
        }
        const bool takesArgument = option == "/V" || option == "/T" || option == "/D";
        if (takesArgument && i + 1 >= args.size()) {
            throw EUsage("Option " + arg + " needs a value.");
        }
        if ((option == "/V" || option == "/VE") && command.ValueName) {
            throw EUsage("Give /v NAME or /ve once.");
        }
        if (option == "/V") {
            command.ValueName = args[++i];
        } else if (option == "/VE") {
            command.ValueName = std::string();
        } else if (option == "/T") {
            command.Type = Upper(args[++i]);
        } else if (option == "/D") {
            command.Data = args[++i];
        } else if (option == "/S") {
            command.Recurse = true;
        } else {
            command.Force = true; // /f or /y
        }
    }
    const std::size_t wanted = command.Operation == TOperation::Export ? 2 : 1;
    if (positional.size() != wanted) {
        throw EUsage(command.Operation == TOperation::Export ? "EXPORT needs a key and a file name."
                                                             : "Give exactly one key.");
    }
    command.Key = ParseKeyName(positional[0]);
    if (command.Operation == TOperation::Export) {
        command.File = positional[1];
    }
    return command;
}

} // namespace vx::vxreg
