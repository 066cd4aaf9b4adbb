#include "watch/task_list.h"

#include "contract/toolkit.h"
#include "watch/lower_case.h"
#include "watch/process_enumerator.h"

bool refreshTaskList(Toolkit& toolkit, ProcessEnumerator& processes) {
    // A refresh that fails leaves no stale entries behind (one that throws is
    // cleared by its caller).
    auto names = processes.enumerate();
    if (!names) {
        toolkit.listClear();
        return false;
    }
    for (auto& name : *names) name = toLowerUtf8(name);
    toolkit.listReplace(*names);
    return true;
}
