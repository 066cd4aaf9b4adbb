#include "watch/linux/pidfd_watch.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

#ifndef SYS_pidfd_open
constexpr long SYS_pidfd_open = 434;  // the same number on every architecture
#endif

int pidfdOpen(ProcessId id) {
    return static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0u));
}

// Whether a descriptor this high leaves the spare ones below the limit: the
// lowest free number is always the one given, so all below it are taken.
bool leavesSpare(int fd, int spare) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
    return limit.rlim_cur == RLIM_INFINITY || static_cast<rlim_t>(fd) + spare < limit.rlim_cur;
}

}  // namespace

PidfdWatch::~PidfdWatch() {
    closeAll();
    if (epoll_ >= 0) close(epoll_);
}

int PidfdWatch::listen() {
    listening_ = true;
    if (epoll_ < 0) epoll_ = epoll_create1(EPOLL_CLOEXEC);
    return epoll_;
}

void PidfdWatch::closeAll() {
    for (const Running& process : running_) close(process.fd);  // also leaves the epoll set
    running_.clear();
    set_ = false;
}

bool PidfdWatch::add(ProcessId id, int fd) {
    running_.push_back({id, fd});
    if (!leavesSpare(fd, kSpareFds)) return false;
    if (!listening_) return true;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return epoll_ >= 0 && epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) == 0;
}

void PidfdWatch::watch(const std::vector<ProcessId>& ids) {
    closeAll();
    if (ids.empty() || ids.size() > kMostWatched || listedAgain(ended_, ids)) return;
    ended_.clear();
    for (const ProcessId id : ids) {
        const int fd = pidfdOpen(id);
        if (fd < 0 && errno == ESRCH) {  // it ended since the check
            ended_.push_back(id);
            continue;
        }
        // No pidfds here (ENOSYS), or descriptors short: the beat alone.
        if (fd < 0 || !add(id, fd)) {
            closeAll();
            return;
        }
    }
    set_ = true;
}

bool PidfdWatch::collect() {
    std::vector<pollfd> ends;
    ends.reserve(running_.size());
    for (const Running& process : running_) ends.push_back({process.fd, POLLIN, 0});
    if (ends.empty() || poll(ends.data(), ends.size(), 0) <= 0) return allEnded();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < running_.size(); ++i) {
        if (ends[i].revents == 0) {
            running_[kept++] = running_[i];
        } else {
            ended_.push_back(running_[i].id);
            close(running_[i].fd);
        }
    }
    running_.resize(kept);
    return allEnded();
}

bool PidfdWatch::sleepUntil(TimePoint until) {
    std::vector<pollfd> ends;
    while (!allEnded()) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= TimePoint::duration::zero()) return false;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const auto rest = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
        const timespec wait{static_cast<time_t>(seconds.count()), static_cast<long>(rest.count())};
        ends.clear();
        for (const Running& process : running_) ends.push_back({process.fd, POLLIN, 0});
        if (ppoll(ends.data(), ends.size(), &wait, nullptr) > 0) collect();
    }
    return true;
}
