#include "TempPrefix.h"

#include "platform/Exception.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"

#include <fstream>
#include <stdlib.h>

namespace vx::test {

namespace fs = std::filesystem;

TTempPrefix::TTempPrefix() {
    std::string pattern = (fs::temp_directory_path() / "vx-prefix-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw vx::Exception("cannot create a temporary prefix");
    }
    FDir = pattern;
}

TTempPrefix::TTempPrefix(const fs::path& templateDir) : TTempPrefix() {
    fs::copy(templateDir, FDir, fs::copy_options::recursive);
}

TTempPrefix::~TTempPrefix() {
    win::InstallRegistryStore(nullptr);
    win::SetCurrentPrefixDir({});
    FStore.reset();
    std::error_code ec;
    fs::permissions(FDir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FDir, ec);
}

void TTempPrefix::Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(FDir / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TTempPrefix::Read(const std::string& name) const {
    std::ifstream in(FDir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void TTempPrefix::WriteHive(const std::string& name, std::string_view body) const {
    Write(name, std::string(Header) + std::string(body));
}

void TTempPrefix::Hives(std::string_view machine, std::string_view user) const {
    WriteHive("system.reg", machine);
    if (!user.empty()) {
        WriteHive("user.reg", user);
    }
}

void TTempPrefix::MakeFolder(const std::string& windowsPath) const {
    const auto mapped = win::MapWindowsPath(FDir, windowsPath);
    if (!mapped) {
        throw vx::Exception("no mapping for " + windowsPath);
    }
    fs::create_directories(*mapped);
}

std::shared_ptr<win::TRegistryStore> TTempPrefix::Install() {
    FStore = std::make_shared<win::TRegistryStore>(
        FDir, [this](const std::string& message) { FProblems.push_back(message); });
    win::InstallRegistryStore(FStore);
    win::SetCurrentPrefixDir(FDir);
    return FStore;
}

std::string HexUtf16(const std::string& ascii) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : ascii) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) {
            hex += ',';
        }
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
        hex += ",00";
    }
    return hex;
}

} // namespace vx::test
