// lingerjob: waits while (mode 1) or until (mode 0) a process whose executable
// name contains the task name runs; without arguments, an interactive window.
//
// This program links no window toolkit, so a wait inside a script costs little.
// Whatever shows no window runs here on the console adapter; when there is a
// display to show the window on, the Qt program runs as this process's child
// while this process waits, so the process id, the arguments and the exit status
// stay those the caller knows. Should the window go before the wait is over
// (its display was lost) or stop answering, the watch goes on here without it;
// the deadline of --timeout is kept here all the while.
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "app/console/console_app.h"
#include "app/console/console_toolkit.h"
#include "app/launcher/launch_choice.h"
#include "app/launcher/own_path.h"
#include "app/launcher/window_child.h"
#include "app/shared/entry.h"
#include "contract/exit_status.h"
#include "ui/arguments.h"
#include "ui/form1.h"
#include "watch/linux/pidfd_watch.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/linux/proc_visibility.h"

namespace {

using Clock = ConsoleToolkit::Clock;

constexpr const char* kWindowProgram = "lingerjob-window";
// Where the window program stands, seen from this program's folder: beside it in
// the build folder, under lib/lingerjob when installed.
constexpr const char* kWindowFolders[] = {"", "/../lib/lingerjob"};

void say(const std::string& line) {
    std::fputs(("lingerjob: " + line + "\n").c_str(), stderr);
}

// Runs the start here, on the console adapter, with the schedule and the
// deadline counted from started. The hidepid note is said unless said before.
int runConsole(const std::string& self, int argc, char** argv, Clock::time_point started,
               bool noteHiddenProcesses) {
    ProcEnumerator processes;
    ConsoleToolkit toolkit(joinArguments(argc, argv), argc > 1, self);
    toolkit.scheduleFrom(started);
    Form1 form(toolkit, processes);
    PidfdWatch ends;
    ConsoleApp app(form, toolkit, &ends);
    std::function<std::string()> note;
    if (noteHiddenProcesses) note = [] { return hiddenProcessesNote(); };
    if (!app.start(note)) return app.exitStatus();
    return app.run();
}

// The moment --timeout ends the program, counted from started: read by the
// start-up's own reading of the options, from the words it gets. Options it
// rejects set none (the window program says so and ends).
std::optional<Clock::time_point> deadlineOf(int argc, char** argv, Clock::time_point started) {
    if (argc < 2) return std::nullopt;
    try {
        const Options options = takeOptions(joinArguments(argc, argv)).options;
        if (options.timeoutMs) return started + std::chrono::milliseconds(*options.timeoutMs);
    } catch (const OptionError&) {
    }
    return std::nullopt;
}

// Ends this process by the signal it passed on to the window program, as the
// window program ended, so the caller sees the status it would have seen.
int endBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    return 128 + signal;
}

// Runs the window program, found only beside this program's own file, and
// waits for it; if it goes before the wait is over, the watch goes on here.
int startWindow(const std::optional<std::string>& self, int argc, char** argv,
                Clock::time_point started) {
    if (!self) {
        say("cannot tell where this program's file is (/proc/self/exe cannot be read, and it "
            "was started neither by an absolute path nor through an absolute PATH entry), so "
            "the window program is not started");
        return exit_status::kFailure;
    }
    const std::string folder = self->substr(0, self->rfind('/'));
    for (const char* relative : kWindowFolders) {
        const std::string window = folder + relative + "/" + kWindowProgram;
        if (access(window.c_str(), X_OK) != 0) continue;
        const WindowEnd end = runWindowChild(window, *self, argv, deadlineOf(argc, argv, started));
        switch (end.how) {
            case WindowEnd::How::Told:
                return end.status;
            case WindowEnd::How::Signalled:
                return endBySignal(end.signal);
            case WindowEnd::How::Gone:
                say(end.why);
                return runConsole(*self, argc, argv, started, false);
        }
    }
    say(std::string("the window program ") + kWindowProgram + " is missing (looked in " + folder +
        " and " + folder + kWindowFolders[1] + ")");
    return exit_status::kFailure;
}

int run(int argc, char** argv, Clock::time_point started) {
    const Launch launch = chooseLaunch(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                       joinArguments(argc, argv));
    const std::optional<std::string> self = ownPathOfThisProgram(argv[0]);
    if (launch == Launch::Window) return startWindow(self, argc, argv, started);
    // "Make command line" is never clicked here: any name will do.
    return runConsole(self.value_or(argv[0]), argc, argv, started, true);
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point started = Clock::now();
    ignoreBrokenPipes();
    endTerminationWithFailureStatus();
    // A check's lists of every process go back to the system once freed, rather
    // than staying resident at their peak between checks (glibc would otherwise
    // raise its mmap threshold past them after the first): tens of thousands of
    // processes then cost a wait only what it keeps of them.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    // A program started with no arguments at all, not even its name.
    static char name[] = "lingerjob";
    static char* named[] = {name, nullptr};
    if (argc < 1) {
        argc = 1;
        argv = named;
    }
    // Whatever escapes ends the program with the failure status and one line,
    // never with a signal.
    try {
        return run(argc, argv, started);
    } catch (const std::bad_alloc&) {
        std::fputs("lingerjob: out of memory\n", stderr);  // unbuffered: needs no memory
    } catch (const std::exception& e) {
        std::fputs("lingerjob: ", stderr);
        std::fputs(e.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
        std::fputs("lingerjob: unknown error\n", stderr);
    }
    return exit_status::kFailure;
}
