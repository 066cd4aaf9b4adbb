#pragma once

#include <optional>
#include <string>
#include <string_view>

// A process's command line from a procfs, for --full.
namespace proc_command_line {

// The arguments of a /proc/PID/cmdline text (each ended by a NUL) joined by
// single blanks. A text without NULs (a process that rewrote its arguments as
// one line) stays as it is.
std::string joinedArguments(std::string_view cmdline);

// The command line of process pid under the procfs at procRoot, whole, its
// arguments joined by blanks; nothing when it cannot be read (the process has
// gone, or hidepid keeps it from this account) or is empty (a kernel thread, a
// process that cleared its arguments).
std::optional<std::string> read(const char* procRoot, unsigned long pid);

}  // namespace proc_command_line
