#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "watch/linux/proc_scripts.h"
#include "watch/name_pool.h"
#include "watch/process_enumerator.h"

// What the enumeration knows of one process between two snapshots, and the
// reading that brings it up to date.
//
// A process changes what its name is made of (its short name, its command line,
// whether it runs, ends or has become a zombie) only by running itself: exec,
// a rename, an exit all take CPU time, which the kernel counts to the
// nanosecond for every process and tells any account with one clock_gettime,
// without a file or a descriptor. So a process whose CPU time has not moved
// since the last snapshot is not read again. One that has run is read again from
// /proc/PID/stat (short name, state, flags) and, when it runs a program, from
// /proc/PID/cmdline: a program may rewrite its arguments in place (postgres,
// setproctitle) without faulting or renaming itself, so only running tells.
// Another process may still rewrite a stopped one's arguments (a debugger,
// through /proc/PID/mem), so no name is kept unread for longer than Buffers'
// maxAge: each process is read again after between half that and that, by its
// id, so the reading spreads over the checks.
namespace proc_process {

// What was seen of a process's call of a script (rare: kept apart).
struct ScriptLook {
    unsigned long long startTime = 0;  // of the process that made the call, in clock ticks
    // The call whose script was looked at (argv[0], a NUL, the path), and whether
    // that script runs through the interpreter. Looked at once per call, so that
    // a script that changes folder keeps its name.
    std::string call;
    bool runs = false;
};

// Kept for every process between snapshots: small (24 bytes), as a machine may run
// tens of thousands of processes. Its name is an id in State's pool; its script,
// when its command line calls one, lies in State's scripts under its id.
struct Known {
    std::uint64_t cpuTime = 0;  // ns, read before anything else of this process
    ProcessId id = 0;
    std::uint32_t inode = 0;   // of /proc/PID as the listing gave it (its low bits)
    NamePool::Id name = 0;     // what it is listed under, when listed
    std::uint16_t readAt = 0;  // the low bits of Buffers::now when it was last read
    bool cpuTimeRead : 1;
    bool read : 1;       // read at least once
    bool listed : 1;     // it runs a program, under name
    bool visited : 1;    // met by the snapshot under way
    bool hasScript : 1;  // State::scripts holds the look at its script
    Known() : cpuTimeRead(false), read(false), listed(false), visited(false), hasScript(false) {}
};

// What the enumeration keeps besides each process's Known.
struct State {
    NamePool names;
    std::unordered_map<ProcessId, ScriptLook> scripts;
    // Ends what is kept of a process that has gone.
    void forget(const Known& known) {
        if (known.hasScript) scripts.erase(known.id);
    }
};

// Room to read one process's files in, reused for all of them, and what one
// snapshot tells all of them.
struct Buffers {
    using Stat = std::array<char, 512>;  // the fields read all lie within the first 300 bytes or so
    Stat stat;
    std::array<char, 8192> cmdline;
    proc_scripts::OwnMounts mounts;  // what a script's look needs, read when first needed
    std::uint32_t now = 0;           // s, on a clock that only goes forward
    std::uint32_t maxAge = 60;       // s a name is kept unread at most (see refresh), below 2^15
};

enum class Outcome {
    Current,  // known is up to date (listed or not)
    Gone,     // the process has ended (one hidden from this account is Current, not listed)
    Failed,   // its files could not be read (descriptors, memory, ...): the list is unknown
};

// Brings known (a new entry holds only its id) up to date for the process whose
// /proc entry is pid, relative to procFd, with inode as the listing gave it.
// useCpuTime: whether the process ids of this procfs are this process's own, so
// that its clocks name the same processes.
Outcome refresh(int procFd, const char* pid, ino_t inode, bool useCpuTime, Known& known,
                State& state, Buffers& buffers);

// Reads PID/file with one read into buffer: -1 with errno set when it cannot be
// opened or read.
ssize_t readProcFile(int procFd, const char* pid, const char* file, char* buffer, std::size_t size);

// Reads the whole file at path, relative to dirFd (AT_FDCWD: the working
// folder), into text: 0, or the errno of the open or of a read (text then holds
// what came before it).
int readWholeFile(int dirFd, const char* path, std::string& text);

}  // namespace proc_process
