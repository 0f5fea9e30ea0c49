#include "decisions/URLCommand.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

// The rule as written: 246 values, two case forms each, each a full replace-all from the left.
std::string ReferenceDecode(std::string text) {
    for (int v = 10; v <= 255; ++v) {
        const std::string upper = "%" + ByteToHex(static_cast<std::uint8_t>(v));
        std::string lower = upper;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        for (const std::string& pattern : {upper, lower}) {
            std::string result;
            std::size_t i = 0;
            for (auto at = text.find(pattern); at != std::string::npos;
                 at = text.find(pattern, i)) {
                result.append(text, i, at - i);
                result += static_cast<char>(v);
                i = at + pattern.size();
            }
            result.append(text, i);
            text = result;
        }
    }
    return text;
}

TEST(ByteToHex, TwoUpperCaseDigitsHighFirst) {
    EXPECT_EQ(ByteToHex(0), "00");
    EXPECT_EQ(ByteToHex(9), "09");
    EXPECT_EQ(ByteToHex(10), "0A");
    EXPECT_EQ(ByteToHex(0x4A), "4A");
    EXPECT_EQ(ByteToHex(0xF0), "F0");
    EXPECT_EQ(ByteToHex(255), "FF");
}

TEST(URLDecode, ValueOrderedReplacement) {
    struct {
        const char* Text;
        std::string Expected;
    } const cases[] = {
        {"%2541", "A"},   // 0x25 makes %41, which 0x41 decodes later
        {"%2520", "%20"}, // 0x20 has run before 0x25 makes %20
        {"50%25", "50%"},
        {"%4a%4A", "JJ"},
        {"%09", "%09"},
        {"%00%01%05", "%00%01%05"},
        {"%0A%0a", "\n\n"},
        {"%0D%0A", "\r\n"},
        {"%aF%Af", "%aF%Af"}, // mixed case stays
        {"%af%AF", "\xAF\xAF"},
        {"a+b", "a+b"},
        {"%2B", "+"},
        {"%4", "%4"},
        {"%", "%"},
        {"abc%", "abc%"},
        {"%%41", "%A"},
        {"%2525", "%"}, // the lower-case pass of 0x25 meets the %25 the upper one made
        {"%252525", "%25"},
        {"%2%341", "%241"}, // 0x34 makes %24 after 0x24 has run
        {"%%3441", "D1"},   // 0x34 makes %44, which 0x44 decodes later
        {"", ""},
        {"no escapes", "no escapes"},
        {"%FF%ff%fF", "\xFF\xFF%fF"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(URLDecode(testCase.Text), testCase.Expected) << testCase.Text;
        EXPECT_EQ(ReferenceDecode(testCase.Text), testCase.Expected)
            << "reference: " << testCase.Text;
    }
}

TEST(URLDecode, AgreesWithTheRuleAsWrittenOnRandomText) {
    // Mostly escape material, so that cascades of every kind occur.
    const std::string alphabet = "%%%%0123456789abcdefABCDEFxG";
    std::mt19937 random(20240917);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = length(random); i > 0; --i) {
            text += alphabet[pick(random)];
        }
        ASSERT_EQ(URLDecode(text), ReferenceDecode(text)) << text;
    }
}

TEST(SplitURLCommand, CommandAndAmpersandFields) {
    struct {
        const char* Text;
        const char* Command;
        TStrings Params;
    } const cases[] = {
        {"status", "status", {}},
        {"add?a=1&b=2", "add", {"a=1", "b=2"}},
        {"add?a=1&", "add", {"a=1", ""}},
        {"add?&&", "add", {"", "", ""}},
        {"add? a = 1 &b", "add", {" a = 1 ", "b"}},
        {"add?", "add", {}},
        {"add?x?y", "add", {"x?y"}},
        {"?a", "", {"a"}},
        {"", "", {}},
        {"add?\"q&r\"", "add", {"\"q", "r\""}},
        {"add?a,b c;d", "add", {"a,b c;d"}},
    };
    for (const auto& testCase : cases) {
        std::string command = "old";
        TStrings params{"old"};
        SplitURLCommand(testCase.Text, command, params);
        EXPECT_EQ(command, testCase.Command) << testCase.Text;
        EXPECT_EQ(params, testCase.Params) << testCase.Text;
    }
}

TEST(SplitTextLines, CrLfCrAndLfEndLines) {
    EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd"), (TStrings{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), TStrings{"a"});
    EXPECT_EQ(SplitTextLines("a\r\r\n"), (TStrings{"a", ""}));
    EXPECT_EQ(SplitTextLines("a\n\r"), (TStrings{"a", ""}));
    EXPECT_EQ(SplitTextLines("\r\n\r\n"), (TStrings{"", ""}));
    EXPECT_EQ(SplitTextLines(""), TStrings{});
    EXPECT_EQ(SplitTextLines(std::string("a\0b", 3)), TStrings{std::string("a\0b", 3)});
}

} // namespace
} // namespace vx::decisions
