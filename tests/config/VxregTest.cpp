// Runs the vxreg binary on a temporary prefix and reads its changes back in this process.
#include "RegFixture.h"
#include "config/ConfigManager.h"
#include "config/RegRead.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

namespace fs = std::filesystem;
using namespace vx::win;
using vx::test::TRegFixture;

const std::string WelcomeKey = "HKLM\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome";
const std::string NotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

struct TResult {
    int Code = -1;
    std::string Out;
    std::string Err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs vxreg with `args` on `prefix`, stdin not a terminal.
TResult RunVxreg(const fs::path& prefix, std::initializer_list<std::string> args) {
    const fs::path errFile = prefix.parent_path() / (prefix.filename().string() + ".stderr");
    std::string command = "VXTRAY_PREFIX=" + Quote(prefix.string()) + " " + Quote(VXREG_BINARY);
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    command += " </dev/null 2>" + Quote(errFile.string());
    TResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.Out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Err = ReadFile(errFile);
    fs::remove(errFile);
    return result;
}

// A 64-bit machine: HKLM\Software\Wow6432Node exists, so the views differ.
class Vxreg : public ::testing::Test {
protected:
    Vxreg() { FManager.SetProductName("Korvex - Thornet 2"); }

    TResult Run(std::initializer_list<std::string> args) { return RunVxreg(FPrefix.Dir(), args); }

    TRegFixture FPrefix{"[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node]\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\T]\r\n"
                        "@=\"d\"\r\n"
                        "\"N\"=dword:0000002a\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\T\\Sub]\r\n"
                        "\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                        "\"B\"=hex:01,ab\r\n"};
    TQELConfigManager FManager;
};

TEST_F(Vxreg, AddedValuesReachQueryAndARunningProcessInTheirView) {
    ASSERT_EQ(Run({"add", WelcomeKey, "/v", "LastUpdate", "/d", "2026-12-01 10:00"}).Code, 0);
    ASSERT_EQ(Run({"add", WelcomeKey, "/v", "LastUpdate", "/d", "native", "/reg:64"}).Code, 0);

    const TResult own = Run({"query", WelcomeKey, "/v", "LastUpdate", "/reg:32"});
    EXPECT_EQ(own.Code, 0) << own.Err;
    EXPECT_EQ(own.Out, "\nHKEY_LOCAL_MACHINE\\Software\\Qelvane Limited\\Korvex - Thornet "
                       "2\\Welcome\n    LastUpdate    REG_SZ    2026-12-01 10:00\n\n");
    const TResult native = Run({"query", WelcomeKey, "/v", "LastUpdate", "/reg:64"});
    EXPECT_NE(native.Out.find("    LastUpdate    REG_SZ    native\n"), std::string::npos);

    const std::string key = "\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome";
    std::string text;
    ASSERT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, key, "LastUpdate", 32, text));
    EXPECT_EQ(text, "2026-12-01 10:00");
    ASSERT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, key, "LastUpdate", 64, text));
    EXPECT_EQ(text, "native");
    ASSERT_TRUE(FManager.ReadString("Welcome", "LastUpdate", text));
    EXPECT_EQ(text, "2026-12-01 10:00") << "the configuration reads the process's own view";

    // A change made while this process holds the store is seen at the next read.
    ASSERT_EQ(
        Run({"add", WelcomeKey, "/v", "FileDBCount", "/t", "REG_DWORD", "/d", "4294967295"}).Code,
        0);
    std::int32_t count = 0;
    ASSERT_TRUE(FManager.ReadInteger("Welcome", "FileDBCount", count));
    EXPECT_EQ(count, -1);
    EXPECT_NE(Run({"query", WelcomeKey}).Out.find("    FileDBCount    REG_DWORD    0xffffffff\n"),
              std::string::npos);
}

