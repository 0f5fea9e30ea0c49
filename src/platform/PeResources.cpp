#include "platform/PeResources.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx::win {

namespace {

// Layout of the PE structures this reader walks (offsets in bytes).
constexpr std::uint16_t DosMagic = 0x5A4D; // "MZ"
constexpr std::uint64_t DosNewHeaderOffset = 0x3C;
constexpr std::uint32_t PeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint64_t FileHeaderSize = 20;
constexpr std::uint64_t SectionCountOffset = 2;        // in the file header
constexpr std::uint64_t OptionalHeaderSizeOffset = 16; // in the file header
constexpr std::uint16_t Pe32Magic = 0x10B;
constexpr std::uint16_t Pe32PlusMagic = 0x20B;
constexpr std::uint64_t Pe32DirectoriesOffset = 96; // in the optional header
constexpr std::uint64_t Pe32PlusDirectoriesOffset = 112;
constexpr std::uint64_t DirectoryEntrySize = 8;
constexpr std::uint32_t ResourceDirectoryIndex = 2;
constexpr std::uint64_t SectionHeaderSize = 40;
constexpr std::uint64_t ResourceDirectorySize = 16;
constexpr std::uint64_t ResourceEntrySize = 8;
constexpr std::uint32_t HighBit = 0x80000000u;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct TSection {
    std::uint32_t VirtualAddress;
    std::uint32_t RawSize;
    std::uint32_t RawOffset;
};

// The image as the resource walk sees it: reads by relative virtual address.
class TPeImage {
public:
    explicit TPeImage(const TByteSource& source) : FSource(source) {}

    // Reads the headers; false when this is no PE image with a resource directory.
    bool Open();
    std::uint32_t ResourceRva() const { return FResourceRva; }

    // Reads `count` bytes at `rva`, which must lie inside one section's data in the file.
    bool ReadRva(std::uint64_t rva, void* out, std::size_t count) const;
    bool ReadU32Rva(std::uint64_t rva, std::uint32_t& value) const {
        std::uint8_t bytes[4];
        if (!ReadRva(rva, bytes, sizeof bytes)) {
            return false;
        }
        value = U32(bytes);
        return true;
    }

private:
    bool Read(std::uint64_t offset, void* out, std::size_t count) const {
        return FSource.ReadAt(offset, out, count);
    }

    const TByteSource& FSource;
    std::vector<TSection> FSections;
    std::uint32_t FResourceRva = 0;
};

bool TPeImage::Open() {
    std::uint8_t dos[DosNewHeaderOffset + 4];
    if (!Read(0, dos, sizeof dos) || U16(dos) != DosMagic) {
        return false;
    }
    const std::uint64_t peOffset = U32(dos + DosNewHeaderOffset);
    std::uint8_t head[4 + FileHeaderSize];
    if (!Read(peOffset, head, sizeof head) || U32(head) != PeSignature) {
        return false;
    }
    const std::uint8_t* fileHeader = head + 4;
    const std::uint64_t optionalSize = U16(fileHeader + OptionalHeaderSizeOffset);
    const std::uint64_t optionalOffset = peOffset + 4 + FileHeaderSize;

    std::uint8_t magic[2];
    if (optionalSize < sizeof magic || !Read(optionalOffset, magic, sizeof magic)) {
        return false;
    }
    std::uint64_t directories = 0;
    if (U16(magic) == Pe32Magic) {
        directories = Pe32DirectoriesOffset;
    } else if (U16(magic) == Pe32PlusMagic) {
        directories = Pe32PlusDirectoriesOffset;
    } else {
        return false;
    }
    // The directory count stands just before the directories.
    const std::uint64_t resourceEntry = directories + ResourceDirectoryIndex * DirectoryEntrySize;
    if (optionalSize < resourceEntry + DirectoryEntrySize) {
        return false;
    }
    std::uint8_t count[4];
    std::uint8_t entry[DirectoryEntrySize];
    if (!Read(optionalOffset + directories - 4, count, sizeof count) ||
        U32(count) <= ResourceDirectoryIndex ||
        !Read(optionalOffset + resourceEntry, entry, sizeof entry)) {
        return false;
    }
    FResourceRva = U32(entry);
    if (FResourceRva == 0 || U32(entry + 4) == 0) {
        return false;
    }

    // Sections past the limit are not looked at: each read by address would walk them all.
    // What is looked at must lie in the file before any room is made for it.
    const std::uint64_t sectionCount =
        std::min<std::uint64_t>(U16(fileHeader + SectionCountOffset), MaxPeSections);
    const std::uint64_t tableOffset = optionalOffset + optionalSize;
    const std::uint64_t tableSize = sectionCount * SectionHeaderSize;
    if (tableOffset + tableSize > FSource.Size()) {
        return false;
    }
    std::vector<std::uint8_t> table(static_cast<std::size_t>(tableSize));
    if (!Read(tableOffset, table.data(), table.size())) {
        return false;
    }
    FSections.reserve(static_cast<std::size_t>(sectionCount));
    for (std::uint64_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* header = table.data() + i * SectionHeaderSize;
        FSections.push_back({U32(header + 12), U32(header + 16), U32(header + 20)});
    }
    return true;
}

bool TPeImage::ReadRva(std::uint64_t rva, void* out, std::size_t count) const {
    for (const TSection& section : FSections) {
        if (rva < section.VirtualAddress) {
            continue;
        }
        const std::uint64_t inSection = rva - section.VirtualAddress;
        if (inSection + count <= section.RawSize) {
            return Read(static_cast<std::uint64_t>(section.RawOffset) + inSection, out, count);
        }
    }
    return false;
}

// The OffsetToData of the entry of the resource directory at `directory` (relative to the
// resource root) with numeric identifier `id`, or of its first entry when `id` is empty.
std::optional<std::uint32_t> FindEntry(const TPeImage& image, std::uint32_t directory,
                                       std::optional<std::uint16_t> id) {
    const std::uint64_t base = static_cast<std::uint64_t>(image.ResourceRva()) + directory;
    std::uint8_t header[ResourceDirectorySize];
    if (!image.ReadRva(base, header, sizeof header)) {
        return std::nullopt;
    }
    const std::uint32_t named = U16(header + 12);
    const std::uint32_t total =
        std::min<std::uint32_t>(named + U16(header + 14), MaxPeResourceEntries);
    // Identifier entries follow the named ones.
    for (std::uint32_t i = id ? named : 0; i < total; ++i) {
        std::uint8_t entry[ResourceEntrySize];
        if (!image.ReadRva(base + ResourceDirectorySize + i * ResourceEntrySize, entry,
                           sizeof entry)) {
            return std::nullopt;
        }
        const std::uint32_t name = U32(entry);
        if (!id || ((name & HighBit) == 0 && name == *id)) {
            return U32(entry + 4);
        }
    }
    return std::nullopt;
}

} // namespace

