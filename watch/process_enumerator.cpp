#include "watch/process_enumerator.h"

#include <algorithm>

bool isOwnLineage(const ProcessSnapshot& snapshot, ProcessId id) {
    return std::find(snapshot.ownLineage.begin(), snapshot.ownLineage.end(), id) !=
           snapshot.ownLineage.end();
}

std::optional<std::vector<std::string>> ProcessEnumerator::enumerate() {
    auto taken = snapshot();
    if (!taken) return std::nullopt;
    std::vector<std::string> names;
    names.reserve(taken->processes.size());
    for (auto& process : taken->processes) {
        if (!isOwnLineage(*taken, process.id)) names.push_back(std::move(process.name));
    }
    return names;
}