TEST_F(Vxreg, QueryPrintsLikeRegExe) {
    const TResult plain = Run({"query", "HKEY_LOCAL_MACHINE\\Software\\T", "/reg:64"});
    EXPECT_EQ(plain.Code, 0);
    EXPECT_EQ(plain.Out, "\nHKEY_LOCAL_MACHINE\\Software\\T\n"
                         "    (Default)    REG_SZ    d\n"
                         "    N    REG_DWORD    0x2a\n"
                         "\nHKEY_LOCAL_MACHINE\\Software\\T\\Sub\n");
    const TResult tree = Run({"query", "hklm\\Software\\T", "/s", "/reg:64"});
    EXPECT_EQ(tree.Out, "\nHKEY_LOCAL_MACHINE\\Software\\T\n"
                        "    (Default)    REG_SZ    d\n"
                        "    N    REG_DWORD    0x2a\n"
                        "\nHKEY_LOCAL_MACHINE\\Software\\T\\Sub\n"
                        "    M    REG_MULTI_SZ    a\\0b\n"
                        "    B    REG_BINARY    01AB\n");
    const TResult byDefault = Run({"query", "HKLM\\Software\\T", "/ve", "/reg:64"});
    EXPECT_EQ(byDefault.Out, "\nHKEY_LOCAL_MACHINE\\Software\\T\n    (Default)    REG_SZ    d\n\n");
    const TResult search = Run({"query", "HKLM\\Software\\T", "/v", "b", "/s", "/reg:64"});
    EXPECT_EQ(search.Out, "\nHKEY_LOCAL_MACHINE\\Software\\T\\Sub\n"
                          "    B    REG_BINARY    01AB\n"
                          "\nEnd of search: 1 match(es) found.\n");
    // The process's own view of this 64-bit machine does not hold Software\T.
    const TResult redirected = Run({"query", "HKLM\\Software\\T"});
    EXPECT_EQ(redirected.Code, 1);
    EXPECT_EQ(redirected.Err, NotFound);
}

TEST_F(Vxreg, AddTypesAndDelete) {
    const std::string key = "HKCU\\Software\\Types";
    const struct {
        const char* Type;
        const char* Data;
        const char* Shown;
    } cases[] = {
        {"REG_SZ", "plain text", "REG_SZ    plain text"},
        {"REG_EXPAND_SZ", "%TEMP%\\x", "REG_EXPAND_SZ    %TEMP%\\x"},
        {"REG_MULTI_SZ", "one\\0two", "REG_MULTI_SZ    one\\0two"},
        {"REG_DWORD", "0x10", "REG_DWORD    0x10"},
        {"REG_QWORD", "18446744073709551615", "REG_QWORD    0xffffffffffffffff"},
        {"REG_BINARY", "00ff10", "REG_BINARY    00FF10"},
        {"REG_NONE", "", "REG_NONE    "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Type);
        const TResult added = Run({"add", key, "/v", c.Type, "/t", c.Type, "/d", c.Data});
        ASSERT_EQ(added.Code, 0) << added.Err;
        EXPECT_EQ(added.Out, "The operation completed successfully.\n");
        EXPECT_EQ(Run({"query", key, "/v", c.Type}).Out,
                  "\nHKEY_CURRENT_USER\\Software\\Types\n    " + std::string(c.Type) + "    " +
                      c.Shown + "\n\n");
    }
    std::string text;
    ASSERT_TRUE(RegReadString(HKEY_CURRENT_USER, "\\Software\\Types", "REG_MULTI_SZ", 32, text));
    EXPECT_EQ(text, "one\r\ntwo\r\n");

    EXPECT_EQ(Run({"delete", key, "/v", "REG_SZ", "/f"}).Code, 0);
    EXPECT_EQ(Run({"query", key, "/v", "REG_SZ"}).Err, NotFound);
    EXPECT_EQ(Run({"delete", key, "/f"}).Code, 0);
    EXPECT_EQ(Run({"query", key}).Err, NotFound);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "\\Software\\Types", 0));
}

TEST_F(Vxreg, ExportWritesAFileThatLoadsAsAHive) {
    const fs::path file = FPrefix.Dir() / "export.reg";
    const TResult exported = Run({"export", "HKLM\\Software\\T", file.string(), "/reg:64"});
    ASSERT_EQ(exported.Code, 0) << exported.Err;
    const std::string text = ReadFile(file);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00", 0), 0u);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\T\\Sub]"), std::string::npos);

    TRegFixture copy;
    fs::copy_file(file, copy.Dir() / "system.reg", fs::copy_options::overwrite_existing);
    EXPECT_EQ(RunVxreg(copy.Dir(), {"query", "HKLM\\Software\\T", "/s"}).Out,
              Run({"query", "HKLM\\Software\\T", "/s", "/reg:64"}).Out);

    // An existing file is not overwritten without /y when nobody can be asked.
    const TResult again = Run({"export", "HKLM\\Software\\T\\Sub", file.string(), "/reg:64"});
    EXPECT_EQ(again.Code, 1);
    EXPECT_EQ(ReadFile(file), text);
}

