#pragma once

#include <string>
#include <utility>

// How the window program, run as the launcher's child, ended.
struct WindowEnd {
    enum class How {
        Told,       // it told its final status (status) before it ended
        Signalled,  // the launcher got signal, passed it on, and the window program has ended
        Gone,       // it ended without telling: why is the line that says how
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
// nor ignored here) are passed on to it; it is killed should this process die
// first. A window program that cannot be started is a Told failure, its reason
// on standard error.
WindowEnd runWindowChild(const std::string& window, const std::string& self, char** argv);
