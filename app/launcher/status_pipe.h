#pragma once

#include <optional>

// The pipe on which the window program, started by the launcher as its child,
// talks to the launcher. It beats while its event loop runs: a kBeat byte every
// kBeatMs, from a timer of that loop, so a window program that is stopped, frozen
// or stuck (in a call to a display that no longer answers, say) beats no more.
// Just before it ends by any of its own paths it tells its final status: kStatus
// and the status byte. An end without it (Qt ends the process when its display
// goes; a crash) tells the launcher that the window went while the wait was not
// over.
namespace status_pipe {

// The variable that names the pipe's descriptor to the window program.
constexpr const char* kVariable = "LINGERJOB_STATUS_FD";

constexpr unsigned char kBeat = '.';
constexpr unsigned char kStatus = 'S';
constexpr int kBeatMs = 500;
// How long the launcher waits for a beat before it takes the window program for
// one that has stopped answering: from the last beat, and from the start for the
// first one, which comes once Qt has connected to the display.
constexpr int kSilenceMs = 3000;
constexpr int kFirstBeatMs = 10000;
// A silent window program that ran on a CPU since the last beat is busy (a long
// check on a loaded machine), not stuck: the launcher looks again this much later,
// and takes it for stopped once it has not run at all in between.
constexpr int kBusyLookMs = 1000;

// In the window program, first thing: takes the pipe the launcher handed down,
// if any (the variable is removed, the descriptor is not passed on to programs
// started from here).
void takeFromLauncher();

// Whether a launcher waits on the pipe.
bool launcherWaits();

// One beat to the launcher, if it waits; never blocks (a beat that finds the
// pipe full is left out: the launcher has not read the earlier ones yet).
void beat();

// Tells the launcher the final status, if a launcher waits; returns the status.
int tellLauncher(int status);

// The launcher's reading of the pipe, a piece at a time.
class Reader {
  public:
    // Takes the bytes read; returns whether they held a beat or the status.
    bool take(const unsigned char* bytes, long count);
    // The final status, once told.
    std::optional<int> told() const { return told_; }

  private:
    bool statusNext_ = false;
    std::optional<int> told_;
};

}  // namespace status_pipe
