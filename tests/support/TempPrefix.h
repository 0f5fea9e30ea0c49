#pragma once

#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

// A throw-away prefix folder with hive files written from .reg text, and a registry store
// on it installed for the Reg* calls while the fixture lives.
class TTempPrefix {
public:
    TTempPrefix() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vx-prefix-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
    }
    ~TTempPrefix() {
        win::InstallRegistryStore(nullptr);
        std::error_code ec;
        std::filesystem::permissions(FDir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(FDir, ec);
    }
    TTempPrefix(const TTempPrefix&) = delete;
    TTempPrefix& operator=(const TTempPrefix&) = delete;

    const std::filesystem::path& Dir() const { return FDir; }

    void Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(FDir / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(FDir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Writes system.reg (and user.reg when given) as regedit 5.00 text from the lines given.
    void Hives(std::string_view machine, std::string_view user = {}) const {
        Write("system.reg", std::string(Header) + std::string(machine));
        if (!user.empty()) {
            Write("user.reg", std::string(Header) + std::string(user));
        }
    }

    // A new store on the folder, installed for the Reg* calls; problems are collected.
    std::shared_ptr<win::TRegistryStore> Install() {
        auto store = std::make_shared<win::TRegistryStore>(
            FDir, [this](const std::string& m) { FProblems.push_back(m); });
        win::InstallRegistryStore(store);
        return store;
    }

    const std::vector<std::string>& Problems() const { return FProblems; }

    static constexpr std::string_view Header = "Windows Registry Editor Version 5.00\r\n\r\n";

private:
    std::filesystem::path FDir;
    std::vector<std::string> FProblems;
};

} // namespace vx::test
