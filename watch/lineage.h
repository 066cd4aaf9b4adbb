#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "watch/process_enumerator.h"

// A process and its ancestors, nearest first: self, its parent, the parent's
// parent, up to the first process of the system. parentOf gives a process's
// parent, or nothing where the chain ends (no parent, or one that cannot be
// read or trusted). The walk stops at id 0 and at an id it has already met, so
// a platform's odd answer (a process its own parent) cannot make it loop.
std::vector<ProcessId> lineageOf(
    ProcessId self, const std::function<std::optional<ProcessId>(ProcessId)>& parentOf);