bool TMemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    if (offset > FBytes.size() || count > FBytes.size() - offset) {
        return false;
    }
    if (count > 0) {
        std::memcpy(out, FBytes.data() + offset, count);
    }
    return true;
}

TFileSource::TFileSource(const std::filesystem::path& file) {
    // Non-blocking, so that opening a FIFO cannot hang; only regular files are read.
    const int handle = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(handle);
        return;
    }
    FHandle = handle;
    FSize = static_cast<std::uint64_t>(info.st_size);
}

TFileSource::~TFileSource() {
    if (FHandle >= 0) {
        ::close(FHandle);
    }
}

bool TFileSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
    if (FHandle < 0 || offset > FSize || count > FSize - offset) {
        return false;
    }
    auto* bytes = static_cast<std::uint8_t*>(out);
    while (count > 0) {
        const ssize_t got = ::pread(FHandle, bytes, count, static_cast<off_t>(offset));
        if (got <= 0) {
            return false; // an error, or the file shrank meanwhile
        }
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> FindPeResource(const TByteSource& source,
                                                        std::uint16_t type, std::uint16_t id,
                                                        std::size_t maxSize) {
    TPeImage image(source);
    if (!image.Open()) {
        return std::nullopt;
    }
    // Three levels: type, name, language. The first two lead to directories, the last to a
    // data entry; anything else is a broken tree, and so is a directory met again on the way
    // down, which only a loop can do.
    const auto typeEntry = FindEntry(image, 0, type);
    if (!typeEntry || (*typeEntry & HighBit) == 0) {
        return std::nullopt;
    }
    const std::uint32_t typeDirectory = *typeEntry & ~HighBit;
    if (typeDirectory == 0) {
        return std::nullopt;
    }
    const auto nameEntry = FindEntry(image, typeDirectory, id);
    if (!nameEntry || (*nameEntry & HighBit) == 0) {
        return std::nullopt;
    }
    const std::uint32_t nameDirectory = *nameEntry & ~HighBit;
    if (nameDirectory == 0 || nameDirectory == typeDirectory) {
        return std::nullopt;
    }
    const auto languageEntry = FindEntry(image, nameDirectory, std::nullopt);
    if (!languageEntry || (*languageEntry & HighBit) != 0) {
        return std::nullopt;
    }
    const std::uint64_t dataEntry =
        static_cast<std::uint64_t>(image.ResourceRva()) + *languageEntry;
    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    if (!image.ReadU32Rva(dataEntry, dataRva) || !image.ReadU32Rva(dataEntry + 4, dataSize)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(std::min<std::size_t>(dataSize, maxSize));
    if (!image.ReadRva(dataRva, data.data(), data.size())) {
        return std::nullopt;
    }
    return data;
}

} // namespace vx::win
