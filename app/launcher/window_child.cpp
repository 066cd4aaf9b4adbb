#include "app/launcher/window_child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/launcher/status_pipe.h"
#include "contract/exit_status.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPassedOn[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// A descriptor of ours must not take the number of a closed standard one: the
// window program's standard error would write into it.
int aboveStandard(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

void writeAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

WindowEnd failed(const std::string& what) {
    writeAll("lingerjob: " + what + ": " + std::strerror(errno) + "\n");
    return WindowEnd::told(exit_status::kFailure);
}

// The line for a window program that ended without telling its status.
std::string howItWent(int waitStatus) {
    const std::string goingOn = "; going on without a window";
    if (WIFSIGNALED(waitStatus)) {
        const int signal = WTERMSIG(waitStatus);
        return "the window program ended by signal " + std::to_string(signal) + " (" +
               strsignal(signal) + ")" + goingOn;
    }
    const int status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : exit_status::kFailure;
    // Qt's X11 and Wayland platforms end the process with status 1 when the
    // connection to the display breaks.
    if (status == exit_status::kFailure) return "the display was lost" + goingOn;
    return "the window program ended with status " + std::to_string(status) + goingOn;
}

// Everything the child changes back, or needs, between fork and exec.
struct ChildSetup {
    pid_t launcher;
    sigset_t mask;
    struct sigaction childSignal;
    int statusOut;
    std::string cannotStart;
};

[[noreturn]] void becomeWindow(const ChildSetup& setup, const std::string& window, char** argv) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != setup.launcher) _exit(exit_status::kFailure);  // the launcher went already
    sigaction(SIGCHLD, &setup.childSignal, nullptr);
    sigprocmask(SIG_SETMASK, &setup.mask, nullptr);
    fcntl(setup.statusOut, F_SETFD, 0);  // the one descriptor the window program inherits
    execv(window.c_str(), argv);
    const char* reason = std::strerror(errno);
    writeAll(setup.cannotStart);
    writeAll(reason);
    writeAll("\n");
    // Told, so the launcher ends with the failure instead of going on without a window.
    _exit(status_pipe::tellLauncher(exit_status::kFailure));
}

// Ends a window program that may be stopped, frozen or stuck, and reaps it if it
// goes at once: one stuck in the kernel cannot end, and is not waited for.
void endChild(pid_t child) {
    kill(child, SIGKILL);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(child, nullptr, WNOHANG) != 0) return;
        usleep(10 * 1000);
    }
}

// The time the window program has run on a CPU or waited for one, in
// nanoseconds; -1 when it cannot be read. A window program busy in a long check
// runs, and one on a machine busier than its cores waits in the run queue; a
// stopped or frozen one, or one stuck waiting for a display that does not
// answer, does neither.
long long runTimeOf(pid_t child) {
    const std::string path = "/proc/" + std::to_string(child) + "/schedstat";
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) return -1;
    long long ran = 0, waited = 0;
    const bool read = std::fscanf(file, "%lld %lld", &ran, &waited) == 2;
    std::fclose(file);
    return read ? ran + waited : -1;
}

