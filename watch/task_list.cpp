#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"

std::optional<std::vector<RunningProcess>> refreshTaskList(Toolkit& toolkit,
                                                           ProcessEnumerator& processes) {
    // Cleared first, so a refresh that fails leaves no stale entries behind.
    toolkit.listClear();
    auto listed = processes.listed();
    if (!listed) return std::nullopt;
    std::vector<std::string> names;
    names.reserve(listed->size());
    for (auto& process : *listed) {
        process.name = toLowerUtf8(process.name);
        names.push_back(process.name);
    }
    toolkit.listAppendAll(names);
    toolkit.listRefilled();
    return listed;
}
