#pragma once

#include <optional>
#include <vector>

#include "watch/process_enumerator.h"

class Toolkit;

// Clears List1 and fills it with the lower-cased executable names of the running
// processes, in the platform's order, duplicates kept, leaving out this program
// and its ancestors. Returns the processes listed, with their ids and their names
// as listed (List1 is the view of them); nothing when the processes could not be
// enumerated at all, the list then left empty.
std::optional<std::vector<RunningProcess>> refreshTaskList(Toolkit& toolkit,
                                                           ProcessEnumerator& processes);
