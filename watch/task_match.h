#pragma once

#include <string_view>
#include <vector>

#include "watch/process_enumerator.h"

// How a watch compares a running process with its task.
struct TaskMatch {
    bool exact = false;  // the whole text must equal the task, not hold it
    bool full = false;   // the text is the process's command line, not its name
};

// Whether a process's text, lower-cased, matches the task sought, lower-cased
// too: holds it (an empty task is in every name), or with exact equals it. A
// name given as exeName may also equal the task followed by ".exe".
bool textMatches(std::string_view text, std::string_view sought, bool exact, bool exeName);

// The indexes of the listed processes (names lower-cased, the own lineage left
// out) that match the task sought, lower-cased, in their order. With full each
// process's command line is read and lower-cased; a process whose command line
// cannot be read, or is empty, is matched by its name instead, as without full.
// Without full nothing but the names is looked at.
std::vector<std::size_t> matchingProcesses(const std::vector<RunningProcess>& listed,
                                           std::string_view sought, TaskMatch how,
                                           ProcessEnumerator& processes);
