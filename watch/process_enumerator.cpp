#include "watch/process_enumerator.h"

#include <algorithm>

bool isOwnLineage(const ProcessSnapshot& snapshot, ProcessId id) {
    return std::find(snapshot.ownLineage.begin(), snapshot.ownLineage.end(), id) !=
           snapshot.ownLineage.end();
}

std::optional<std::vector<std::string>> ProcessEnumerator::enumerate() {
    auto processes = listed();
    if (!processes) return std::nullopt;
    std::vector<std::string> names;
    names.reserve(processes->size());
    for (auto& process : *processes) names.push_back(std::move(process.name));
    return names;
}

std::optional<std::vector<RunningProcess>> ProcessEnumerator::listed() {
    auto taken = snapshot();
    if (!taken) return std::nullopt;
    // Filtered where it lies: a copy would double what a check holds at its peak.
    auto& processes = taken->processes;
    processes.erase(std::remove_if(processes.begin(), processes.end(),
                                   [&](const RunningProcess& process) {
                                       return isOwnLineage(*taken, process.id);
                                   }),
                    processes.end());
    return std::move(processes);
}
