// fuzz_pe: the bytes of a file the product reads a version from. The version resource found in
// memory must be the one the file calls (GetFileVersionInfoSize, GetFileVersionInfo) give for
// the same bytes on disk; the version block parser reads what was found, and the input itself
// as a block, so that it is reached without a valid image around it.

#include "fuzz/Check.h"
#include "fuzz/ScratchFolder.h"
#include "platform/PeResources.h"
#include "platform/VersionInfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

namespace vx::fuzz {
namespace {

constexpr const char* ImageFileName = "image.dll";

// The sanitizers are the check: the parser must read only inside the block.
void ReadFixedInfo(const std::uint8_t* block, std::size_t size) {
    win::VS_FIXEDFILEINFO info{};
    const auto blockSize = static_cast<win::DWORD>(
        std::min<std::size_t>(size, std::numeric_limits<win::DWORD>::max()));
    static_cast<void>(win::VerQueryFixedFileInfo(block, blockSize, info));
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    using namespace vx::win;
    const TMemorySource memory(std::span<const std::uint8_t>(data, size));
    const auto found = FindPeResource(memory, RT_VERSION, VS_VERSION_INFO, MaxVersionInfoSize);
    if (found && found->size() > MaxVersionInfoSize) {
        Fail("a resource longer than asked for");
    }

    const auto file = ScratchFolder() / ImageFileName;
    WriteScratchFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    const DWORD infoSize = GetFileVersionInfoSize(file.string());
    if (infoSize != (found ? found->size() : 0)) {
        Fail("the file gives another version information size than the same bytes in memory");
    }
    if (infoSize > 0) {
        std::vector<std::uint8_t> block(infoSize);
        if (!GetFileVersionInfo(file.string(), infoSize, block.data()) || block != *found) {
            Fail("the file gives other version information than the same bytes in memory");
        }
        ReadFixedInfo(block.data(), block.size());
    }
    ReadFixedInfo(data, size);
    return 0;
}
