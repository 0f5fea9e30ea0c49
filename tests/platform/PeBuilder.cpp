#include "PeBuilder.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace vx::test {

namespace {

constexpr std::uint32_t SectionRva = 0x1000;
constexpr std::size_t FileAlignment = 0x200;
constexpr std::size_t SectionHeaderSize = 40;
constexpr std::size_t PeHeaderOffset = 0x40;
constexpr std::uint16_t Pe32OptionalSize = 224;
constexpr std::uint16_t Pe32PlusOptionalSize = 240;
constexpr std::uint32_t SubdirectoryBit = 0x80000000u;

std::size_t Align(std::size_t value, std::size_t to) {
    return (value + to - 1) / to * to;
}

void PutDirectory(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t idEntries) {
    Put16(bytes, at + 14, idEntries);
}

} // namespace

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes.at(offset)) |
           (static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16) |
           (static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24);
}

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    Put16(bytes, offset, static_cast<std::uint16_t>(value));
    Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

TPeImageBytes BuildPeImage(const std::vector<TPeResource>& resources, bool pe32Plus,
                           TPeEmptySections empty) {
    // type -> id -> language -> index into `resources`
    std::map<std::uint16_t, std::map<std::uint16_t, std::map<std::uint16_t, std::size_t>>> tree;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        tree[resources[i].Type][resources[i].Id][resources[i].Language] = i;
    }

    // Section layout: every directory first, then the data entries, then the data.
    std::size_t offset = 16 + 8 * tree.size();
    std::map<std::uint16_t, std::size_t> typeDirs;
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::size_t> nameDirs;
    for (const auto& [type, names] : tree) {
        typeDirs[type] = offset;
        offset += 16 + 8 * names.size();
    }
    for (const auto& [type, names] : tree) {
        for (const auto& [id, languages] : names) {
            nameDirs[{type, id}] = offset;
            offset += 16 + 8 * languages.size();
        }
    }
    std::vector<std::size_t> entryOffsets(resources.size());
    for (std::size_t i = 0; i < resources.size(); ++i) {
        entryOffsets[i] = offset;
        offset += 16;
    }
    std::vector<std::size_t> dataOffsets(resources.size());
    for (std::size_t i = 0; i < resources.size(); ++i) {
        offset = Align(offset, 4);
        dataOffsets[i] = offset;
        offset += resources[i].Data.size();
    }
    const std::size_t sectionSize = Align(offset, FileAlignment);
    const std::uint16_t optionalSize = pe32Plus ? Pe32PlusOptionalSize : Pe32OptionalSize;
    const std::size_t sectionCount = empty.Before + 1 + empty.After;
    const std::size_t sectionTable = PeHeaderOffset + 4 + 20 + optionalSize;
    const std::size_t sectionFileOffset =
        Align(sectionTable + sectionCount * SectionHeaderSize, FileAlignment);

    TPeImageBytes image;
    image.LanguageEntries.resize(resources.size());
    auto& bytes = image.Bytes;
    bytes.assign(sectionFileOffset + sectionSize, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, image.NewHeaderOffsetField, PeHeaderOffset);

    image.PeHeader = PeHeaderOffset;
    bytes[PeHeaderOffset] = 'P';
    bytes[PeHeaderOffset + 1] = 'E';
    const std::size_t fileHeader = PeHeaderOffset + 4;
    Put16(bytes, fileHeader, pe32Plus ? 0x8664 : 0x14C);
    image.SectionCountField = fileHeader + 2;
    Put16(bytes, image.SectionCountField, static_cast<std::uint16_t>(sectionCount));
    image.OptionalHeaderSizeField = fileHeader + 16;
    Put16(bytes, image.OptionalHeaderSizeField, optionalSize);
    Put16(bytes, fileHeader + 18, 0x2102); // executable, 32-bit words, DLL

    image.OptionalHeader = fileHeader + 20;
    Put16(bytes, image.OptionalHeader, pe32Plus ? 0x20B : 0x10B);
    const std::size_t directories = image.OptionalHeader + (pe32Plus ? 112 : 96);
    image.DirectoryCountField = directories - 4;
    Put32(bytes, image.DirectoryCountField, 16);
    image.ResourceDirectoryField = directories + std::size_t{2} * 8;
    Put32(bytes, image.ResourceDirectoryField, SectionRva);
    Put32(bytes, image.ResourceDirectoryField + 4, static_cast<std::uint32_t>(offset));

    image.SectionHeader = sectionTable + empty.Before * SectionHeaderSize;
    for (std::size_t i = 0; i < 5; ++i) {
        bytes[image.SectionHeader + i] = static_cast<std::uint8_t>(std::string_view(".rsrc")[i]);
    }
    Put32(bytes, image.SectionHeader + 8, static_cast<std::uint32_t>(offset));
    Put32(bytes, image.SectionHeader + 12, SectionRva);
    Put32(bytes, image.SectionHeader + 16, static_cast<std::uint32_t>(sectionSize));
    Put32(bytes, image.SectionHeader + 20, static_cast<std::uint32_t>(sectionFileOffset));
    Put32(bytes, image.SectionHeader + 36, 0x40000040); // initialised data, readable

    const std::size_t root = sectionFileOffset;
    image.ResourceRoot = root;
    PutDirectory(bytes, root, static_cast<std::uint16_t>(tree.size()));
    std::size_t typeIndex = 0;
    for (const auto& [type, names] : tree) {
        const std::size_t typeEntry = root + 16 + 8 * typeIndex++;
        Put32(bytes, typeEntry, type);
        Put32(bytes, typeEntry + 4, static_cast<std::uint32_t>(typeDirs[type]) | SubdirectoryBit);
        const std::size_t typeDir = root + typeDirs[type];
        PutDirectory(bytes, typeDir, static_cast<std::uint16_t>(names.size()));
        std::size_t nameIndex = 0;
        for (const auto& [id, languages] : names) {
            const std::size_t nameEntry = typeDir + 16 + 8 * nameIndex++;
            const std::size_t nameDir = nameDirs[{type, id}];
            Put32(bytes, nameEntry, id);
            Put32(bytes, nameEntry + 4, static_cast<std::uint32_t>(nameDir) | SubdirectoryBit);
            PutDirectory(bytes, root + nameDir, static_cast<std::uint16_t>(languages.size()));
            std::size_t languageIndex = 0;
            for (const auto& [language, index] : languages) {
                const std::size_t languageEntry = root + nameDir + 16 + 8 * languageIndex++;
                Put32(bytes, languageEntry, language);
                image.LanguageEntries[index] = languageEntry;
                Put32(bytes, languageEntry + 4, static_cast<std::uint32_t>(entryOffsets[index]));
            }
        }
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const std::size_t entry = root + entryOffsets[i];
        Put32(bytes, entry, static_cast<std::uint32_t>(SectionRva + dataOffsets[i]));
        Put32(bytes, entry + 4, static_cast<std::uint32_t>(resources[i].Data.size()));
        std::copy(resources[i].Data.begin(), resources[i].Data.end(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(root + dataOffsets[i]));
        image.DataEntries.push_back(entry);
        image.Data.push_back(root + dataOffsets[i]);
    }
    return image;
}

std::vector<std::uint8_t> VersionBlock(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
    constexpr std::string_view key{"VS_VERSION_INFO\0", 16};
    constexpr std::size_t fixedOffset = 40;
    constexpr std::size_t length = fixedOffset + 52;
    std::vector<std::uint8_t> block(length, 0);
    Put16(block, 0, length);
    Put16(block, 2, 52);
    for (std::size_t i = 0; i < key.size(); ++i) {
        Put16(block, 6 + 2 * i, static_cast<std::uint8_t>(key[i]));
    }
    Put32(block, fixedOffset, 0xFEEF04BDu);
    Put32(block, fixedOffset + 4, 0x00010000u);
    Put32(block, fixedOffset + 8, fileVersionMS);
    Put32(block, fixedOffset + 12, fileVersionLS);
    Put32(block, fixedOffset + 16, fileVersionMS); // product version: the same
    Put32(block, fixedOffset + 20, fileVersionLS);
    return block;
}

} // namespace vx::test
