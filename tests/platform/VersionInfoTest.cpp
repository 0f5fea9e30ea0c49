#include "platform/VersionInfo.h"

#include "PeBuilder.h"
#include "platform/PeResources.h"
#include "support/TempPrefix.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;
using test::BuildPeImage;
using test::Put16;
using test::Put32;
using test::TPeEmptySections;
using test::TPeImageBytes;
using test::TPeResource;
using test::VersionBlock;

constexpr std::uint16_t RT_RCDATA = 10;

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::string VersionText(const VS_FIXEDFILEINFO& info) {
    return std::to_string(info.dwFileVersionMS >> 16) + "." +
           std::to_string(info.dwFileVersionMS & 0xFFFF) + "." +
           std::to_string(info.dwFileVersionLS >> 16) + "." +
           std::to_string(info.dwFileVersionLS & 0xFFFF);
}

// The file version of a version block; "" when it has none.
std::string BlockVersion(const std::vector<std::uint8_t>& block) {
    VS_FIXEDFILEINFO info{};
    if (!VerQueryFixedFileInfo(block.data(), static_cast<DWORD>(block.size()), info)) {
        return {};
    }
    return VersionText(info);
}

// The file version of an image in memory; "" when it has none.
std::string ImageVersion(const std::vector<std::uint8_t>& image) {
    const TMemorySource source(image);
    const auto block = FindPeResource(source, RT_VERSION, VS_VERSION_INFO, MaxVersionInfoSize);
    return block ? BlockVersion(*block) : std::string();
}

// Through the file calls, as the status loader reads it; "" when it has none.
std::string FileVersion(const std::string& fileName) {
    const DWORD size = GetFileVersionInfoSize(fileName);
    if (size == 0) {
        return {};
    }
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfo(fileName, size, block.data())) {
        return {};
    }
    return BlockVersion(block);
}

// A source that counts its reads: a walk over a spoiled image must stay short.
class TCountingSource : public TMemorySource {
public:
    using TMemorySource::TMemorySource;
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
        ++FReads;
        return TMemorySource::ReadAt(offset, out, count);
    }
    mutable std::size_t FReads = 0;
};

// A version 1.2.3.4 behind a data resource of a lower type, so the walk has to skip one.
std::vector<TPeResource> StandardResources() {
    return {{RT_RCDATA, 7, 0x409, {1, 2, 3, 4, 5}},
            {RT_VERSION, VS_VERSION_INFO, 0x409, VersionBlock(0x00010002, 0x00030004)}};
}

TEST(VersionBlockTest, FixedInformationOnlyFromAWellFormedRootBlock) {
    struct TCase {
        const char* Name;
        std::function<void(std::vector<std::uint8_t>&)> Spoil;
        std::string Expected;
    };
    const TCase cases[] = {
        {"intact", [](auto&) {}, "1.2.3.4"},
        {"length claims more than the buffer", [](auto& b) { Put16(b, 0, 0xFFFF); }, "1.2.3.4"},
        {"length too short for the fixed part", [](auto& b) { Put16(b, 0, 80); }, ""},
        {"buffer shorter than the fixed part", [](auto& b) { b.resize(70); }, ""},
        {"buffer shorter than the header", [](auto& b) { b.resize(5); }, ""},
        {"no value", [](auto& b) { Put16(b, 2, 0); }, ""},
        {"value shorter than the fixed part", [](auto& b) { Put16(b, 2, 40); }, ""},
        {"another key", [](auto& b) { Put16(b, 6, 'X'); }, ""},
        {"key without its NUL", [](auto& b) { Put16(b, 36, 'X'); }, ""},
        {"wrong signature", [](auto& b) { Put32(b, 40, 0xFEEF04BE); }, ""},
    };
    for (const auto& c : cases) {
        auto block = VersionBlock(0x00010002, 0x00030004);
        c.Spoil(block);
        EXPECT_EQ(BlockVersion(block), c.Expected) << c.Name;
    }
    VS_FIXEDFILEINFO info{};
    EXPECT_FALSE(VerQueryFixedFileInfo(nullptr, 100, info));
}

TEST(VersionBlockTest, AllFieldsAreTakenLittleEndian) {
    auto block = VersionBlock(0xA0010203, 0xFFFF8001);
    VS_FIXEDFILEINFO info{};
    ASSERT_TRUE(VerQueryFixedFileInfo(block.data(), static_cast<DWORD>(block.size()), info));
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwFileVersionMS, 0xA0010203u);
    EXPECT_EQ(info.dwFileVersionLS, 0xFFFF8001u);
    EXPECT_EQ(VersionText(info), "40961.515.65535.32769");
}

