// lingerjob: waits while (mode 1) or until (mode 0) a process whose executable
// name contains the task name runs; without arguments, an interactive window.
//
// This program links no window toolkit, so a wait inside a script costs little.
// Whatever shows no window runs here on the console adapter; when there is a
// display to show the window on, the Qt program takes this process's place.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "app/console/console_app.h"
#include "app/console/console_toolkit.h"
#include "app/launcher/launch_choice.h"
#include "app/shared/entry.h"
#include "contract/exit_status.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/linux/proc_visibility.h"

namespace {

constexpr const char* kWindowProgram = "lingerjob-window";
// Where the window program stands, seen from this program's folder: beside it in
// the build folder, under lib/lingerjob when installed.
constexpr const char* kWindowFolders[] = {"", "/../lib/lingerjob"};

std::string ownPath(const char* fallback) {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof path) {
        return fallback ? fallback : "lingerjob";
    }
    return std::string(path, static_cast<std::size_t>(length));
}

// Replaces this process with the window program, so the process id, the arguments
// and the exit status stay those the caller knows. Returns only on failure.
int startWindow(const std::string& self, char** argv) {
    const std::string folder = self.substr(0, self.rfind('/'));
    for (const char* relative : kWindowFolders) {
        const std::string window = folder + relative + "/" + kWindowProgram;
        if (access(window.c_str(), X_OK) != 0) continue;
        // "Make command line" names this program, not the window program.
        setenv("LINGERJOB_PROGRAM", self.c_str(), 1);
        execv(window.c_str(), argv);
        std::cerr << "lingerjob: cannot start " << window << ": " << std::strerror(errno) << '\n';
        return exit_status::kFailure;
    }
    std::cerr << "lingerjob: the window program " << kWindowProgram << " is missing (looked in "
              << folder << " and " << folder << kWindowFolders[1] << ")\n";
    return exit_status::kFailure;
}

// Runs the start here, on the console adapter.
int runConsole(const std::string& self, int argc, char** argv) {
    ProcEnumerator processes;
    ConsoleToolkit toolkit(joinArguments(argc, argv), argc > 1, self);
    Form1 form(toolkit, processes);
    ConsoleApp app(form, toolkit);
    if (!app.start([] { return hiddenProcessesNote(); })) return app.exitStatus();
    return app.run();
}

}  // namespace

int main(int argc, char** argv) {
    ignoreBrokenPipes();
    const std::string self = ownPath(argv[0]);
    const Launch launch = chooseLaunch(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                       {argv + 1, argv + argc});
    return launch == Launch::Window ? startWindow(self, argv) : runConsole(self, argc, argv);
}
