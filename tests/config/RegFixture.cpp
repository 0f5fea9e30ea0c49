#include "RegFixture.h"

#include "platform/Exception.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace vx::test {

namespace fs = std::filesystem;

TRegFixture::TRegFixture(const std::string& systemReg, const std::string& userReg) {
    MakeDir();
    fs::create_directories(FDir / "drive_c");
    WriteHive("system.reg", systemReg);
    WriteHive("user.reg", userReg);
    Install();
}

TRegFixture::TRegFixture(const TCopyOf& source) {
    MakeDir();
    fs::copy(source.TemplateDir, FDir, fs::copy_options::recursive);
    Install();
}

void TRegFixture::MakeDir() {
    std::string pattern = (fs::temp_directory_path() / "vx-config-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw vx::Exception("cannot create a temporary prefix");
    }
    FDir = pattern;
}

void TRegFixture::Install() {
    FStore = std::make_shared<win::TRegistryStore>(FDir, [](const std::string&) {});
    win::InstallRegistryStore(FStore);
    win::SetCurrentPrefixDir(FDir);
}

TRegFixture::~TRegFixture() {
    win::InstallRegistryStore(nullptr);
    win::SetCurrentPrefixDir({});
    FStore.reset();
    std::error_code ignored;
    fs::remove_all(FDir, ignored);
}

void TRegFixture::MakeFolder(const std::string& windowsPath) const {
    const auto mapped = win::MapWindowsPath(FDir, windowsPath);
    if (!mapped) {
        throw vx::Exception("no mapping for " + windowsPath);
    }
    fs::create_directories(*mapped);
}

void TRegFixture::WriteHive(const std::string& fileName, const std::string& body) const {
    std::ofstream out(FDir / fileName, std::ios::binary | std::ios::trunc);
    out << Header << body;
}

std::string HexUtf16(const std::string& ascii) {
    static const char* Digits = "0123456789abcdef";
    std::string hex;
    for (const char c : ascii) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) {
            hex += ',';
        }
        hex += Digits[byte >> 4];
        hex += Digits[byte & 15];
        hex += ",00";
    }
    return hex;
}

} // namespace vx::test
