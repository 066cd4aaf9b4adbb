#include "watch/linux/proc_enumerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <string>
#include <string_view>

#include "watch/lineage.h"
#include "watch/linux/proc_command_line.h"
#include "watch/linux/proc_names.h"

namespace {

// The id a /proc entry's name stands for; nothing for the entries that are no process.
std::optional<ProcessId> processId(const char* name) {
    if (*name == '\0') return std::nullopt;
    unsigned long id = 0;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9' || id > 0xFFFFFFFFul / 10) return std::nullopt;
        id = id * 10 + static_cast<unsigned long>(*name - '0');
    }
    return static_cast<ProcessId>(id);
}

// This process's id as the procfs numbers it ("self"): the procfs of another PID
// namespace numbers it otherwise than getpid() does.
std::optional<ProcessId> ownIdIn(int procFd) {
    std::array<char, 32> link;
    const ssize_t length = readlinkat(procFd, "self", link.data(), link.size() - 1);
    if (length <= 0) return std::nullopt;
    link[static_cast<std::size_t>(length)] = '\0';
    return processId(link.data());
}

// The parent of a process, from PID/stat; nothing when it cannot be read (the
// process has gone, or this is no procfs).
std::optional<ProcessId> parentOf(int procFd, ProcessId pid) {
    proc_process::Buffers::Stat stat;
    const std::string id = std::to_string(pid);
    const ssize_t got =
        proc_process::readProcFile(procFd, id.c_str(), "stat", stat.data(), stat.size());
    if (got <= 0) return std::nullopt;
    const auto fields = proc_names::parseStat(std::string_view(stat.data(), got));
    if (!fields) return std::nullopt;
    return static_cast<ProcessId>(fields->parent);
}

bool byId(const proc_process::Known& known, ProcessId id) {
    return known.id < id;
}

}  // namespace

std::optional<ProcessSnapshot> ProcEnumerator::snapshot() {
    const int procFd = open(procRoot_, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(procFd), closedir);
    if (!dir) {
        close(procFd);
        return std::nullopt;
    }

    // The clocks of processes are numbered as this process's PID namespace numbers
    // them: they may only stand in for /proc files that number them alike.
    const auto self = ownIdIn(procFd);
    const bool useCpuTime = self && *self == static_cast<ProcessId>(getpid());
    // Read before the listing: a parent that ends meanwhile leaves its id in the
    // lineage for this one snapshot, which costs nothing.
    ProcessSnapshot taken;
    taken.ownLineage = lineageOf(self ? *self : static_cast<ProcessId>(getpid()),
                                 [procFd](ProcessId pid) { return parentOf(procFd, pid); });
    taken.processes.reserve(known_.size() + known_.size() / 8 + 16);
    // Each known process is brought up to date where it lies; the ones met for the
    // first time are added after the listing, the ones not met (ended) removed.
    std::vector<proc_process::Known> added;
    for (auto& known : known_) known.visited = false;
    proc_process::Buffers buffers;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    buffers.now = static_cast<std::uint32_t>(now.tv_sec);
    buffers.maxAge = std::clamp<std::uint32_t>(maxNameAge_, 1, 30000);
    bool sawProcess = false;
    bool failed = false;
    try {
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir.get());
            if (!entry) {
                failed = errno != 0;  // a listing cut short is no listing
                break;
            }
            const auto pid = processId(entry->d_name);
            if (!pid) continue;
            sawProcess = true;
            // Never listed, so its name is not worth reading.
            if (*pid == taken.ownLineage.front()) continue;

            const auto old = std::lower_bound(known_.begin(), known_.end(), *pid, byId);
            const bool isNew = old == known_.end() || old->id != *pid || old->visited;
            if (isNew) {
                added.emplace_back();
                added.back().id = *pid;
            }
            proc_process::Known& known = isNew ? added.back() : *old;
            known.visited = true;
            const auto outcome = proc_process::refresh(procFd, entry->d_name, entry->d_ino,
                                                       useCpuTime, known, state_, buffers);
            if (outcome == proc_process::Outcome::Failed) {
                // What was not read this time is kept as it was, for the next one.
                failed = true;
                break;
            }
            if (outcome == proc_process::Outcome::Gone) {
                known.visited = false;
                if (isNew) {
                    state_.forget(known);
                    added.pop_back();
                }
                continue;
            }
            if (known.listed) {
                taken.processes.push_back(
                    RunningProcess{*pid, std::string(state_.names.at(known.name))});
            }
        }
        if (!failed) {
            known_.erase(std::remove_if(known_.begin(), known_.end(),
                                        [this](const proc_process::Known& known) {
                                            if (!known.visited) state_.forget(known);
                                            return !known.visited;
                                        }),
                         known_.end());
        }
        // /proc lists processes by id; kept sorted in case another procfs does not.
        const auto idOrder = [](const proc_process::Known& a, const proc_process::Known& b) {
            return a.id < b.id;
        };
        if (known_.empty()) {
            known_ = std::move(added);
        } else if (!added.empty()) {
            const auto middle = static_cast<std::ptrdiff_t>(known_.size());
            known_.insert(known_.end(), std::make_move_iterator(added.begin()),
                          std::make_move_iterator(added.end()));
            std::inplace_merge(known_.begin(), known_.begin() + middle, known_.end(), idOrder);
        }
        if (!std::is_sorted(known_.begin(), known_.end(), idOrder)) {
            std::sort(known_.begin(), known_.end(), idOrder);
        }
        if (known_.capacity() > known_.size() * 2 + 64) known_.shrink_to_fit();
        if (!failed) compactNames();
    } catch (...) {
        // Some entries may be half read: start afresh.
        known_.clear();
        state_ = proc_process::State();
        namesKept_ = 0;
        throw;
    }
    if (failed) return std::nullopt;
    // This process itself is running, so a listing without a single process is
    // not a procfs (say, an empty directory mounted over it): it tells nothing.
    if (!sawProcess) return std::nullopt;
    return taken;
}

void ProcEnumerator::compactNames() {
    // The pool only grows as names come; names of ended processes stay in it until
    // it is built afresh from the names still in use, once it has doubled.
    if (state_.names.bytes() <= 2 * namesKept_ + 4096) return;
    NamePool names;
    for (auto& known : known_) {
        if (known.listed) known.name = names.intern(state_.names.at(known.name));
    }
    state_.names = std::move(names);
    namesKept_ = state_.names.bytes();
}

std::optional<std::string> ProcEnumerator::nameOf(ProcessId id) {
    const int procFd = open(procRoot_, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    const std::string pid = std::to_string(id);
    proc_process::Known known;
    known.id = id;
    proc_process::State state;  // nothing kept from snapshots: read afresh
    proc_process::Buffers buffers;
    const auto outcome =
        proc_process::refresh(procFd, pid.c_str(), 0, false, known, state, buffers);
    close(procFd);
    if (outcome != proc_process::Outcome::Current || !known.listed) return std::nullopt;
    return std::string(state.names.at(known.name));
}

std::optional<std::string> ProcEnumerator::commandLine(ProcessId id) {
    return proc_command_line::read(procRoot_, id);
}
