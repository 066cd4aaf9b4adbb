#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"

std::optional<std::vector<RunningProcess>> refreshTaskList(Toolkit& toolkit,
                                                           ProcessEnumerator& processes) {
    // Cleared first, so a refresh that fails leaves no stale entries behind.
    toolkit.listClear();
    auto taken = processes.snapshot();
    if (!taken) return std::nullopt;
    std::vector<RunningProcess> listed;
    listed.reserve(taken->processes.size());
    for (const auto& process : taken->processes) {
        if (isOwnLineage(*taken, process.id)) continue;
        listed.push_back({process.id, toLowerUtf8(process.name)});
        toolkit.listAppend(listed.back().name);
    }
    return listed;
}
