#pragma once

#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

// A throw-away prefix folder with hive files written from .reg text, and a registry store on
// it installed for the Reg* calls (and as the current prefix) while the fixture lives.
class TTempPrefix {
public:
    static constexpr std::string_view Header = "Windows Registry Editor Version 5.00\r\n\r\n";

    // An empty folder, or a copy of the prefix `templateDir`.
    TTempPrefix();
    explicit TTempPrefix(const std::filesystem::path& templateDir);
    ~TTempPrefix();
    TTempPrefix(const TTempPrefix&) = delete;
    TTempPrefix& operator=(const TTempPrefix&) = delete;

    const std::filesystem::path& Dir() const { return FDir; }

    void Write(const std::string& name, std::string_view bytes) const;
    std::string Read(const std::string& name) const;
    // Writes a hive file: the regedit 5.00 header followed by `body`.
    void WriteHive(const std::string& name, std::string_view body) const;
    // system.reg, and user.reg when given.
    void Hives(std::string_view machine, std::string_view user = {}) const;
    // Creates the folder that the Windows path "C:\a\b" maps to.
    void MakeFolder(const std::string& windowsPath) const;

    // A new store on the folder, installed; its problems are collected.
    std::shared_ptr<win::TRegistryStore> Install();
    win::TRegistryStore& Store() { return *FStore; }
    const std::vector<std::string>& Problems() const { return FProblems; }

private:
    std::filesystem::path FDir;
    std::shared_ptr<win::TRegistryStore> FStore;
    std::vector<std::string> FProblems;
};

// The hex(N): byte list of an ASCII text (NULs included) stored as UTF-16LE, as regedit writes
// REG_EXPAND_SZ and REG_MULTI_SZ values: "a" -> "61,00".
std::string HexUtf16(const std::string& ascii);

} // namespace vx::test
