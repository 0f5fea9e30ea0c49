#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Small PE images made in memory, for the tests of the version-resource reader: one .rsrc
// section holding a resource tree, with the positions of the fields a test may spoil.
namespace vx::test {

struct TPeResource {
    std::uint16_t Type;
    std::uint16_t Id;
    std::uint16_t Language;
    std::vector<std::uint8_t> Data;
};

struct TPeImageBytes {
    std::vector<std::uint8_t> Bytes;
    // File offsets of fields and structures.
    std::size_t NewHeaderOffsetField = 0x3C; // e_lfanew
    std::size_t PeHeader = 0;                // "PE\0\0"
    std::size_t SectionCountField = 0;
    std::size_t OptionalHeaderSizeField = 0;
    std::size_t OptionalHeader = 0;
    std::size_t DirectoryCountField = 0;      // NumberOfRvaAndSizes
    std::size_t ResourceDirectoryField = 0;   // the resource directory's RVA, then its size
    std::size_t SectionHeader = 0;            // the .rsrc section's header
    std::size_t ResourceRoot = 0;             // the root resource directory
    std::vector<std::size_t> LanguageEntries; // each resource's language-level entry
    std::vector<std::size_t> DataEntries;     // each resource's data entry, in input order
    std::vector<std::size_t> Data;            // each resource's data, in input order
};

// Empty sections (all fields zero) that stand in the section table before and after the one
// that holds the resources.
struct TPeEmptySections {
    std::size_t Before = 0;
    std::size_t After = 0;
};

// A PE32 (or PE32+) DLL image with one section that holds `resources` (grouped by type, then
// identifier, then language, each group in ascending order), among `empty` ones.
TPeImageBytes BuildPeImage(const std::vector<TPeResource>& resources, bool pe32Plus = false,
                           TPeEmptySections empty = {});

// A VS_VERSION_INFO block with the fixed information only: file version MS/LS.
std::vector<std::uint8_t> VersionBlock(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset);
void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

} // namespace vx::test
