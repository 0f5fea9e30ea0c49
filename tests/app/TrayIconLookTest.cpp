#include "app/TrayIconLook.h"

#include "health/ServiceTester.h"
#include "support/CaseName.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vx::app {
namespace {

using health::tsCorrupted;
using health::tsUnavailable;
using health::tsUntested;
using health::tsWorking;

struct TStateCase {
    const char* Name;
    int Pending;
    TProtectionStatuses Protections;
    TTrayIconState Expected;
};

class TrayIconStateTest : public ::testing::TestWithParam<TStateCase> {};

TEST_P(TrayIconStateTest, CountsAndStatesMakeTheIcon) {
    const auto& testCase = GetParam();
    EXPECT_EQ(TrayIconStateFor(testCase.Pending, testCase.Protections), testCase.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, TrayIconStateTest,
    ::testing::Values(
        TStateCase{"nothing_known_yet", 0, {tsUntested, tsUntested, tsUntested}, {0, false}},
        TStateCase{"all_on", 0, {tsWorking, tsWorking, tsWorking}, {0, false}},
        TStateCase{"one_pending", 1, {tsWorking, tsWorking, tsWorking}, {1, false}},
        TStateCase{"on_access_off", 0, {tsUnavailable, tsWorking, tsWorking}, {0, true}},
        TStateCase{"scanner_corrupted", 0, {tsWorking, tsCorrupted, tsWorking}, {0, true}},
        TStateCase{
            "internet_off_and_pending", 250, {tsWorking, tsWorking, tsUnavailable}, {250, true}},
        TStateCase{"not_found_is_no_warning", 0, {4, tsWorking, tsUntested}, {0, false}},
        TStateCase{"a_negative_count_is_none", -3, {tsWorking, tsWorking, tsWorking}, {0, false}}),
    vx::test::CaseName{});

TEST(TrayIconBadge, CountsUpToNinetyNine) {
    EXPECT_EQ(BadgeText(0), QString());
    EXPECT_EQ(BadgeText(1), QStringLiteral("1"));
    EXPECT_EQ(BadgeText(99), QStringLiteral("99"));
    EXPECT_EQ(BadgeText(100), QStringLiteral("99+"));
    EXPECT_EQ(BadgeText(10000), QStringLiteral("99+"));
}

// The badge is red in the top right corner, the warning sign amber in the bottom left; the
// plain icon has neither.
TEST(TrayIconRender, BadgeAndWarningWhereTheyBelong) {
    const auto image = [](const TTrayIconState& state) {
        return RenderTrayIcon(state).pixmap(QSize(64, 64)).toImage();
    };
    const auto isRed = [](QRgb pixel) {
        return qRed(pixel) > 180 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
    };
    const auto isAmber = [](QRgb pixel) {
        return qRed(pixel) > 200 && qGreen(pixel) > 130 && qGreen(pixel) < 200 && qBlue(pixel) < 80;
    };
    const QImage plain = image({0, false});
    const QImage badge = image({3, false});
    const QImage warning = image({0, true});
    const QPoint badgeSpot(38, 16);
    const QPoint warningSpot(8, 60);
    ASSERT_EQ(plain.size(), QSize(64, 64));
    EXPECT_FALSE(isRed(plain.pixel(badgeSpot)));
    EXPECT_TRUE(isRed(badge.pixel(badgeSpot)));
    EXPECT_FALSE(isAmber(plain.pixel(warningSpot)));
    EXPECT_TRUE(isAmber(warning.pixel(warningSpot)));
    EXPECT_FALSE(isRed(warning.pixel(badgeSpot)));
    EXPECT_NE(image({1, false}), image({2, false})); // the count shows
}

} // namespace
} // namespace vx::app
