#include "platform/Format.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

struct TFormatCase {
    const char* Format;
    std::vector<TFormatArg> Args;
    const char* Expected;
};

class FormatTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTest, FormatsAsDelphiDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatV(c.Format, c.Args), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Directives, FormatTest,
    ::testing::Values(
        TFormatCase{"Listening on port %s...", {"21324"}, "Listening on port 21324..."},
        TFormatCase{"%d items, %s", {3, "done"}, "3 items, done"},
        TFormatCase{"%.2d%.2d", {1, 0}, "0100"}, TFormatCase{"%.3d", {-7}, "-007"},
        TFormatCase{"%5d|%-5d|", {42, 42}, "   42|42   |"}, TFormatCase{"%u", {-1}, "4294967295"},
        TFormatCase{"%u", {std::uint64_t{18446744073709551615u}}, "18446744073709551615"},
        TFormatCase{"%x %X %.4x", {255, 255, 10}, "FF FF 000A"},
        TFormatCase{"%x", {-1}, "FFFFFFFF"},
        TFormatCase{"%.3s|%6s|%-6s|", {"abcdef", "ab", "ab"}, "abc|    ab|ab    |"},
        TFormatCase{"%*d|%-*s|", {4, 7, 3, "a"}, "   7|a  |"},
        TFormatCase{"%1:s %0:s %s", {"a", "b"}, "b a b"},
        TFormatCase{"100%% %D %S", {5, "x"}, "100% 5 x"},
        TFormatCase{"%f %.1f %.0f", {3.14159, 2.26, 2.6}, "3.14 2.3 3"},
        TFormatCase{"%n", {1234567.891}, "1,234,567.89"}, TFormatCase{"%n", {-999.5}, "-999.50"},
        TFormatCase{"%e", {1234.5}, "1.23450000000000E+003"},
        TFormatCase{"%.3e", {-0.00012}, "-1.20E-004"},
        TFormatCase{"%g %g %g", {1234.5, 0.5, 1e20}, "1234.5 0.5 1E20"},
        TFormatCase{"%s%s", {'a', std::string("b")}, "ab"}));

struct TErrorCase {
    const char* Format;
    std::vector<TFormatArg> Args;
};

class FormatErrorTest : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(FormatErrorTest, AMismatchRaisesAnErrorNamingTheFormat) {
    const auto& c = GetParam();
    try {
        FormatV(c.Format, c.Args);
        FAIL() << "no error for " << c.Format;
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find(c.Format), std::string::npos) << e.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(Mismatches, FormatErrorTest,
                         ::testing::Values(TErrorCase{"%d", {"text"}}, TErrorCase{"%s", {5}},
                                           TErrorCase{"%x", {1.5}}, TErrorCase{"%f", {5}},
                                           TErrorCase{"%s %s", {"one"}}, TErrorCase{"%s", {}},
                                           TErrorCase{"%q", {1}}, TErrorCase{"tail %", {1}},
                                           TErrorCase{"%5", {1}}, TErrorCase{"%.d", {1}},
                                           TErrorCase{"%*d", {"w", 1}}, TErrorCase{"%3:s", {"a"}}));

TEST(FormatMessageTest, MissingAndMismatchedArgumentsHaveDistinctMessages) {
    try {
        Format("%s");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "No argument for format '%s'");
    }
    try {
        Format("%d", "x");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
}

TEST(FormatMessageTest, TextWithoutDirectivesAndArgumentsLeftOverAreFine) {
    EXPECT_EQ(Format("plain"), "plain");
    EXPECT_EQ(Format("%s", "a", "unused"), "a");
    EXPECT_EQ(Format("%s", std::string("with %d inside")), "with %d inside");
}

} // namespace
} // namespace vx