// Reads what the window program said; false once its end of the pipe is closed.
bool readStatusPipe(int statusIn, status_pipe::Reader& reader, bool& heard) {
    for (;;) {
        unsigned char bytes[64];
        const ssize_t n = read(statusIn, bytes, sizeof bytes);
        if (n > 0) {
            heard = reader.take(bytes, n) || heard;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0;  // EAGAIN: all read for now; 0: closed
    }
}

// Waits for the window program's end, passing on signals; keeps the deadline and
// the window program's beat.
WindowEnd watchChild(pid_t child, int statusIn, int signals,
                     std::optional<Clock::time_point> deadline) {
    using std::chrono::milliseconds;
    status_pipe::Reader reader;
    Clock::time_point silentBy = Clock::now() + milliseconds(status_pipe::kFirstBeatMs);
    long long ranBy = runTimeOf(child);  // its run time at the last beat or look
    int passedOn = 0;                    // the signal passed on, once one was
    bool pipeOpen = true;
    int waitStatus = 0;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (passedOn == 0 && deadline && now >= *deadline) {
            endChild(child);
            return WindowEnd::told(exit_status::kTimedOut);
        }
        if (now >= silentBy) {
            // Silent, but at work: another look a second later.
            const long long ran = runTimeOf(child);
            if (passedOn == 0 && ran > ranBy) {
                ranBy = ran;
                silentBy = now + milliseconds(status_pipe::kBusyLookMs);
                continue;
            }
            endChild(child);
            if (passedOn != 0) {
                writeAll("lingerjob: the window program did not end on signal " +
                         std::to_string(passedOn) + " (" + strsignal(passedOn) +
                         "), so it was killed\n");
                return WindowEnd::signalled(passedOn);
            }
            return WindowEnd::gone(
                "the window program stopped answering; going on without a window");
        }
        Clock::time_point until = silentBy;
        if (passedOn == 0 && deadline) until = std::min(until, *deadline);
        const auto left = std::chrono::ceil<milliseconds>(until - now).count();
        pollfd watched[] = {{signals, POLLIN, 0}, {pipeOpen ? statusIn : -1, POLLIN, 0}};
        if (poll(watched, 2, static_cast<int>(left)) < 0 && errno != EINTR) {
            // Cannot wait here: wait for the end alone, as a plain parent would.
            while (waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        if (watched[1].revents != 0) {
            bool heard = false;
            pipeOpen = readStatusPipe(statusIn, reader, heard);
            if (heard && passedOn == 0) {
                silentBy = Clock::now() + milliseconds(status_pipe::kSilenceMs);
                ranBy = runTimeOf(child);
            }
        }
        if (watched[0].revents == 0) continue;
        signalfd_siginfo info{};
        if (read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
        const int signal = static_cast<int>(info.ssi_signo);
        if (signal == SIGCHLD) {
            if (waitpid(child, &waitStatus, WNOHANG) == child &&
                (WIFEXITED(waitStatus) || WIFSIGNALED(waitStatus))) {
                break;
            }
            continue;
        }
        if (passedOn != 0) continue;  // the first one decides how this process ends
        kill(child, signal);
        kill(child, SIGCONT);  // a stopped window program would never act on it
        passedOn = signal;
        silentBy = Clock::now() + milliseconds(status_pipe::kSilenceMs);
    }
    if (pipeOpen) {
        bool heard = false;
        readStatusPipe(statusIn, reader, heard);
    }
    if (passedOn != 0) return WindowEnd::signalled(passedOn);
    if (reader.told()) return WindowEnd::told(*reader.told());
    return WindowEnd::gone(howItWent(waitStatus));
}

}  // namespace

WindowEnd runWindowChild(const std::string& window, const std::string& self, char** argv,
                         std::optional<Clock::time_point> deadline) {
    ChildSetup setup{};
    setup.launcher = getpid();
    setup.cannotStart = "lingerjob: cannot start " + window + ": ";

    // What this process is to pass on: a signal the caller blocked or ignored
    // reaches the window program as it would have reached us, that is not at all.
    sigset_t watched;
    sigemptyset(&watched);
    sigprocmask(SIG_BLOCK, nullptr, &setup.mask);
    for (const int signal : kPassedOn) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler != SIG_IGN && !sigismember(&setup.mask, signal)) {
            sigaddset(&watched, signal);
        }
    }
    // The child's end is seen as SIGCHLD, which must not be ignored here.
    sigaddset(&watched, SIGCHLD);
    struct sigaction reap {};
    reap.sa_handler = SIG_DFL;
    sigaction(SIGCHLD, &reap, &setup.childSignal);
    sigprocmask(SIG_BLOCK, &watched, nullptr);

    const auto restore = [&setup] {
        sigaction(SIGCHLD, &setup.childSignal, nullptr);
        sigprocmask(SIG_SETMASK, &setup.mask, nullptr);
        unsetenv(status_pipe::kVariable);
        unsetenv("LINGERJOB_PROGRAM");
    };
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        restore();
        return failed("cannot make a pipe for the window program");
    }
    const int statusIn = aboveStandard(ends[0]);
    setup.statusOut = aboveStandard(ends[1]);
    const int signals = aboveStandard(signalfd(-1, &watched, SFD_CLOEXEC));
    const auto closeAll = [&] {
        for (const int fd : {statusIn, setup.statusOut, signals}) {
            if (fd >= 0) close(fd);
        }
    };
    if (statusIn < 0 || setup.statusOut < 0 || signals < 0) {
        const WindowEnd end = failed("cannot wait for the window program");
        closeAll();
        restore();
        return end;
    }
    fcntl(statusIn, F_SETFL, O_NONBLOCK);
    // "Make command line" names this program, not the window program.
    setenv("LINGERJOB_PROGRAM", self.c_str(), 1);
    setenv(status_pipe::kVariable, std::to_string(setup.statusOut).c_str(), 1);

    const pid_t child = fork();
    if (child == 0) becomeWindow(setup, window, argv);
    close(setup.statusOut);
    setup.statusOut = -1;
    if (child < 0) {
        const WindowEnd end = failed("cannot start " + window);
        closeAll();
        restore();
        return end;
    }

    const WindowEnd end = watchChild(child, statusIn, signals, deadline);
    closeAll();
    restore();
    return end;
}
