#include "platform/display_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::DisplayPlan;

TEST(DisplayPlatform, AWaylandDesktopIsUsedThroughItsXServerUnlessTheUserChoseAPlatform)
{
    struct Case
    {
        platform::DisplayEnvironment environment;
        DisplayPlan plan;
    };
    const Case cases[] = {
        {{"", "wayland-0", ":1", "wayland"}, DisplayPlan::ThroughXWayland},
        {{"", "wayland-0", ":1", ""}, DisplayPlan::ThroughXWayland},
        {{"", "", ":1", "wayland"}, DisplayPlan::ThroughXWayland},
        {{"", "wayland-0", "", "wayland"}, DisplayPlan::NativeWayland},
        {{"", "wayland-0", "", ""}, DisplayPlan::NativeWayland},
        // The user's choice stands, whatever the desktop.
        {{"wayland", "wayland-0", ":1", "wayland"}, DisplayPlan::AsChosen},
        {{"offscreen", "", "", ""}, DisplayPlan::AsChosen},
        // An X desktop, and a session that calls itself Wayland but has no socket to reach.
        {{"", "", ":0", "x11"}, DisplayPlan::AsChosen},
        {{"", "", "", "wayland"}, DisplayPlan::AsChosen},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::planDisplay(c.environment), c.plan)
            << c.environment.chosenPlatform << "|" << c.environment.waylandDisplay << "|" << c.environment.x11Display
            << "|" << c.environment.sessionType;
}

TEST(DisplayPlatform, ThePlanIsHandedToTheToolkitThroughItsEnvironment)
{
    ::unsetenv("QT_QPA_PLATFORM");
    ::setenv("WAYLAND_DISPLAY", "wayland-9", 1);
    ::setenv("DISPLAY", ":9", 1);
    EXPECT_EQ(platform::chooseDisplayPlatform(), DisplayPlan::ThroughXWayland);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
    // Chosen now, it stays.
    EXPECT_EQ(platform::chooseDisplayPlatform(), DisplayPlan::AsChosen);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");

    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    EXPECT_EQ(platform::chooseDisplayPlatform(), DisplayPlan::NativeWayland);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "wayland");
}

} // namespace
