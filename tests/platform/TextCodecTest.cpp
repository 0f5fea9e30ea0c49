#include "platform/TextCodec.h"

#include <string>
#include <string_view>
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

TEST(TextCodec, KeepBytesBringsBackEveryByteStringAndConvertsValidTextAsReplaceDoes) {
    const auto keptTrip = [](const std::string& text) {
        const auto wide = Utf8ToUtf16Le(text, TInvalidText::KeepBytes);
        return Utf16LeToUtf8(wide.data(), wide.size(), TInvalidText::KeepBytes);
    };
    // Every string of one or two bytes, alone and between valid characters.
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            std::string bytes(1, static_cast<char>(first));
            if (second >= 0) {
                bytes += static_cast<char>(second);
            }
            for (const std::string_view around : {"", "\xC3\xBC", "\xF0\x9F\x98\x80"}) {
                std::string text(around);
                text += bytes;
                text += around;
                ASSERT_EQ(keptTrip(text), text) << first << " " << second << " " << around;
            }
        }
    }
    const std::vector<std::string> valid{"plain", "gr\xC3\xBC\xC3\x9F", "\xF0\x9F\x98\x80 x",
                                         "\xEF\xBF\xBD", std::string("a\0b", 3)};
    for (const auto& text : valid) {
        EXPECT_EQ(Utf8ToUtf16Le(text, TInvalidText::KeepBytes), Utf8ToUtf16Le(text)) << text;
    }
    // Other unpaired surrogates still stand for no byte.
    const std::vector<std::uint8_t> lone{0x7F, 0xDC, 0x00, 0xD8};
    EXPECT_EQ(Utf16LeToUtf8(lone.data(), lone.size(), TInvalidText::KeepBytes), Bad + Bad);
}

TEST(TextCodec, OneLineDropsTrailingBreaksAndBlanksInnerOnes) {
    const struct {
        const char* Name;
        std::string Text;
        std::string Line;
    } cases[] = {
        {"Windows text", "12002: The operation timed out\r\n", "12002: The operation timed out"},
        {"several line ends", "text\n\r\n\r", "text"},
        {"inner breaks", "one\r\ntwo\nthree\rfour", "one two three four"},
        {"nothing to do", "Could not connect to server!", "Could not connect to server!"},
        {"only breaks", "\r\n", ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(OneLine(row.Text), row.Line);
    }
}

TEST(TextCodec, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(SameText("Software\\Classes", "SOFTWARE\\classes"));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_FALSE(SameText("abc", "ab"));
    EXPECT_EQ(FoldCase("A\xC3\x9C"), "a\xC3\x9C");
}

} // namespace
} // namespace vx::win
