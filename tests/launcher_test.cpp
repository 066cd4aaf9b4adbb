// The launcher's choice between the console here and the window program, and
// where it finds its own file without /proc.
#include <gtest/gtest.h>

#include <set>

#include "app/launcher/launch_choice.h"
#include "app/launcher/own_path.h"

namespace {

TEST(Launcher, TheWindowProgramRunsOnlyWithADisplayAndNoQuestionForInformation) {
    struct Case {
        const char* display;
        const char* wayland;
        const char* arguments;
        Launch expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "", Launch::Console},
        {nullptr, nullptr, "/1 /x", Launch::Console},
        {"", nullptr, "", Launch::Console},  // set but empty: no display
        {nullptr, "", "", Launch::Console},
        {":0", nullptr, "", Launch::Window},
        {nullptr, "wayland-0", "", Launch::Window},  // Wayland alone is a display
        {"", "wayland-0", "/1 /x", Launch::Window},
        // The answer goes to standard output: no window needed.
        {":0", nullptr, "--help", Launch::Console},
        {nullptr, "wayland-0", "/1 /x -h", Launch::Console},
        {":0", nullptr, "--version", Launch::Console},
        {":0", nullptr, "-V /1", Launch::Console},
        {":0", nullptr, "/1 /x --no-window", Launch::Console},
        {"", "wayland-0", "--exact --no-window", Launch::Console},
        // Words start-up reads as no option, or rejects, go to the window program.
        {":0", nullptr, "--help=x", Launch::Window},
        {":0", nullptr, "--help --bogus", Launch::Window},
        {":0", nullptr, "--exact --full /1 /x", Launch::Window},
        {":0", nullptr, "-- /1 /a -h b", Launch::Window},
        {":0", nullptr, "-v -H", Launch::Window},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseLaunch(c.display, c.wayland, c.arguments), c.expected)
            << (c.display ? c.display : "(unset)") << " " << (c.wayland ? c.wayland : "(unset)")
            << " " << c.arguments;
    }
}

TEST(Launcher, OwnPathIsNeverRelative) {
    const std::set<std::string> programs = {"/usr/bin/lingerjob", "./lingerjob", "bin/lingerjob",
                                            "/opt/lj/lingerjob"};
    const auto isProgram = [&](const std::string& path) { return programs.count(path) > 0; };
    struct Case {
        const char* execFn;
        const char* argv0;
        const char* path;
        const char* expected;  // null: no answer
    };
    const Case cases[] = {
        {"/opt/lj/lingerjob", "lingerjob", "/usr/bin", "/opt/lj/lingerjob"},
        {"./lingerjob", "/opt/lj/lingerjob", nullptr, "/opt/lj/lingerjob"},
        {nullptr, "lingerjob", "/nowhere:/usr/bin:/opt/lj", "/usr/bin/lingerjob"},
        {nullptr, "lingerjob", nullptr, "/usr/bin/lingerjob"},  // the shell's default path
        // Found first through the current folder or a relative entry: no answer.
        {"./lingerjob", "lingerjob", ".:/usr/bin", nullptr},
        {nullptr, "lingerjob", ":/usr/bin", nullptr},
        {nullptr, "lingerjob", "bin:/usr/bin", nullptr},
        {"lingerjob", "./lingerjob", "/usr/bin", nullptr},
        {nullptr, "lingerjob", "/nowhere", nullptr},
        {nullptr, nullptr, "/usr/bin", nullptr},
    };
    for (const Case& c : cases) {
        OwnPathClues clues;
        clues.execFn = c.execFn;
        clues.argv0 = c.argv0;
        clues.path = c.path;
        const auto found = ownPath(clues, isProgram);
        EXPECT_EQ(found.value_or("(none)"), c.expected ? c.expected : "(none)")
            << (c.execFn ? c.execFn : "-") << " " << (c.argv0 ? c.argv0 : "-") << " "
            << (c.path ? c.path : "-");
    }
    OwnPathClues fromProc;
    fromProc.procExe = "/usr/lib/x/lingerjob";
    fromProc.argv0 = "/opt/lj/lingerjob";
    EXPECT_EQ(ownPath(fromProc, isProgram), "/usr/lib/x/lingerjob");
}

}  // namespace
