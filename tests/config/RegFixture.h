#pragma once

#include "platform/RegistryStore.h"

#include <filesystem>
#include <memory>
#include <string>

namespace vx::test {

// A throw-away prefix: writes system.reg and user.reg from .reg text into a fresh temporary
// folder, installs a registry store on it as the process's registry and makes it the
// current prefix. The destructor removes the store, the prefix setting and the folder.
class TRegFixture {
public:
    static constexpr const char* Header = "Windows Registry Editor Version 5.00\r\n\r\n";

    // `systemReg` and `userReg` are the hive texts after the header line (added here).
    explicit TRegFixture(const std::string& systemReg = "", const std::string& userReg = "");
    // A copy of the prefix folder `templateDir` instead.
    struct TCopyOf {
        std::filesystem::path TemplateDir;
    };
    explicit TRegFixture(const TCopyOf& source);
    ~TRegFixture();
    TRegFixture(const TRegFixture&) = delete;
    TRegFixture& operator=(const TRegFixture&) = delete;

    const std::filesystem::path& Dir() const { return FDir; }
    win::TRegistryStore& Store() { return *FStore; }
    // Creates the folder that the Windows path `windowsPath` ("C:\a\b") maps to.
    void MakeFolder(const std::string& windowsPath) const;
    // Writes a hive file of the prefix with the header in front of `body`.
    void WriteHive(const std::string& fileName, const std::string& body) const;

private:
    void MakeDir();
    void Install();

    std::filesystem::path FDir;
    std::shared_ptr<win::TRegistryStore> FStore;
};

// The hex(N): byte list of an ASCII text (NULs included) stored as UTF-16LE, as regedit writes
// REG_EXPAND_SZ and REG_MULTI_SZ values: "a" -> "61,00".
std::string HexUtf16(const std::string& ascii);

} // namespace vx::test
