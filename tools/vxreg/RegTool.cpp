#include "RegTool.h"

#include "RegData.h"
#include "platform/FormatMessage.h"
#include "platform/RegFormat.h"
#include "platform/Registry.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vx::vxreg {

using namespace vx::win;

namespace {

constexpr const char* NotFound =
    "The system was unable to find the specified registry key or value.";
constexpr const char* AccessDenied = "Access is denied.";
constexpr const char* Completed = "The operation completed successfully.";
constexpr const char* Canceled = "The operation was canceled by the user.";
constexpr const char* DefaultName = "(Default)";
constexpr const char* Indent = "    ";

std::string ErrorText(LSTATUS status) {
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
        return NotFound;
    }
    if (status == ERROR_ACCESS_DENIED) {
        return AccessDenied;
    }
    std::string text;
    if (FormatSystemMessage(static_cast<DWORD>(status), text)) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        return text;
    }
    return "The registry call failed with error " + std::to_string(status) + ".";
}

void Check(LSTATUS status) {
    if (status != ERROR_SUCCESS) {
        throw vx::Exception(ErrorText(status));
    }
}

HKEY OpenKey(HKEY parent, const std::string& path, REGSAM access) {
    HKEY key = 0;
    Check(RegOpenKeyEx(parent, path, access, &key));
    return key;
}

// The full name of subkey `name` of the key named `parent`.
std::string SubKeyName(const std::string& parent, const std::string& name) {
    std::string full = parent;
    full.append("\\").append(name);
    return full;
}

std::string DisplayName(const std::string& name) {
    return name.empty() ? DefaultName : name;
}

std::string ValueLine(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) {
    return std::string(Indent) + DisplayName(name) + Indent + TypeName(type) + Indent +
           FormatData(type, data) + "\n";
}

struct TValue {
    std::string Name;
    DWORD Type = REG_NONE;
    std::vector<std::uint8_t> Data;
};

std::vector<TValue> Values(HKEY key) {
    std::vector<TValue> values;
    for (DWORD i = 0;; ++i) {
        TValue value;
        const LSTATUS status = RegEnumValue(key, i, &value.Name, &value.Type, &value.Data);
        if (status == ERROR_NO_MORE_ITEMS) {
            return values;
        }
        Check(status);
        values.push_back(std::move(value));
    }
}

std::vector<std::string> SubKeys(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        std::string name;
        const LSTATUS status = RegEnumKeyEx(key, i, &name);
        if (status == ERROR_NO_MORE_ITEMS) {
            return names;
        }
        Check(status);
        names.push_back(std::move(name));
    }
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

// The value `name` of `key` under its stored name, or false when it does not exist.
bool FindValue(HKEY key, const std::string& name, TValue& value) {
    for (TValue& candidate : Values(key)) {
        if (SameName(candidate.Name, name)) {
            value = std::move(candidate);
            return true;
        }
    }
    return false;
}

class TRunner {
public:
    TRunner(const TCommand& command, std::ostream& out, const TConfirm& confirm)
        : FCommand(command), FOut(out), FConfirm(confirm), FRead(KEY_READ | command.View) {}

    int Run() {
        switch (FCommand.Operation) {
        case TOperation::Query:
            return Query();
        case TOperation::Add:
            return Add();
        case TOperation::Delete:
            return Delete();
        case TOperation::Export:
            return Export();
        }
        return 1;
    }

private:
    const TKeyName& Key() const { return FCommand.Key; }

    // Asks unless /f (or /y) was given; false when the user said no.
    bool Confirmed(const std::string& question, const std::string& refusal) {
        if (FCommand.Force || FConfirm(question, refusal)) {
            return true;
        }
        FOut << Canceled << "\n";
        return false;
    }

    int Query() {
        const TKeyHandle key(OpenKey(Key().Root, Key().Path, FRead));
        if (FCommand.ValueName && !FCommand.Recurse) {
            TValue value;
            if (!FindValue(key.Get(), *FCommand.ValueName, value)) {
                throw vx::Exception(NotFound);
            }
            FOut << "\n"
                 << Key().FullName() << "\n"
                 << ValueLine(value.Name, value.Type, value.Data) << "\n";
            return 0;
        }
        if (FCommand.ValueName) {
            std::size_t matches = 0;
            SearchValue(key.Get(), Key().FullName(), matches);
            if (matches == 0) {
                throw vx::Exception(NotFound);
            }
            FOut << "\nEnd of search: " << matches << " match(es) found.\n";
            return 0;
        }
        if (FCommand.Recurse) {
            PrintTree(key.Get(), Key().FullName());
            return 0;
        }
        PrintValues(key.Get(), Key().FullName());
        const auto subKeys = SubKeys(key.Get());
        if (!subKeys.empty()) {
            FOut << "\n";
            for (const std::string& name : subKeys) {
                FOut << Key().FullName() << "\\" << name << "\n";
            }
        }
        return 0;
    }

    void PrintValues(HKEY key, const std::string& fullName) {
        FOut << "\n" << fullName << "\n";
        for (const TValue& value : Values(key)) {
            FOut << ValueLine(value.Name, value.Type, value.Data);
        }
    }

    void PrintTree(HKEY key, const std::string& fullName) {
        PrintValues(key, fullName);
        for (const std::string& name : SubKeys(key)) {
            const TKeyHandle sub(OpenKey(key, name, FRead));
            PrintTree(sub.Get(), SubKeyName(fullName, name));
        }
    }

