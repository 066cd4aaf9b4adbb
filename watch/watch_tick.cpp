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

void WatchTick::tellMatching(const std::vector<RunningProcess>& listed,
                             const std::vector<std::size_t>& matching) {
    std::vector<ProcessId> ids;
    for (const std::size_t i : matching) ids.push_back(listed[i].id);
    if (told_ && *told_ == ids) return;
    constexpr std::size_t kNamed = 5;
    std::string line = ids.empty() ? "no matching process" : "matching:";
    for (std::size_t n = 0; n < matching.size() && n < kNamed; ++n) {
        const RunningProcess& process = listed[matching[n]];
        line += (n ? ", " : " ") + std::to_string(process.id) + " " + process.name;
    }
    if (matching.size() > kNamed) {
        line += " and " + std::to_string(matching.size() - kNamed) + " more";
    }
    toolkit_.warn(line);
    told_ = std::move(ids);
}

bool WatchTick::stillFound(const std::string& sought) {
    // A wait while the task runs goes on while one process the last check found
    // runs under a matching name (read again: it may have become another program).
    // Where nobody sees the list, that answers the check without reading every
    // process; the set of matching processes --verbose tells needs the whole list.
    if (awaited_.empty() || verbose_ || toolkit_.listShown()) return false;
    std::vector<RunningProcess> still;
    for (const ProcessId id : awaited_) {
        if (auto name = processes_.nameOf(id)) still.push_back({id, toLowerUtf8(*name)});
    }
    const std::vector<std::size_t> matching = matchingProcesses(still, sought, match_, processes_);
    if (matching.empty()) return false;
    awaited_.clear();
    for (const std::size_t i : matching) awaited_.push_back(still[i].id);
    return true;
}

void WatchTick::runTrapped() {
    toolkit_.setBackColor(role::kStatusLabel,
                          nextBlinkColor(toolkit_.backColor(role::kStatusLabel)));
    taskName_ = toolkit_.text(role::kTaskName);
    // The entries are lower-cased, so the task name is too, by the same mapping:
    // "Firefox" finds firefox.
    const std::string sought = toLowerUtf8(taskName_);
    const bool whileRunning = toolkit_.value(role::kWhileRunning);
    if (whileRunning && stillFound(sought)) {
        toolkit_.setCaption(role::kStatusLabel, "Found.");
        return;
    }
    awaited_.clear();

    const auto listed = refreshTaskList(toolkit_, processes_);
    if (!listed) {
        // Not knowing which processes run says nothing about the task: keep
        // waiting and try again at the next tick.
        listUnknown();
        return;
    }
    failureReported_ = false;

    const std::vector<std::size_t> matching =  // indexes into listed
        matchingProcesses(*listed, sought, match_, processes_);
    const bool found = !matching.empty();

    if (waitIsOver(whileRunning, toolkit_.value(role::kWhileNotRunning), found)) {
        if (verbose_) {
            toolkit_.warn(found ? "the wait is over: a matching process runs"
                                : "the wait is over: no matching process runs");
        }
        toolkit_.unload(exit_status::kWaitOver);
    } else {
        // The end's own line says what the last check saw.
        if (verbose_) tellMatching(*listed, matching);
        toolkit_.setCaption(role::kStatusLabel, found ? "Found." : "Not found.");
        if (whileRunning) {
            for (const std::size_t i : matching) awaited_.push_back((*listed)[i].id);
        }
    }
}
