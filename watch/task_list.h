#pragma once

class Toolkit;
class ProcessEnumerator;

// Clears List1 and fills it with the lower-cased executable names of the running
// processes, in the platform's order, duplicates kept, leaving out this program
// and its ancestors. Returns false when the
// processes could not be enumerated at all; the list is then left empty.
bool refreshTaskList(Toolkit& toolkit, ProcessEnumerator& processes);
