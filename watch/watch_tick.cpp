#include "watch/watch_tick.h"

#include <new>

#include "contract/design.h"
#include "contract/exit_status.h"
#include "contract/toolkit.h"
#include "watch/lower_case.h"
#include "watch/task_list.h"

std::uint32_t nextBlinkColor(std::uint32_t current) {
    return current == design::kButtonFace ? design::kRed : design::kButtonFace;
}

bool entryHoldsTask(std::string_view entry, std::string_view taskName) {
    return !entry.empty() && entry.find(taskName) != std::string_view::npos;
}

bool waitIsOver(bool whileRunning, bool whileNotRunning, bool found) {
    return (whileNotRunning && found) || (whileRunning && !found);
}

void WatchTick::run() {
    try {
        runTrapped();
    } catch (const std::bad_alloc&) {
        // Memory that ran short for one check is like a list that could not be
        // read: the next tick tries again. Nothing here allocates.
        toolkit_.listClear();
        listUnknown();
    } catch (...) {
        toolkit_.unload(exit_status::kFailure);
    }
}

void WatchTick::listUnknown() {
    if (!failureReported_) {
        toolkit_.warn(listFailure_);
        failureReported_ = true;
    }
}

void WatchTick::runTrapped() {
    toolkit_.setBackColor(role::kStatusLabel,
                          nextBlinkColor(toolkit_.backColor(role::kStatusLabel)));
    taskName_ = toolkit_.text(role::kTaskName);
    awaited_.clear();

    const auto listed = refreshTaskList(toolkit_, processes_);
    if (!listed) {
        // Not knowing which processes run says nothing about the task: keep
        // waiting and try again at the next tick.
        listUnknown();
        return;
    }
    failureReported_ = false;

    // The entries are lower-cased, so the task name is too, by the same mapping:
    // "Firefox" finds firefox.
    const std::string sought = toLowerUtf8(taskName_);
    std::vector<ProcessId> matching;
    for (const auto& process : *listed) {
        if (entryHoldsTask(process.name, sought)) matching.push_back(process.id);
    }
    const bool found = !matching.empty();
    const bool whileRunning = toolkit_.value(role::kWhileRunning);

    if (waitIsOver(whileRunning, toolkit_.value(role::kWhileNotRunning), found)) {
        toolkit_.unload(exit_status::kWaitOver);
    } else {
        toolkit_.setCaption(role::kStatusLabel, found ? "Found." : "Not found.");
        if (whileRunning) awaited_ = std::move(matching);
    }
}
