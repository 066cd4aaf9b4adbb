#pragma once

#include <optional>
#include <string>
#include <string_view>

// Pure helpers that turn what /proc files hold into a process's executable name.
// They never touch the file system, so they can be tested and fuzzed alone.
namespace proc_names {

// The file name of an exe link's target: the part after the last "/", with the
// kernel's " (deleted)" mark removed from the end.
std::string_view exeFileName(std::string_view linkTarget);

// The contents of /proc/PID/comm without the newline the kernel ends it with.
std::string_view commFromCommFile(std::string_view contents);

// The name in /proc/PID/stat: between the first "(" and the last ")", since the
// name itself may hold spaces and parentheses. Empty when the text is not of that form.
std::string_view commFromStat(std::string_view contents);

// The parent's process id in /proc/PID/stat (the field after the state, behind
// the name's last ")"). Nothing when the text is not of that form.
std::optional<unsigned long> parentFromStat(std::string_view contents);

// Whether the kernel's short name is the start of file (an empty one starts anything).
bool shortNameStarts(std::string_view comm, std::string_view file);

// The file name of the script a process runs through a "#!" line, or empty when
// it runs none. The kernel names such a process (comm) after the script's file,
// cut at 15 bytes, while its exe link and argv[0] name the interpreter; the
// script's path is the first argument after argv[0] that is not an option.
// An interpreter started by hand ("python3 x.py") keeps its own short name, so
// it is never taken for its script.
std::string_view scriptFileName(std::string_view comm, std::string_view cmdline);

// The name of a process whose exe link cannot be read: argv[0]'s file name when
// the kernel's short name (cut at 15 characters) is a prefix of it, otherwise
// the script's file name when it runs one, otherwise the short name.
std::string_view nameWithoutExe(std::string_view comm, std::string_view cmdline);

}  // namespace proc_names
