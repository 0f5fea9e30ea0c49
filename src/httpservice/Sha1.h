#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::httpservice {

// SHA-1 (FIPS 180-1).
class TSha1 {
public:
    using TDigest = std::array<std::uint8_t, 20>;

    TSha1();
    void Update(std::string_view data);
    // The digest of everything passed to Update; the object is then spent.
    TDigest Final();

    static TDigest Digest(std::string_view data);
    // The digest as 40 lowercase hexadecimal digits, high nibble first.
    static std::string HexDigest(std::string_view data);

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 5> FState;
    std::array<std::uint8_t, 64> FBuffer{};
    std::size_t FBuffered = 0;
    std::uint64_t FLength = 0; // bytes
};

} // namespace vx::httpservice
