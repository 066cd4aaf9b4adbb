#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"

std::optional<std::vector<RunningProcess>> refreshTaskList(Toolkit& toolkit,
                                                           ProcessEnumerator& processes) {
    // Cleared first, so a refresh that fails leaves no stale entries behind.
    toolkit.listClear();
    auto listed = processes.listed();
    if (!listed) return std::nullopt;
    for (auto& process : *listed) {
        process.name = toLowerUtf8(process.name);
        toolkit.listAppend(process.name);
    }
    toolkit.listRefilled();
    return listed;
}