struct TImageCase {
    const char* Name;
    std::function<void(TPeImageBytes&)> Spoil;
    std::string Expected;
    bool Pe32Plus = false;
    std::vector<TPeResource> Resources = StandardResources();
};

// Every field on the way to the version block, spoiled one at a time.
TEST(PeVersionResourceTest, BrokenImagesHaveNoVersionAndNeverReadOutside) {
    const auto none = [](TPeImageBytes&) {};
    const auto versionEntry = [](TPeImageBytes& i) { return i.DataEntries.at(1); };
    const auto typeEntry = [](TPeImageBytes& i) { return i.ResourceRoot + 16 + 8; };
    const TImageCase cases[] = {
        {"intact PE32", none, "1.2.3.4"},
        {"intact PE32+", none, "1.2.3.4", true},
        {"no MZ", [](auto& i) { i.Bytes[0] = 'X'; }, ""},
        {"new header past the end",
         [](auto& i) { Put32(i.Bytes, i.NewHeaderOffsetField, 0x10000); }, ""},
        {"new header at 4 GiB", [](auto& i) { Put32(i.Bytes, i.NewHeaderOffsetField, 0xFFFFFFFC); },
         ""},
        {"no PE signature", [](auto& i) { i.Bytes[i.PeHeader + 1] = 'X'; }, ""},
        {"unknown optional header", [](auto& i) { Put16(i.Bytes, i.OptionalHeader, 0x107); }, ""},
        {"PE32+ magic on a PE32 header", [](auto& i) { Put16(i.Bytes, i.OptionalHeader, 0x20B); },
         ""},
        {"two data directories", [](auto& i) { Put32(i.Bytes, i.DirectoryCountField, 2); }, ""},
        {"optional header ends before the resource directory",
         [](auto& i) { Put16(i.Bytes, i.OptionalHeaderSizeField, 100); }, ""},
        {"optional header size zero", [](auto& i) { Put16(i.Bytes, i.OptionalHeaderSizeField, 0); },
         ""},
        {"no resource directory", [](auto& i) { Put32(i.Bytes, i.ResourceDirectoryField, 0); }, ""},
        {"resource directory outside every section",
         [](auto& i) { Put32(i.Bytes, i.ResourceDirectoryField, 0xFFFFFFF0); }, ""},
        {"no sections", [](auto& i) { Put16(i.Bytes, i.SectionCountField, 0); }, ""},
        {"65535 sections", [](auto& i) { Put16(i.Bytes, i.SectionCountField, 0xFFFF); }, ""},
        {"section data past the end",
         [](auto& i) { Put32(i.Bytes, i.SectionHeader + 20, 0xFFFFFF00); }, ""},
        {"section claims 4 GiB of data",
         [](auto& i) { Put32(i.Bytes, i.SectionHeader + 16, 0xFFFFFFFF); }, "1.2.3.4"},
        {"65535 named entries before the types",
         [](auto& i) { Put16(i.Bytes, i.ResourceRoot + 12, 0xFFFF); }, ""},
        {"65535 type entries", [](auto& i) { Put16(i.Bytes, i.ResourceRoot + 14, 0xFFFF); },
         "1.2.3.4"},
        {"type entry leads to data",
         [&](auto& i) {
             const auto at = typeEntry(i) + 4;
             Put32(i.Bytes, at, test::Get32(i.Bytes, at) & 0x7FFFFFFFu);
         },
         ""},
        {"language entry leads to a directory",
         [](auto& i) {
             const auto at = i.LanguageEntries.at(1) + 4;
             Put32(i.Bytes, at, test::Get32(i.Bytes, at) | 0x80000000u);
         },
         ""},
        {"type directory at 2 GiB", [&](auto& i) { Put32(i.Bytes, typeEntry(i) + 4, 0xFFFFFFF8); },
         ""},
        {"type directory is the root",
         [&](auto& i) { Put32(i.Bytes, typeEntry(i) + 4, 0x80000000); }, ""},
        {"name directory is the root, whose first entry leads to data",
         [&](auto& i) {
             const auto nameEntry =
                 i.ResourceRoot + (test::Get32(i.Bytes, typeEntry(i) + 4) & 0x7FFFFFFFu) + 16;
             Put32(i.Bytes, nameEntry + 4, 0x80000000);
             Put32(i.Bytes, i.ResourceRoot + 16 + 4,
                   static_cast<std::uint32_t>(versionEntry(i) - i.ResourceRoot));
         },
         ""},
        {"data entry outside every section",
         [&](auto& i) { Put32(i.Bytes, versionEntry(i), 0xFFFFFFF0); }, ""},
        {"data claims 4 GiB", [&](auto& i) { Put32(i.Bytes, versionEntry(i) + 4, 0xFFFFFFFF); },
         ""},
        {"data shorter than its block", [&](auto& i) { Put32(i.Bytes, versionEntry(i) + 4, 60); },
         ""},
        {"empty data", [&](auto& i) { Put32(i.Bytes, versionEntry(i) + 4, 0); }, ""},
        {"no version resource", none, "", false, {{RT_RCDATA, 1, 0, {1, 2, 3}}}},
        {"no resources at all", none, "", false, {}},
        {"version under another identifier",
         none,
         "",
         false,
         {{RT_VERSION, 2, 0x409, VersionBlock(0x00010002, 0x00030004)}}},
        {"first language wins",
         none,
         "5.6.7.8",
         false,
         {{RT_VERSION, VS_VERSION_INFO, 0x407, VersionBlock(0x00050006, 0x00070008)},
          {RT_VERSION, VS_VERSION_INFO, 0x409, VersionBlock(0x00010002, 0x00030004)}}},
    };
    for (const auto& c : cases) {
        auto image = BuildPeImage(c.Resources, c.Pe32Plus);
        c.Spoil(image);
        EXPECT_EQ(ImageVersion(image.Bytes), c.Expected) << c.Name;
    }
}

