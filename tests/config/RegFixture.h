#pragma once

#include "support/TempPrefix.h"

#include <filesystem>
#include <string>

namespace vx::test {

// A temporary prefix with its hives written and its store installed at once.
class TRegFixture : public TTempPrefix {
public:
    // `systemReg` and `userReg` are the hive texts after the header line.
    explicit TRegFixture(const std::string& systemReg = "", const std::string& userReg = "") {
        std::filesystem::create_directories(Dir() / "drive_c");
        WriteHive("system.reg", systemReg);
        WriteHive("user.reg", userReg);
        Install();
    }
    struct TCopyOf {
        std::filesystem::path TemplateDir;
    };
    explicit TRegFixture(const TCopyOf& source) : TTempPrefix(source.TemplateDir) { Install(); }
};

} // namespace vx::test