TEST_F(Vxreg, ErrorsChangeNothing) {
    const fs::path system = FPrefix.Dir() / "system.reg";
    const std::string before = ReadFile(system);
    const struct {
        const char* Name;
        std::initializer_list<std::string> Args;
        const char* Error; // part of the message
    } cases[] = {
        {"unknown root",
         {"add", "HKXY\\Software\\X", "/f"},
         "Invalid key name 'HKXY\\Software\\X'"},
        {"unknown key", {"query", "HKLM\\Software\\Missing"}, "unable to find"},
        {"unknown value",
         {"delete", "HKLM\\Software\\T", "/v", "Nope", "/f", "/reg:64"},
         "unable to find"},
        {"overwrite without terminal",
         {"add", "HKLM\\Software\\T", "/ve", "/d", "x", "/reg:64"},
         "give /f"},
        {"delete without terminal", {"delete", "HKLM\\Software\\T", "/reg:64"}, "give /f"},
        {"bad dword",
         {"add", "HKLM\\Software\\New", "/v", "N", "/t", "REG_DWORD", "/d", "12x"},
         "Invalid data '12x' for REG_DWORD"},
        {"dword too large",
         {"add", "HKLM\\Software\\New", "/v", "N", "/t", "REG_DWORD", "/d", "4294967296"},
         "too large"},
        {"odd binary",
         {"add", "HKLM\\Software\\New", "/v", "N", "/t", "REG_BINARY", "/d", "abc"},
         "even number"},
        {"bad type", {"add", "HKLM\\Software\\New", "/v", "N", "/t", "REG_LINK"}, "Invalid type"},
        {"root delete", {"delete", "HKLM", "/f"}, "root key"},
        {"no key", {"query"}, "exactly one key"},
        {"bad option", {"query", "HKLM", "/d", "x"}, "Invalid option '/d'"},
        {"bad operation", {"copy", "HKLM"}, "Invalid operation 'copy'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TResult result = RunVxreg(FPrefix.Dir(), c.Args);
        EXPECT_EQ(result.Code, 1);
        EXPECT_NE(result.Err.find(c.Error), std::string::npos) << result.Err;
        EXPECT_EQ(ReadFile(system), before);
    }
}

TEST_F(Vxreg, ReadOnlyHiveIsAccessDenied) {
    const fs::path system = FPrefix.Dir() / "system.reg";
    const std::string before = ReadFile(system);
    fs::permissions(system,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    for (const auto& args : {std::initializer_list<std::string>{"add", WelcomeKey, "/v", "X"},
                             {"delete", "HKLM\\Software\\T", "/v", "N", "/f", "/reg:64"},
                             {"delete", "HKLM\\Software\\T\\Sub", "/f", "/reg:64"}}) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Code, 1);
        EXPECT_EQ(result.Err, "ERROR: Access is denied.\n");
    }
    EXPECT_EQ(ReadFile(system), before);
    EXPECT_EQ(Run({"query", "HKLM\\Software\\T", "/reg:64"}).Code, 0) << "reads still work";
}

TEST_F(Vxreg, BrokenHiveIsReportedWithFileAndLine) {
    FPrefix.WriteHive("user.reg", "[HKEY_CURRENT_USER\\Software\\X]\r\n\"a\"=dword:zz\r\n");
    const std::string user = ReadFile(FPrefix.Dir() / "user.reg");
    const std::string system = ReadFile(FPrefix.Dir() / "system.reg");
    for (const auto& args : {std::initializer_list<std::string>{"query", "HKLM"},
                             {"add", "HKCU\\Software\\X", "/v", "b", "/f"}}) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Code, 1);
        EXPECT_NE(result.Err.find("user.reg:4:"), std::string::npos) << result.Err;
        EXPECT_EQ(result.Out, "");
    }
    EXPECT_EQ(ReadFile(FPrefix.Dir() / "user.reg"), user);
    EXPECT_EQ(ReadFile(FPrefix.Dir() / "system.reg"), system);
}

TEST(VxregPrefix, AMissingPrefixIsAnErrorAndIsNotCreated) {
    const fs::path missing = fs::temp_directory_path() / "vx-config-no-such-prefix";
    fs::remove_all(missing);
    const TResult result = RunVxreg(missing, {"add", "HKLM\\Software\\X", "/f"});
    EXPECT_EQ(result.Code, 1);
    EXPECT_NE(result.Err.find("does not exist"), std::string::npos) << result.Err;
    EXPECT_FALSE(fs::exists(missing));
}

} // namespace
} // namespace vx::config
