#include "watch/process_end_watch.h"

#include <algorithm>

bool listedAgain(const std::vector<ProcessId>& ended, const std::vector<ProcessId>& ids) {
    return std::any_of(ids.begin(), ids.end(), [&ended](ProcessId id) {
        return std::find(ended.begin(), ended.end(), id) != ended.end();
    });
}
