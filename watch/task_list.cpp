#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"
#include "watch/process_enumerator.h"

bool refreshTaskList(Toolkit& toolkit, ProcessEnumerator& processes) {
    // Cleared first, so a refresh that fails leaves no stale entries behind.
    toolkit.listClear();
    auto names = processes.enumerate();
    if (!names) return false;
    for (auto& name : *names) name = toLowerUtf8(name);
    toolkit.listAppendAll(*names);
    return true;
}
