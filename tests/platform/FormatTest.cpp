#include "platform/Format.h"

#include "support/CaseName.h"

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace vx {
namespace {

struct TFormatCase {
    const char* Name;
    const char* Format;
    std::vector<TFormatArg> Args;
    std::string Expected;
};

// The widest field Format pads to (a mebibyte): any larger width, digits or "*", gives it.
constexpr std::size_t WidestField = 1 << 20;
const std::string WidestRight = std::string(WidestField - 1, ' ') + "1";

class FormatTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTest, FormatsAsDelphiDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatV(c.Format, c.Args), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Directives, FormatTest,
    ::testing::Values(
        TFormatCase{
            "string_argument", "Listening on port %s...", {"21324"}, "Listening on port 21324..."},
        TFormatCase{"number_and_string", "%d items, %s", {3, "done"}, "3 items, done"},
        TFormatCase{"precision_pads_with_zeros", "%.2d%.2d", {1, 0}, "0100"},
        TFormatCase{"precision_keeps_the_sign", "%.3d", {-7}, "-007"},
        TFormatCase{"width_and_left_alignment", "%5d|%-5d|", {42, 42}, "   42|42   |"},
        TFormatCase{"unsigned_of_minus_one", "%u", {-1}, "4294967295"},
        TFormatCase{"unsigned_64_bit_maximum",
                    "%u",
                    {std::uint64_t{18446744073709551615u}},
                    "18446744073709551615"},
        TFormatCase{"hexadecimal_upper_case", "%x %X %.4x", {255, 255, 10}, "FF FF 000A"},
        TFormatCase{"hexadecimal_of_minus_one", "%x", {-1}, "FFFFFFFF"},
        TFormatCase{"string_precision_and_width",
                    "%.3s|%6s|%-6s|",
                    {"abcdef", "ab", "ab"},
                    "abc|    ab|ab    |"},
        TFormatCase{"star_width", "%*d|%-*s|", {4, 7, 3, "a"}, "   7|a  |"},
        TFormatCase{"star_precision", "%.*d|%.*s|", {3, 7, 2, "abc"}, "007|ab|"},
        TFormatCase{"negative_star_width_left_aligns", "%*d|%-*d|", {-4, 7, -3, 8}, "7   |8  |"},
        TFormatCase{"digit_width_is_capped", "%99999999999d", {1}, WidestRight},
        TFormatCase{"star_width_is_capped_as_digits_are", "%*d", {2147483647, 1}, WidestRight},
        TFormatCase{"unsigned_star_width_is_capped",
                    "%*d",
                    {std::numeric_limits<std::uint64_t>::max(), 1},
                    WidestRight},
        TFormatCase{"most_negative_star_width_is_capped",
                    "%*d",
                    {std::numeric_limits<std::int64_t>::min(), 1},
                    "1" + std::string(WidestField - 1, ' ')},
        TFormatCase{"star_precision_is_capped",
                    "%.*d",
                    {2147483647, 1},
                    std::string(WidestField - 1, '0') + "1"},
        TFormatCase{"star_width_and_precision_of_text",
                    "%*.*s",
                    {2147483647, 2147483647, "a"},
                    std::string(WidestField - 1, ' ') + "a"},
        TFormatCase{"argument_index", "%1:s %0:s %s", {"a", "b"}, "b a b"},
        TFormatCase{"percent_and_upper_case_directives", "100%% %D %S", {5, "x"}, "100% 5 x"},
        TFormatCase{"fixed_point", "%f %.1f %.0f", {3.14159, 2.26, 2.6}, "3.14 2.3 3"},
        TFormatCase{"thousands_separators", "%n", {1234567.891}, "1,234,567.89"},
        TFormatCase{"negative_thousands", "%n", {-999.5}, "-999.50"},
        TFormatCase{"scientific", "%e", {1234.5}, "1.23450000000000E+003"},
        TFormatCase{"scientific_with_precision", "%.3e", {-0.00012}, "-1.20E-004"},
        TFormatCase{"general", "%g %g %g", {1234.5, 0.5, 1e20}, "1234.5 0.5 1E20"},
        TFormatCase{"character_and_std_string", "%s%s", {'a', std::string("b")}, "ab"}),
    vx::test::CaseName{});

struct TErrorCase {
    const char* Name;
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
                         ::testing::Values(TErrorCase{"number_for_text", "%d", {"text"}},
                                           TErrorCase{"text_for_number", "%s", {5}},
                                           TErrorCase{"hexadecimal_of_a_float", "%x", {1.5}},
                                           TErrorCase{"float_of_an_integer", "%f", {5}},
                                           TErrorCase{"too_few_arguments", "%s %s", {"one"}},
                                           TErrorCase{"no_arguments", "%s", {}},
                                           TErrorCase{"unknown_directive", "%q", {1}},
                                           TErrorCase{"percent_at_the_end", "tail %", {1}},
                                           TErrorCase{"width_without_directive", "%5", {1}},
                                           TErrorCase{"precision_without_digits", "%.d", {1}},
                                           TErrorCase{"star_width_of_text", "%*d", {"w", 1}},
                                           TErrorCase{"negative_star_precision", "%.*d", {-1, 1}},
                                           TErrorCase{"negative_star_index", "%*:d", {-1, 1}},
                                           TErrorCase{"index_out_of_range", "%3:s", {"a"}}),
                         vx::test::CaseName{});

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
