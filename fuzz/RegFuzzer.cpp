// fuzz_reg: the bytes of a hive file. What parses must be written and read back as the same
// tree, in memory (ParseRegFile, FormatRegFile) and through a hive file on disk (a write that
// changes nothing, then a fresh load). Inputs that do not parse only have to fail cleanly.

#include "fuzz/Check.h"
#include "fuzz/ScratchFolder.h"
#include "platform/RegFormat.h"
#include "platform/RegHive.h"
#include "platform/RegHiveFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::fuzz {
namespace {

using win::TRegHive;
using win::TRegKey;

// The roots of the store's three hives (ARCHITECTURE.md).
constexpr const char* Roots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS\\.DEFAULT"};
constexpr const char* HiveFileName = "hive.reg";

// Every key, value and comment of `a` and `b`, in order, byte for byte.
void CompareKeys(const TRegKey& a, const TRegKey& b, const std::string& path, const char* step) {
    const auto fail = [&](const std::string& what) {
        Fail(std::string(step) + ": " + what + " of [" + path + "]");
    };
    if (a.Name() != b.Name()) {
        fail("the name");
    }
    if (a.Comments != b.Comments) {
        fail("the comments");
    }
    if (a.Values().size() != b.Values().size()) {
        fail("the number of values");
    }
    for (std::size_t i = 0; i < a.Values().size(); ++i) {
        const auto& x = a.Values()[i];
        const auto& y = b.Values()[i];
        if (x.Name != y.Name) {
            fail("the name of value " + std::to_string(i));
        }
        if (x.Type != y.Type) {
            fail("the type of value \"" + x.Name + "\"");
        }
        if (x.Data != y.Data) {
            fail("the data of value \"" + x.Name + "\"");
        }
        if (x.Comments != y.Comments) {
            fail("the comments of value \"" + x.Name + "\"");
        }
    }
    if (a.SubKeys().size() != b.SubKeys().size()) {
        fail("the number of subkeys");
    }
    for (std::size_t i = 0; i < a.SubKeys().size(); ++i) {
        CompareKeys(*a.SubKeys()[i], *b.SubKeys()[i], path + "\\" + a.SubKeys()[i]->Name(), step);
    }
}

void CompareHives(const TRegHive& a, const TRegHive& b, const std::string& root) {
    CompareKeys(a.Root, b.Root, root, "written and read back");
    if (a.TrailingComments != b.TrailingComments) {
        Fail("written and read back: the comments at the end");
    }
    if (a.Style.Regedit4 != b.Style.Regedit4 || a.Style.Encoding != b.Style.Encoding ||
        a.Style.Crlf != b.Style.Crlf) {
        Fail("written and read back: the file's style");
    }
}

// The tree through a hive file: loaded, saved by a change that changes nothing, loaded anew.
void CheckHiveFile(std::string_view bytes, const std::string& root, const TRegHive& parsed) {
    const auto file = ScratchFolder() / HiveFileName;
    WriteScratchFile(file, bytes);
    std::string reported;
    const auto report = [&reported](const std::string& message) { reported = message; };
    win::THiveFile hive(file, root, report);
    if (hive.Broken()) {
        Fail("a hive file that parses in memory is broken on disk: " + reported);
    }
    CompareKeys(parsed.Root, hive.Root(), root, "loaded from a file");
    if (hive.Modify([](TRegKey& /*root*/) { return win::ERROR_SUCCESS; }) != win::ERROR_SUCCESS) {
        Fail("a hive file that loaded cannot be saved: " + reported);
    }
    const win::THiveFile again(file, root, report);
    if (again.Broken()) {
        Fail("a saved hive file does not load: " + reported);
    }
    CompareKeys(parsed.Root, again.Root(), root, "saved and loaded again");
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const std::string root : Roots) {
        TRegHive hive;
        try {
            hive = vx::win::ParseRegFile(bytes, root);
        } catch (const vx::win::ERegParse&) {
            continue;
        }
        const std::string written = vx::win::FormatRegFile(hive, root);
        TRegHive again;
        try {
            again = vx::win::ParseRegFile(written, root);
        } catch (const vx::win::ERegParse& error) {
            Fail("a written hive does not parse: line " + std::to_string(error.Line()) + ": " +
                 error.what());
        }
        CompareHives(hive, again, root);
        CheckHiveFile(bytes, root, hive);
    }
    return 0;
}
