#include "watch/windows/handle_watch.h"

#include <utility>

HandleWatch::~HandleWatch() {
    closeAll();
}

void HandleWatch::closeAll() {
    for (HANDLE handle : handles_) CloseHandle(handle);
    handles_.clear();
    ids_.clear();
    set_ = false;
}

void HandleWatch::watch(const std::vector<ProcessId>& ids) {
    closeAll();
    exitCodes_.clear();
    if (ids.empty() || ids.size() > kMostWatched || listedAgain(ended_, ids)) return;
    ended_.clear();
    for (const ProcessId id : ids) {
        HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!handle && GetLastError() == ERROR_ACCESS_DENIED) {
            handle = OpenProcess(SYNCHRONIZE, FALSE, id);  // the end without its exit code
        }
        if (!handle) {
            if (GetLastError() == ERROR_INVALID_PARAMETER) {  // no such process: it ended
                ended_.push_back(id);
                continue;
            }
            closeAll();  // not ours to open: the beat alone
            return;
        }
        handles_.push_back(handle);
        ids_.push_back(id);
    }
    set_ = true;
}

bool HandleWatch::ended(std::size_t index) {
    if (index < handles_.size()) {
        DWORD code = 0;
        if (GetExitCodeProcess(handles_[index], &code) && code != STILL_ACTIVE) {
            exitCodes_.push_back({ids_[index], code});
        }
        CloseHandle(handles_[index]);
        ended_.push_back(ids_[index]);
        handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(index));
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    return allEnded();
}

std::vector<ProcessEndWatch::ExitCode> HandleWatch::takeExitCodes() {
    return std::exchange(exitCodes_, {});
}

bool HandleWatch::sleepUntil(TimePoint until) {
    while (!allEnded()) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= TimePoint::duration::zero()) return false;
        // Rounded up: a wait that returns early finds nothing due yet.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const DWORD wait =
            ms >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(ms);
        if (handles_.empty()) {
            Sleep(wait);
            continue;
        }
        const DWORD got = WaitForMultipleObjects(static_cast<DWORD>(handles_.size()),
                                                 handles_.data(), FALSE, wait);
        if (got < WAIT_OBJECT_0 + handles_.size()) {
            ended(got - WAIT_OBJECT_0);
        } else if (got == WAIT_FAILED) {
            closeAll();  // the beat alone
        }
    }
    return true;
}
