#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// Reading resources out of PE files (Windows executables and DLLs) without loading them.
// Every structure is read through a bounds-checked source: truncated files, files that are not
// PE files and offsets that point anywhere give "no resource", never a read outside the data.
namespace vx::win {

// Random access to bytes.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `count` bytes at `offset` to `out`; false (nothing promised about `out`) when they
    // do not all lie inside the source or cannot be read.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}
    std::uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

private:
    std::span<const std::uint8_t> FBytes;
};

// A regular file, read with pread. Anything else (missing, a folder, a FIFO or device, no
// read permission) is an empty source.
class TFileSource : public TByteSource {
public:
    explicit TFileSource(const std::filesystem::path& file);
    ~TFileSource() override;
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;

    bool IsOpen() const { return FHandle >= 0; }
    std::uint64_t Size() const override { return FSize; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

private:
    int FHandle = -1;
    std::uint64_t FSize = 0;
};

inline constexpr std::uint16_t RT_VERSION = 16;

// What FindPeResource looks at, so that a hostile file costs little: the first
// MaxPeSections sections (the number the Windows loader accepts; real files have a few dozen
// at most) and the first MaxPeResourceEntries entries of each resource directory (a root
// holds a few dozen types, a version directory one name and a handful of languages).
inline constexpr std::size_t MaxPeSections = 96;
inline constexpr std::size_t MaxPeResourceEntries = 4096;

// The data of the resource of type `type` and numeric identifier `id` in its first language,
// as FindResource and LoadResource give it, cut to at most `maxSize` bytes. nullopt when
// `image` is not a PE file (PE32 or PE32+) or holds no such resource within the limits above,
// or when the way to it is no tree of three levels (type, name, language).
std::optional<std::vector<std::uint8_t>>
FindPeResource(const TByteSource& image, std::uint16_t type, std::uint16_t id, std::size_t maxSize);

} // namespace vx::win
