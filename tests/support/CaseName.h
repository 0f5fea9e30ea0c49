#pragma once

#include <cctype>
#include <string>

#include <gtest/gtest.h>

namespace vx::test {

// Names each row of a parameterised test after the row's `Name` field, so that a failure
// reads ".../short_dword", not ".../7": every character that cannot stand in a test name
// becomes "_". INSTANTIATE_TEST_SUITE_P(Rows, Test, ::testing::ValuesIn(rows), CaseName{}).
struct CaseName {
    template <class TCase>
    std::string operator()(const ::testing::TestParamInfo<TCase>& info) const {
        std::string name = info.param.Name;
        for (char& c : name) {
            if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
                c = '_';
            }
        }
        return name;
    }
};

} // namespace vx::test
