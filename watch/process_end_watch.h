#pragma once

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "watch/process_enumerator.h"

// Watches the ends of the processes a check found, so that the next check can
// come as soon as all of them have ended instead of at the next beat. Where the
// watch cannot be set (the platform lacks the means, a process cannot be opened,
// too many processes, no descriptors or handles left) it watches nothing and the
// beat alone serves: a watch never fails the wait.
class ProcessEndWatch {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~ProcessEndWatch() = default;

    // Watches these processes instead of those before; none for an empty list.
    // A process that has already ended counts as ended.
    virtual void watch(const std::vector<ProcessId>& ids) = 0;
    // Whether the watch was set and every process of it has ended.
    virtual bool allEnded() const = 0;
    // Sleeps until the moment, or until every watched process has ended;
    // returns allEnded().
    virtual bool sleepUntil(TimePoint until) = 0;

    // The exit codes of the watched processes that have ended, where the system
    // gives them, each once.
    struct ExitCode {
        ProcessId id;
        std::uint32_t code;
    };
    virtual std::vector<ExitCode> takeExitCodes() { return {}; }
};

// No watch: the beat alone.
class NoEndWatch : public ProcessEndWatch {
  public:
    void watch(const std::vector<ProcessId>&) override {}
    bool allEnded() const override { return false; }
    bool sleepUntil(TimePoint until) override {
        std::this_thread::sleep_until(until);
        return false;
    }
};

// Whether a process a watch saw end is listed again: a process that cannot end
// (one the platform still lists once it has ended) or an id used anew. Such a
// list is left to the beat, so a check never follows a check at once for ever.
bool listedAgain(const std::vector<ProcessId>& ended, const std::vector<ProcessId>& ids);
