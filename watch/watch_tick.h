#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/process_enumerator.h"
#include "watch/task_match.h"

class Toolkit;

// The colour Label3 takes at the next tick: red after button face, button face
// after anything else.
std::uint32_t nextBlinkColor(std::uint32_t current);

// Whether the wait is over, from the option set and whether the task was found:
// "Is running" waits while the task runs, so it is over once the task is not
// found; "Is not running" waits while it does not, so it is over once it is.
bool waitIsOver(bool whileRunning, bool whileNotRunning, bool found);

// One tick of the watch. Lives as long as Form1 and keeps the task name of the
// latest tick (Text1's text as it was, not lower-cased), plus whether a failed enumeration has
// already been reported.
class WatchTick {
  public:
    WatchTick(Toolkit& toolkit, ProcessEnumerator& processes)
        : toolkit_(toolkit), processes_(processes) {}

    // Blinks Label3, refreshes List1, seeks Text1's text, lower-cased as the
    // entries are, among the listed processes as match() says (task_match.h), and either
    // ends the program (the wait is over) or shows "Found." / "Not found.".
    // A run-time error ends the program with the failure status; memory that
    // runs short (std::bad_alloc) is a list that could not be read.
    void run();

    const std::string& taskName() const { return taskName_; }
    // The processes the latest tick found while waiting for them to end ("Is
    // running" and found): whose ends an adapter may watch, to check again as
    // soon as they have all ended. Empty otherwise.
    const std::vector<ProcessId>& awaited() const { return awaited_; }

    // With verbose set, a check says on standard error which processes match
    // whenever that set changes, and why the wait is over when it is.
    void setVerbose(bool verbose) { verbose_ = verbose; }
    bool verbose() const { return verbose_; }

    // How the processes are compared with the task (--exact, --full).
    const TaskMatch& match() const { return match_; }
    void setMatch(const TaskMatch& match) { match_ = match; }

  private:
    void runTrapped();
    // Whether a process of awaited_ still runs and matches, where that may stand
    // for a whole check (see the definition); keeps in awaited_ those that do.
    bool stillFound(const std::string& sought);
    // Warns, once until a list is read again, that the processes could not be read.
    void listUnknown();
    // Says which processes match, if that changed since it last said so.
    void tellMatching(const std::vector<RunningProcess>& listed,
                      const std::vector<std::size_t>& matching);

    Toolkit& toolkit_;
    ProcessEnumerator& processes_;
    std::string taskName_;
    TaskMatch match_;
    std::vector<ProcessId> awaited_;
    bool verbose_ = false;
    std::optional<std::vector<ProcessId>> told_;  // the matching set said last
    bool failureReported_ = false;
    // Made at the start, so that warning needs no memory when memory has run short.
    const std::string listFailure_ = "could not read the list of running processes; still waiting";
};
