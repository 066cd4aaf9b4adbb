#pragma once

#include <cstdint>
#include <vector>

#include "watch/linux/proc_process.h"
#include "watch/process_enumerator.h"

// Reads the running processes from a procfs mount (normally /proc). Each
// enumeration opens the mount once and reads every process relative to it.
// Kernel threads and zombies run no program and are left out. The own lineage
// comes from the stat file of this process and of each ancestor in turn. A process that has gone
// while it was read is left out; any other failure to read a name makes the enumeration fail
// (std::nullopt), as a list with a hole in it could miss the very process a watch waits on.
//
// Between enumerations it keeps what it read of each process (see
// proc_process.h), and reads again only what may have changed; it holds no
// descriptor between them.
class ProcEnumerator : public ProcessEnumerator {
  public:
    // maxNameAge: the seconds a process's name is kept at most without reading it
    // again, though the process has not run (see proc_process.h).
    explicit ProcEnumerator(const char* procRoot = "/proc", std::uint32_t maxNameAge = 60)
        : procRoot_(procRoot), maxNameAge_(maxNameAge) {}

    std::optional<ProcessSnapshot> snapshot() override;
    // Read from PID/cmdline when asked (proc_command_line.h), not kept.
    std::optional<std::string> commandLine(ProcessId id) override;
    // Read as a snapshot reads a process it meets for the first time.
    std::optional<std::string> nameOf(ProcessId id) override;

  private:
    const char* procRoot_;
    std::uint32_t maxNameAge_;
    // Builds the name pool afresh when the names of ended processes fill it.
    void compactNames();

    std::vector<proc_process::Known> known_;  // by process id, as the last enumeration left it
    proc_process::State state_;               // their names and scripts
    std::size_t namesKept_ = 0;               // bytes of the pool when last built afresh
};
