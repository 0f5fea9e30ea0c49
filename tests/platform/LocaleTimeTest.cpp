#include "platform/LocaleTime.h"

#include "support/CaseName.h"
#include "support/LocalTm.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

TEST(LocaleTimeTest, TheCLocaleFormats) {
    const TLocaleTime c("C");
    const std::tm t = vx::test::LocalTm(2010, 1, 9, 14, 3, 27);
    EXPECT_EQ(c.ShortDate(t), "01/09/10");
    EXPECT_EQ(c.LongTime(t), "14:03:27");
    EXPECT_EQ(c.TimeSeparator(), ":");
}

TEST(LocaleTimeTest, ALocaleThatIsNotInstalledFallsBackToC) {
    const TLocaleTime missing("xx_NOWHERE.UTF-8");
    EXPECT_EQ(missing.LongTime(vx::test::LocalTm(2010, 1, 9, 14, 3, 27)), "14:03:27");
    EXPECT_EQ(missing.TimeSeparator(), ":");
}

// Sets TZ (a POSIX rule, no time-zone database needed) while it lives.
class TZone {
public:
    explicit TZone(const char* rule) {
        if (const char* old = std::getenv("TZ")) {
            FOld = old;
        }
        ::setenv("TZ", rule, 1);
        ::tzset();
    }
    ~TZone() {
        if (FOld) {
            ::setenv("TZ", FOld->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> FOld;
};

struct TBiasCase {
    const char* Name;
    const char* Rule;
    int Month;
    int Bias;
};

class TimeZoneBiasTest : public ::testing::TestWithParam<TBiasCase> {};

TEST_P(TimeZoneBiasTest, BiasIsMinutesWestIncludingDaylightSaving) {
    const auto& c = GetParam();
    TZone zone(c.Rule);
    std::tm noon = vx::test::LocalTm(2010, c.Month, 15, 12, 0, 0);
    EXPECT_EQ(TimeZoneBias(std::mktime(&noon)), c.Bias);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, TimeZoneBiasTest,
    ::testing::Values(TBiasCase{"UTC", "UTC0", 1, 0},
                      TBiasCase{"CET_winter", "CET-1CEST,M3.5.0,M10.5.0/3", 1, -60},
                      TBiasCase{"CEST_summer", "CET-1CEST,M3.5.0,M10.5.0/3", 7, -120},
                      TBiasCase{"Newfoundland_half_hour", "NST3:30NDT,M3.2.0,M11.1.0", 1, 210},
                      TBiasCase{"India_half_hour_east", "IST-5:30", 6, -330}),
    vx::test::CaseName{});

} // namespace
} // namespace vx::win
