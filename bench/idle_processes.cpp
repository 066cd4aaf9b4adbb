// Starts COUNT processes that wait for signals, for measuring a machine with many
// processes; every BEAT_MS it wakes the share of them (in percent) that the file
// SHARE_FILE holds, read again at each beat (a different part each time, for a
// moment of CPU time), so that a check at that beat finds that share of the
// processes having run since the last one. Prints "ready" once all run, and ends
// them all when it ends (SIGTERM, SIGINT, or its own end: each one dies with its
// parent).
//   idle_processes COUNT [SHARE_FILE BEAT_MS]
#include <signal.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

volatile sig_atomic_t stopping = 0;

void onStop(int) {
    stopping = 1;
}
void onWake(int) {}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s COUNT [SHARE_FILE BEAT_MS]\n", argv[0]);
        return 2;
    }
    const long count = std::atol(argv[1]);
    const long beatMs = argc == 4 ? std::atol(argv[3]) : 3000;
    const pid_t parent = getpid();
    struct sigaction action {};
    action.sa_handler = onWake;
    sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = onStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t blocked, none;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigemptyset(&none);

    std::vector<pid_t> children;
    children.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count && !stopping; ++i) {
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            break;
        }
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            signal(SIGTERM, SIG_DFL);
            signal(SIGINT, SIG_DFL);
            for (;;) sigsuspend(&none);
        }
        children.push_back(child);
    }
    sigprocmask(SIG_BLOCK, &blocked, nullptr);  // but while the loop waits for them
    std::printf("ready %zu\n", children.size());
    std::fflush(stdout);

    std::size_t next = 0;
    const timespec beat{beatMs / 1000, (beatMs % 1000) * 1000000};
    while (!stopping && !children.empty()) {
        long share = 0;
        if (FILE* file = argc == 4 ? std::fopen(argv[2], "r") : nullptr) {
            if (std::fscanf(file, "%ld", &share) != 1) share = 0;
            std::fclose(file);
        }
        const std::size_t woken = children.size() * static_cast<std::size_t>(share) / 100;
        for (std::size_t i = 0; i < woken; ++i, ++next) {
            kill(children[next % children.size()], SIGUSR1);
        }
        sigprocmask(SIG_UNBLOCK, &blocked, nullptr);
        nanosleep(&beat, nullptr);  // a stop signal cuts it short
        sigprocmask(SIG_BLOCK, &blocked, nullptr);
    }
    for (const pid_t child : children) kill(child, SIGKILL);
    return 0;
}
