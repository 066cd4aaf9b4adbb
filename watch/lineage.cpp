#include "watch/lineage.h"

#include <algorithm>

std::vector<ProcessId> lineageOf(
    ProcessId self, const std::function<std::optional<ProcessId>(ProcessId)>& parentOf) {
    std::vector<ProcessId> lineage{self};
    for (;;) {
        const auto parent = parentOf(lineage.back());
        if (!parent || *parent == 0) return lineage;
        if (std::find(lineage.begin(), lineage.end(), *parent) != lineage.end()) return lineage;
        lineage.push_back(*parent);
    }
}