// Moves the root directory's first entry to `index`, the ones before it up: the types are
// then out of order, as only a hostile file has them.
void MoveFirstTypeEntry(TPeImageBytes& image, std::size_t index) {
    const auto first = image.Bytes.begin() + static_cast<std::ptrdiff_t>(image.ResourceRoot + 16);
    std::rotate(first, first + 8, first + static_cast<std::ptrdiff_t>(8 * (index + 1)));
}

// `count` data resources of types above RT_VERSION, so that the version's type comes first.
std::vector<TPeResource> OtherTypes(std::size_t count) {
    std::vector<TPeResource> resources;
    for (std::size_t i = 0; i < count; ++i) {
        resources.push_back({static_cast<std::uint16_t>(RT_VERSION + 1 + i), 1, 0, {}});
    }
    return resources;
}

// The reader looks at the first MaxPeSections sections and the first MaxPeResourceEntries
// entries of a directory: a version just within either bound is found, one just past it not.
TEST(PeVersionResourceTest, SectionsAndEntriesPastTheLimitsAreNotLookedAt) {
    struct TCase {
        const char* Name;
        TPeEmptySections Empty;
        std::size_t TypesBefore;
        std::string Expected;
    };
    const TCase cases[] = {
        {"resources in the last section looked at", {MaxPeSections - 1, 0}, 0, "1.2.3.4"},
        {"resources in the first section not looked at", {MaxPeSections, 0}, 0, ""},
        {"resources first of 65535 sections", {0, 65534}, 0, "1.2.3.4"},
        {"version type in the last entry looked at", {}, MaxPeResourceEntries - 1, "1.2.3.4"},
        {"version type in the first entry not looked at", {}, MaxPeResourceEntries, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto resources = OtherTypes(c.TypesBefore);
        resources.push_back(StandardResources().back());
        auto image = BuildPeImage(resources, false, c.Empty);
        MoveFirstTypeEntry(image, c.TypesBefore);
        EXPECT_EQ(ImageVersion(image.Bytes), c.Expected);
    }
}

TEST(PeVersionResourceTest, HostileFilesAreAnsweredAfterFewReads) {
    // 65535 sections and a root directory of 65535 types without RT_VERSION: some megabytes
    // that took seconds per version read.
    std::vector<TPeResource> resources = OtherTypes(0xFFFF - RT_VERSION);
    for (std::uint16_t type = 1; type < RT_VERSION; ++type) {
        resources.push_back({type, 1, 0, {}});
    }
    struct TCase {
        const char* Name;
        TPeEmptySections Empty;
    };
    const TCase cases[] = {
        {"resources in the last section looked at", {MaxPeSections - 1, 0xFFFF - MaxPeSections}},
        {"resources in the last section", {0xFFFE, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto image = BuildPeImage(resources, false, c.Empty);
        Put16(image.Bytes, image.ResourceRoot + 14, 0xFFFF);
        const TCountingSource source(image.Bytes);
        EXPECT_FALSE(FindPeResource(source, RT_VERSION, VS_VERSION_INFO, MaxVersionInfoSize));
        // The headers, the root directory and the entries looked at in it, nothing more.
        EXPECT_LE(source.FReads, MaxPeResourceEntries + 8);
    }
}

class VersionFileTest : public ::testing::Test {
protected:
    test::TTempPrefix FPrefix;

    std::string Path(const std::string& name) const { return (FPrefix.Dir() / name).string(); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
};

TEST_F(VersionFileTest, TheToolchainsLibraryGivesItsVersion) {
    const auto size = GetFileVersionInfoSize(VX_SCANLIB_DLL);
    EXPECT_GT(size, 92u);
    EXPECT_LE(size, MaxVersionInfoSize);
    EXPECT_EQ(FileVersion(VX_SCANLIB_DLL), VX_SCANLIB_VERSION);
    // A buffer smaller than the information gets what fits, and the query sees it is short.
    std::vector<std::uint8_t> part(60);
    EXPECT_TRUE(GetFileVersionInfo(VX_SCANLIB_DLL, 60, part.data()));
    EXPECT_EQ(BlockVersion(part), "");
}

TEST_F(VersionFileTest, FilesWithoutAVersionResource) {
    FPrefix.Write("text.dll", "This program cannot be run in DOS mode.\r\n");
    FPrefix.Write("empty.dll", "");
    fs::create_directory(FPrefix.Dir() / "folder.dll");
    ASSERT_EQ(::mkfifo(Path("fifo.dll").c_str(), 0600), 0);
    const std::string files[] = {VX_NOVERSION_DLL,   Path("text.dll"), Path("empty.dll"),
                                 Path("folder.dll"), Path("fifo.dll"), Path("missing.dll"),
                                 "relative.dll"};
    for (const auto& file : files) {
        EXPECT_EQ(GetFileVersionInfoSize(file), 0u) << file;
        std::uint8_t byte = 0;
        EXPECT_FALSE(GetFileVersionInfo(file, 1, &byte)) << file;
    }
}

TEST_F(VersionFileTest, WindowsPathsAreReadInThePrefix) {
    FPrefix.Install();
    FPrefix.MakeFolder("C:\\Program Files\\Suite");
    fs::copy_file(VX_SCANLIB_DLL, FPrefix.Dir() / "drive_c/Program Files/Suite/krvxscanlib.dll");
    EXPECT_EQ(FileVersion("c:\\PROGRAM FILES\\suite\\KRVXSCANLIB.DLL"), VX_SCANLIB_VERSION);
}

TEST_F(VersionFileTest, TruncatedLibrariesHaveNoVersionUntilTheBlockIsWhole) {
    const auto whole = ReadBytes(VX_SCANLIB_DLL);
    ASSERT_FALSE(whole.empty());
    std::size_t firstWhole = whole.size();
    for (std::size_t length = whole.size(); length-- > 0;) {
        const std::vector<std::uint8_t> part(whole.begin(),
                                             whole.begin() + static_cast<std::ptrdiff_t>(length));
        const std::string version = ImageVersion(part);
        if (version.empty()) {
            break;
        }
        EXPECT_EQ(version, VX_SCANLIB_VERSION) << length;
        firstWhole = length;
    }
    // Below the end of the version block nothing is found, whatever the length.
    for (std::size_t length = 0; length < firstWhole; ++length) {
        const std::vector<std::uint8_t> part(whole.begin(),
                                             whole.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(ImageVersion(part), "") << length;
    }
    // The file reader sees the same through the file's size.
    const auto half = std::vector<std::uint8_t>(
        whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    EXPECT_EQ(FileVersion(Write("half.dll", half)), "");
}

TEST_F(VersionFileTest, RandomlySpoiledLibrariesNeverCrashOrRunAway) {
    const auto whole = ReadBytes(VX_SCANLIB_DLL);
    ASSERT_FALSE(whole.empty());
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> count(1, 12);
    int found = 0;
    for (int round = 0; round < 4000; ++round) {
        auto image = whole;
        for (int n = count(random); n > 0; --n) {
            image[position(random)] = static_cast<std::uint8_t>(byte(random));
        }
        const TCountingSource source(image);
        const auto block = FindPeResource(source, RT_VERSION, VS_VERSION_INFO, MaxVersionInfoSize);
        // Two directories of 65535 entries each, plus the headers.
        ASSERT_LT(source.FReads, 2u * 65536u + 64u) << round;
        if (block) {
            ASSERT_LE(block->size(), MaxVersionInfoSize);
            found += BlockVersion(*block).empty() ? 0 : 1;
        }
    }
    // Most spoiled bytes land outside the path to the version; those images still read.
    EXPECT_GT(found, 0);
}

} // namespace
} // namespace vx::win
