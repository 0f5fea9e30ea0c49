#include "httpservice/Sha1.h"

namespace vx::httpservice {
namespace {

constexpr char HexDigits[] = "0123456789abcdef";

std::uint32_t Rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

} // namespace

TSha1::TSha1() : FState{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void TSha1::Update(std::string_view data) {
    FLength += data.size();
    for (const char c : data) {
        FBuffer[FBuffered++] = static_cast<std::uint8_t>(c);
        if (FBuffered == FBuffer.size()) {
            Block(FBuffer.data());
            FBuffered = 0;
        }
    }
}

TSha1::TDigest TSha1::Final() {
    const std::uint64_t bits = FLength * 8;
    // Padding: one bit, zeros up to 56 bytes into a block, then the length in bits.
    FBuffer[FBuffered++] = 0x80;
    if (FBuffered > 56) {
        while (FBuffered < 64) {
            FBuffer[FBuffered++] = 0;
        }
        Block(FBuffer.data());
        FBuffered = 0;
    }
    while (FBuffered < 56) {
        FBuffer[FBuffered++] = 0;
    }
    for (int i = 7; i >= 0; --i) {
        FBuffer[FBuffered++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    Block(FBuffer.data());
    FBuffered = 0;

    TDigest digest{};
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t b = 0; b < 4; ++b) {
            digest[4 * i + b] = static_cast<std::uint8_t>(FState[i] >> (24 - 8 * b));
        }
    }
    return digest;
}

void TSha1::Block(const std::uint8_t* block) {
    std::uint32_t w[80];
    for (std::size_t t = 0; t < 16; ++t) {
        w[t] = (std::uint32_t{block[4 * t]} << 24) | (std::uint32_t{block[4 * t + 1]} << 16) |
               (std::uint32_t{block[4 * t + 2]} << 8) | std::uint32_t{block[4 * t + 3]};
    }
    for (int t = 16; t < 80; ++t) {
        w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    }
    std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4];
    for (int t = 0; t < 80; ++t) {
        std::uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t temp = Rotl(a, 5) + f + e + w[t] + k;
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = temp;
    }
    FState[0] += a;
    FState[1] += b;
    FState[2] += c;
    FState[3] += d;
    FState[4] += e;
}

TSha1::TDigest TSha1::Digest(std::string_view data) {
    TSha1 sha;
    sha.Update(data);
    return sha.Final();
}

std::string TSha1::HexDigest(std::string_view data) {
    std::string hex;
    hex.reserve(40);
    for (const std::uint8_t byte : Digest(data)) {
        hex += HexDigits[byte >> 4];
        hex += HexDigits[byte & 0x0F];
    }
    return hex;
}

} // namespace vx::httpservice
