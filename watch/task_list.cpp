#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"

std::optional<std::vector<RunningProcess>> refreshTaskList(Toolkit& toolkit,
                                                           ProcessEnumerator& processes) {
    // A refresh that fails leaves no stale entries behind (one that throws is
    // cleared by its caller).
    auto listed = processes.listed();
    if (!listed) {
        toolkit.listClear();
        return std::nullopt;
    }
    std::vector<std::string> names;
    names.reserve(listed->size());
    for (auto& process : *listed) {
        process.name = toLowerUtf8(process.name);
        names.push_back(process.name);
    }
    toolkit.listReplace(names);
    toolkit.listRefilled();
    return listed;
}
