#include "platform/TextCodec.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

std::string FromWide(const std::vector<std::uint8_t>& bytes) {
    return Utf16LeToUtf8(bytes.data(), bytes.size());
}

const std::string Bad = "\xEF\xBF\xBD"; // U+FFFD

TEST(TextCodec, WideTextToUtf8) {
    struct {
        const char* What;
        std::vector<std::uint8_t> Wide;
        std::string Utf8;
    } const cases[] = {
        {"ASCII", {'a', 0, 'b', 0}, "ab"},
        {"NULs kept", {'a', 0, 0, 0}, std::string("a\0", 2)},
        {"two-byte", {0xFC, 0x00}, "\xC3\xBC"},
        {"surrogate pair", {0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},
        {"lone high surrogate", {0x3D, 0xD8, 'a', 0}, Bad + "a"},
        {"lone low surrogate", {0x00, 0xDE}, Bad},
        {"odd trailing byte", {'a', 0, 'b'}, "a" + Bad},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromWide(c.Wide), c.Utf8) << c.What;
    }
}

TEST(TextCodec, Utf8ToWideRoundTripsAndReplacesInvalidBytes) {
    const std::vector<std::string> texts{"plain", "gr\xC3\xBC\xC3\x9F", "\xF0\x9F\x98\x80 x",
                                         std::string("a\0b", 3)};
    for (const auto& text : texts) {
        EXPECT_EQ(FromWide(Utf8ToUtf16Le(text)), text);
    }
    const std::string invalid = std::string("a\xFF") + "b\xC3";
    EXPECT_EQ(FromWide(Utf8ToUtf16Le(invalid)), "a" + Bad + "b" + Bad);
}

TEST(TextCodec, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(SameText("Software\\Classes", "SOFTWARE\\classes"));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_FALSE(SameText("abc", "ab"));
    EXPECT_EQ(FoldCase("A\xC3\x9C"), "a\xC3\x9C");
}

} // namespace
} // namespace vx::win
