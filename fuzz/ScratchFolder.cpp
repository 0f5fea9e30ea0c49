#include "fuzz/ScratchFolder.h"

#include "fuzz/Check.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace vx::fuzz {
namespace {

// Removes the folder at exit; a crashed run leaves it for the caller's own scratch folder
// (scripts/fuzz points TMPDIR there).
class TScratchFolder {
public:
    TScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vxfuzz.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            Fail("cannot make a scratch folder");
        }
        FPath = pattern;
    }
    ~TScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(FPath, error);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

} // namespace

const std::filesystem::path& ScratchFolder() {
    static const TScratchFolder folder;
    return folder.Path();
}

void WriteScratchFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        Fail("cannot write " + file.string());
    }
}

} // namespace vx::fuzz
