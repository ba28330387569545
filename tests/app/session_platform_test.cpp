// The platform the program asks Qt for in each kind of session, the place
// it stores where a desktop placed the window itself, and the once-only
// note of a native Wayland platform.
#include <gtest/gtest.h>

#include <map>

#include "../sys/temp_folder.h"
#include "app/panel_commands.h"
#include "app/placement.h"
#include "app/session_platform.h"
#include "sys/inifile.h"

namespace velmora::app {
namespace {

std::string platform_with(const std::map<std::string, std::string>& environment) {
    return platform_for_session([&](const char* name) {
        const auto found = environment.find(name);
        return found == environment.end() ? std::string() : found->second;
    });
}

TEST(SessionPlatform, XwaylandIsUsedUnlessTheUserChoseAPlatform) {
    EXPECT_EQ(platform_with({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}), "xcb");
    EXPECT_EQ(platform_with({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}), "xcb");
    // The user's choice holds, whatever it is.
    EXPECT_EQ(
        platform_with(
            {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}, {"QT_QPA_PLATFORM", "wayland"}}),
        "");
    // No Xwayland: Qt's own choice, the native platform.
    EXPECT_EQ(platform_with({{"WAYLAND_DISPLAY", "wayland-0"}}), "");
    // An X11 session needs nothing.
    EXPECT_EQ(platform_with({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}), "");
}

TEST(Placement, APlaceTheDesktopChoseIsNeverStoredOverTheUsers) {
    Placement asked_and_kept;
    asked_and_kept.asked(Point{200, 120});
    asked_and_kept.settled({200, 120});
    EXPECT_FALSE(asked_and_kept.refused());
    EXPECT_EQ(asked_and_kept.to_save({640, 300}, true), (Point{640, 300}));

    Placement refused;
    refused.asked(Point{200, 120});
    refused.settled({0, 0});  // the compositor put it in its own place
    EXPECT_TRUE(refused.refused());
    EXPECT_EQ(refused.to_save({0, 0}, false), (Point{200, 120}));
    // Dragged by the user since: that place is the user's.
    EXPECT_EQ(refused.to_save({512, 40}, true), (Point{512, 40}));

    Placement first_start;  // nothing stored: the program chose the corner
    first_start.asked(std::nullopt);
    first_start.settled({35, 60});
    EXPECT_FALSE(first_start.refused());
    EXPECT_EQ(first_start.to_save({35, 60}, false), (Point{35, 60}));
}

TEST(SessionPlatform, TheWaylandNoteIsToldOnceAndKeepsTheOtherSettings) {
    testing::TempFolder folder;
    const std::string settings = folder.file("zenqset.kxi");
    folder.write("zenqset.kxi", "[option]\r\npos_top=10\r\n");
    EXPECT_TRUE(wayland_limits_untold(settings));
    mark_wayland_limits_told(settings);
    EXPECT_FALSE(wayland_limits_untold(settings));
    std::string kept;
    EXPECT_TRUE(ini::IniDocument::load(settings).lookup("option", "pos_top", kept));
    EXPECT_EQ(kept, "10");
}

TEST(PanelCommands, EachCommandIsReadAndAnythingElseRefused) {
    EXPECT_EQ(parse_arguments({}).command, PanelCommand::none);
    for (const PanelCommand command :
         {PanelCommand::show, PanelCommand::hide, PanelCommand::toggle, PanelCommand::quit}) {
        const std::string word = command_word(command);
        EXPECT_EQ(parse_arguments({"--" + word}).command, command) << word;
        EXPECT_EQ(command_of(word), command);
    }
    EXPECT_TRUE(parse_arguments({"--help"}).help);
    EXPECT_NE(parse_arguments({"--frobnicate"}).error, "");
    EXPECT_NE(parse_arguments({"show"}).error, "") << "a command is an option";
    EXPECT_NE(parse_arguments({"--show", "--hide"}).error, "") << "one command at a time";
    EXPECT_EQ(command_of("reboot"), PanelCommand::none);
}

}  // namespace
}  // namespace velmora::app
