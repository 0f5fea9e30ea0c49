// Which Qt platforms start-up asks for: the session's display first, offscreen always last, so
// that a display that cannot be opened never stops the program.
#include "app/QtPlatformChoice.h"

#include "support/CaseName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using ::testing::HasSubstr;

struct TPlatformCase {
    const char* Name;
    const char* QtPlatform;
    const char* WaylandDisplay;
    const char* Display;
    const char* Platforms;
    bool Notice; // offscreen alone, and why
};

const TPlatformCase PlatformCases[] = {
    {"X11", nullptr, nullptr, ":0", "xcb;offscreen", false},
    {"WaylandNativelyThenXWayland", nullptr, "wayland-0", ":0", "wayland;xcb;offscreen", false},
    {"WaylandWithoutXWayland", nullptr, "wayland-0", nullptr, "wayland;offscreen", false},
    {"EmptyValuesAreUnset", "", "", "", "offscreen", true},
    {"NoDisplayAtAll", nullptr, nullptr, nullptr, "offscreen", true},
    {"TheUsersChoiceFirst", "xcb", "wayland-0", ":0", "xcb;offscreen", false},
    {"TheUsersListKeepsItsOffscreen", "wayland;offscreen;xcb", nullptr, ":0",
     "wayland;offscreen;xcb", false},
    {"AnArgumentIsNotAPlatform", "xcb:offscreen", nullptr, ":0", "xcb:offscreen;offscreen", false},
    {"OffscreenWithArguments", "offscreen:size=800x600", nullptr, nullptr, "offscreen:size=800x600",
     false},
};

class QtPlatforms : public ::testing::TestWithParam<TPlatformCase> {};

TEST_P(QtPlatforms, EndWithOffscreen) {
    const TPlatformCase& row = GetParam();
    const TQtPlatformChoice choice =
        ChooseQtPlatforms(row.QtPlatform, row.WaylandDisplay, row.Display);
    EXPECT_EQ(choice.Platforms, row.Platforms);
    EXPECT_EQ(!choice.Notice.empty(), row.Notice) << choice.Notice;
}

INSTANTIATE_TEST_SUITE_P(Rows, QtPlatforms, ::testing::ValuesIn(PlatformCases),
                         ::vx::test::CaseName{});

TEST(OffscreenFallback, NamesTheDisplaysThatFailed) {
    EXPECT_THAT(OffscreenFallbackNotice("wayland-0", ":99"),
                HasSubstr("(WAYLAND_DISPLAY=wayland-0, DISPLAY=:99)"));
    EXPECT_THAT(OffscreenFallbackNotice(nullptr, ":99"), HasSubstr("(DISPLAY=:99)"));
    EXPECT_THAT(OffscreenFallbackNotice(nullptr, ":99"), HasSubstr("running offscreen"));
}

} // namespace
} // namespace vx::app::test