    void SearchValue(HKEY key, const std::string& fullName, std::size_t& matches) {
        TValue value;
        if (FindValue(key, *FCommand.ValueName, value)) {
            FOut << "\n" << fullName << "\n" << ValueLine(value.Name, value.Type, value.Data);
            ++matches;
        }
        for (const std::string& name : SubKeys(key)) {
            const TKeyHandle sub(OpenKey(key, name, FRead));
            SearchValue(sub.Get(), SubKeyName(fullName, name), matches);
        }
    }

    int Add() {
        if (!FCommand.ValueName && (FCommand.Type || FCommand.Data)) {
            throw EUsage("/t and /d need /v NAME or /ve.");
        }
        const std::string typeName = FCommand.Type.value_or("REG_SZ");
        const auto type = ParseTypeName(typeName);
        if (!type) {
            throw EUsage("Invalid type '" + typeName + "'.");
        }
        // The data is checked before anything is written.
        const auto data = EncodeData(*type, FCommand.Data.value_or(""));
        HKEY opened = 0;
        bool created = false;
        Check(RegCreateKeyEx(Key().Root, Key().Path, KEY_READ | KEY_WRITE | FCommand.View, &opened,
                             &created));
        const TKeyHandle key(opened);
        if (FCommand.ValueName) {
            const std::string& name = *FCommand.ValueName;
            TValue existing;
            if (!created && FindValue(key.Get(), name, existing) &&
                !Confirmed("Value " + DisplayName(name) + " exists, overwrite(Yes/No)? ",
                           "Value " + DisplayName(name) +
                               " exists; give /f to overwrite it without being asked.")) {
                return 1;
            }
            Check(RegSetValueEx(key.Get(), name, *type, data.data(),
                                static_cast<DWORD>(data.size())));
        }
        FOut << Completed << "\n";
        return 0;
    }

    int Delete() {
        if (FCommand.ValueName) {
            const std::string& name = *FCommand.ValueName;
            const TKeyHandle key(
                OpenKey(Key().Root, Key().Path, KEY_QUERY_VALUE | KEY_SET_VALUE | FCommand.View));
            TValue existing;
            if (!FindValue(key.Get(), name, existing)) {
                throw vx::Exception(NotFound);
            }
            if (!Confirmed("Delete the registry value " + DisplayName(name) + " (Yes/No)? ",
                           "Not deleting the value " + DisplayName(name) +
                               " without confirmation; give /f to delete it.")) {
                return 1;
            }
            Check(RegDeleteValue(key.Get(), name));
        } else {
            if (Key().Path.empty()) {
                throw EUsage("A root key cannot be deleted.");
            }
            const TKeyHandle existing(OpenKey(Key().Root, Key().Path, FRead)); // must exist
            if (!Confirmed("Permanently delete the registry key " + Key().FullName() +
                               " (Yes/No)? ",
                           "Not deleting the key " + Key().FullName() +
                               " without confirmation; give /f to delete it.")) {
                return 1;
            }
            const auto slash = Key().Path.rfind('\\');
            const std::string leaf =
                slash == std::string::npos ? Key().Path : Key().Path.substr(slash + 1);
            if (slash == std::string::npos) {
                Check(RegDeleteTree(Key().Root, leaf));
            } else {
                const TKeyHandle parent(
                    OpenKey(Key().Root, Key().Path.substr(0, slash), FRead | DELETE));
                Check(RegDeleteTree(parent.Get(), leaf));
            }
        }
        FOut << Completed << "\n";
        return 0;
    }

    void Collect(HKEY key, TRegKey& node) {
        for (TValue& value : Values(key)) {
            node.SetValue(TRegValue{std::move(value.Name), value.Type, std::move(value.Data), {}});
        }
        for (const std::string& name : SubKeys(key)) {
            const TKeyHandle sub(OpenKey(key, name, FRead));
            TRegKey& child = node.AddSubKey(name);
            child.Listed = true;
            Collect(sub.Get(), child);
        }
    }

    int Export() {
        const TKeyHandle key(OpenKey(Key().Root, Key().Path, FRead));
        TRegKey tree;
        tree.Listed = true;
        Collect(key.Get(), tree);
        const std::string text = FormatRegExport(tree, Key().FullName());

        namespace fs = std::filesystem;
        const fs::path file(FCommand.File);
        std::error_code error;
        if (fs::exists(file, error) &&
            !Confirmed("File " + FCommand.File + " already exists. Overwrite (Yes/No)? ",
                       "File " + FCommand.File +
                           " already exists; give /y to overwrite it without being asked.")) {
            return 1;
        }
        // Written beside the target and renamed, so a failed export leaves no half file.
        const fs::path temporary =
            file.string() + ".vxreg-" + std::to_string(static_cast<long>(::getpid()));
        {
            std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
            stream << text;
            stream.close();
            if (!stream) {
                fs::remove(temporary, error);
                throw vx::Exception("Cannot write the file " + FCommand.File + ".");
            }
        }
        fs::rename(temporary, file, error);
        if (error) {
            fs::remove(temporary, error);
            throw vx::Exception("Cannot write the file " + FCommand.File + ".");
        }
        FOut << Completed << "\n";
        return 0;
    }

    const TCommand& FCommand;
    std::ostream& FOut;
    const TConfirm& FConfirm;
    const REGSAM FRead;
};

} // namespace

int RunCommand(const TCommand& command, std::ostream& out, const TConfirm& confirm) {
    return TRunner(command, out, confirm).Run();
}

} // namespace vx::vxreg
