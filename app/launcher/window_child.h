#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>

// How the window program, run as the launcher's child, ended.
struct WindowEnd {
    enum class How {
        Told,       // it told its final status (status) before it ended, or the deadline
                    // came (status 124) and the launcher ended it
        Signalled,  // the launcher got signal, passed it on, and the window program has ended
        Gone,       // it ended without telling, or stopped answering and was ended:
                    // why is the line that says how
    };
    How how;
    int status = 0;
    int signal = 0;
    std::string why;

    static WindowEnd told(int status) { return {How::Told, status, 0, {}}; }
    static WindowEnd signalled(int signal) { return {How::Signalled, 0, signal, {}}; }
    static WindowEnd gone(std::string why) { return {How::Gone, 0, 0, std::move(why)}; }
};

// Runs the window program at window as a child of this process, with these
// arguments (argv, ending with a null) and LINGERJOB_PROGRAM set to self, and
// waits for its end. SIGTERM, SIGINT, SIGHUP and SIGQUIT (those neither blocked
// nor ignored here) are passed on to it, a stopped one continued so it acts on
// them; it is killed should this process die first. The launcher keeps the
// deadline, if any, itself: the window program is killed then, whatever it is
// doing. So is a window program that stops answering (no beat on the status
// pipe for status_pipe::kSilenceMs), and one that has not ended that long after
// a signal was passed on. A window program that cannot be started is a Told
// failure, its reason on standard error.
WindowEnd runWindowChild(const std::string& window, const std::string& self, char** argv,
                         std::optional<std::chrono::steady_clock::time_point> deadline);
