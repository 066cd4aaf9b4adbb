// The launcher's choice between the console here and the window program.
#include <gtest/gtest.h>

#include "app/launcher/launch_choice.h"

namespace {

TEST(Launcher, TheWindowProgramRunsOnlyWithADisplayAndNoQuestionForInformation) {
    struct Case {
        const char* display;
        const char* wayland;
        std::vector<std::string_view> words;
        Launch expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, {}, Launch::Console},
        {nullptr, nullptr, {"/1", "/x"}, Launch::Console},
        {"", nullptr, {}, Launch::Console},  // set but empty: no display
        {nullptr, "", {}, Launch::Console},
        {":0", nullptr, {}, Launch::Window},
        {nullptr, "wayland-0", {}, Launch::Window},  // Wayland alone is a display
        {"", "wayland-0", {"/1", "/x"}, Launch::Window},
        // The answer goes to standard output: no window needed.
        {":0", nullptr, {"--help"}, Launch::Console},
        {nullptr, "wayland-0", {"/1", "/x", "-h"}, Launch::Console},
        {":0", nullptr, {"--version"}, Launch::Console},
        {":0", nullptr, {"-V", "/1"}, Launch::Console},
        // Only the lone words: the rest goes to the window program to judge.
        {":0", nullptr, {"--help=x"}, Launch::Window},
        {":0", nullptr, {"/1 /x --help"}, Launch::Window},
        {":0", nullptr, {"-v", "-H"}, Launch::Window},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseLaunch(c.display, c.wayland, c.words), c.expected)
            << (c.display ? c.display : "(unset)") << " " << (c.wayland ? c.wayland : "(unset)")
            << " " << (c.words.empty() ? "" : c.words[0]);
    }
}

}  // namespace
