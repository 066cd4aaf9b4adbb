#pragma once

#include <cstddef>
#include <vector>

#include "watch/process_end_watch.h"

// The ends of processes watched through their pidfds (Linux 5.3 and later),
// each readable once its process has ended: the console loop polls them; a
// window's event loop listens to one epoll descriptor that holds them all
// (listen()) and then calls collect(). Set for at most kMostWatched processes;
// without pidfd support, or where the pidfds would leave fewer than kSpareFds
// descriptors below the limit for the checks to read /proc with, it watches
// nothing.
class PidfdWatch : public ProcessEndWatch {
  public:
    static constexpr std::size_t kMostWatched = 256;
    static constexpr int kSpareFds = 16;

    PidfdWatch() = default;
    ~PidfdWatch() override;
    PidfdWatch(const PidfdWatch&) = delete;
    PidfdWatch& operator=(const PidfdWatch&) = delete;

    void watch(const std::vector<ProcessId>& ids) override;
    bool allEnded() const override { return set_ && running_.empty(); }
    bool sleepUntil(TimePoint until) override;

    // A descriptor, made now, that is readable while a watched process has
    // ended; -1 when it cannot be made (then nothing is ever watched).
    int listen();
    // Takes in the ends that came; returns allEnded().
    bool collect();

  private:
    struct Running {
        ProcessId id;
        int fd;
    };
    bool add(ProcessId id, int fd);
    void closeAll();

    bool listening_ = false;
    int epoll_ = -1;
    bool set_ = false;
    std::vector<Running> running_;
    std::vector<ProcessId> ended_;  // of the latest watch
};
