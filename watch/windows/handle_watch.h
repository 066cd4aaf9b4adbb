#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "watch/process_end_watch.h"

// The ends of processes watched through their handles, opened with SYNCHRONIZE
// (and, where allowed, the right to read the exit code): the console loop waits on them
// (WaitForMultipleObjects), the window's message loop beside its messages
// (MsgWaitForMultipleObjects, handles()) and then calls ended(). Set for at most kMostWatched
// processes, what one such wait takes beside the message queue; with more, or a process that cannot
// be opened (another account's, without the right), it watches nothing.
class HandleWatch : public ProcessEndWatch {
  public:
    static constexpr std::size_t kMostWatched = MAXIMUM_WAIT_OBJECTS - 1;

    HandleWatch() = default;
    ~HandleWatch() override;
    HandleWatch(const HandleWatch&) = delete;
    HandleWatch& operator=(const HandleWatch&) = delete;

    void watch(const std::vector<ProcessId>& ids) override;
    bool allEnded() const override { return set_ && handles_.empty(); }
    bool sleepUntil(TimePoint until) override;

    // The handles of the processes still running, to wait on.
    const std::vector<HANDLE>& handles() const { return handles_; }
    // The process of handles()[index] has ended; returns allEnded().
    bool ended(std::size_t index);
    std::vector<ExitCode> takeExitCodes() override;

  private:
    void closeAll();

    bool set_ = false;
    std::vector<HANDLE> handles_;
    std::vector<ProcessId> ids_;    // of handles_, in its order
    std::vector<ProcessId> ended_;  // of the latest watch
    std::vector<ExitCode> exitCodes_;
};
