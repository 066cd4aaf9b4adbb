#pragma once

#include <optional>
#include <string>
#include <string_view>

// Pure helpers that turn what /proc files hold into a process's name. They never
// touch the file system, so they can be tested and fuzzed alone.
namespace proc_names {

// The most bytes of a name the kernel keeps as a process's short name (comm):
// longer names are cut there.
constexpr std::size_t kShortNameBytes = 15;

// What the enumeration reads from /proc/PID/stat.
struct StatFields {
    // The short name, within the text: between the first "(" and the last ")",
    // since the name itself may hold spaces and parentheses.
    std::string_view comm;
    char state = '?';          // R, S, D, Z, X, ...
    unsigned long parent = 0;  // the parent's process id
    unsigned long flags = 0;   // the kernel's PF_* flags
    unsigned long long threads = 0;
    unsigned long long startTime = 0;  // clock ticks after boot
};

// The fields above, or nothing when the text is not a stat line that holds them.
std::optional<StatFields> parseStat(std::string_view contents);

// Whether the process runs a program: kernel threads (PF_KTHREAD) and zombies
// (ended, not yet reaped) do not. A process whose main thread has ended while
// other threads run shows as a zombie with more than one thread, and runs.
bool runsProgram(const StatFields& stat);

// Whether the kernel's short name is the start of file (an empty one starts anything).
bool shortNameStarts(std::string_view comm, std::string_view file);

// The file name of the script a process runs through a "#!" line, or empty when
// it runs none. The kernel names such a process (comm) after the script's file,
// cut at 15 bytes, while argv[0] names the interpreter; the script's path is the
// first argument after argv[0] that is not an option. An interpreter started by
// hand ("python3 x.py") keeps its own short name, so it is never taken for its script.
std::string_view scriptFileName(std::string_view comm, std::string_view cmdline);

// A short name cut at 15 bytes, made whole from the command line: argv[0]'s file
// name when the short name is the start of it, otherwise the script's file name
// when it runs one, otherwise the short name.
std::string_view wholeName(std::string_view comm, std::string_view cmdline);

// An interpreter started under its own name, as "#!/usr/bin/env NAME" starts
// one, with a script's path among its arguments.
struct ScriptCall {
    std::string_view interpreter;  // argv[0]'s file name, which the short name starts
    std::string_view path;         // the first later argument that is no option and holds a "/"
};

// The script call a command line may be, or nothing when it is not of that form.
std::optional<ScriptCall> scriptCall(std::string_view comm, std::string_view cmdline);

// The name of the program a "#!" line at the start of head runs its script with:
// the file name of the line's first word, or, where that is env, of the first
// word after env's options and NAME=VALUE settings ("#!/usr/bin/env -S bash -e"
// runs bash). Empty when head does not begin with "#!" or names no program.
std::string_view hashBangInterpreter(std::string_view head);

// The part of a path after its last "/".
std::string_view fileNameOf(std::string_view path);

// The name a running process is listed under: script when not empty (the file
// name of a script whose call was checked), otherwise the short name, made whole
// from the command line where it may have been cut.
std::string_view processName(std::string_view comm, std::string_view cmdline,
                             std::string_view script);

}  // namespace proc_names
