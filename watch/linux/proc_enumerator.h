#pragma once

#include <cstddef>

#include "watch/process_enumerator.h"

// Reads the running processes from a procfs mount (normally /proc). Each
// enumeration opens the mount once and reads every process relative to it.
// Kernel threads and zombies run no program and are left out. The own lineage
// comes from the stat file of this process and of each ancestor in turn. A process that has gone
// while it was read is left out; any other failure to read a name makes the enumeration fail
// (std::nullopt), as a list with a hole in it could miss the very process a watch waits on.
class ProcEnumerator : public ProcessEnumerator {
  public:
    explicit ProcEnumerator(const char* procRoot = "/proc") : procRoot_(procRoot) {}

    std::optional<ProcessSnapshot> snapshot() override;

  private:
    const char* procRoot_;
    std::size_t lastCount_ = 0;  // to size the next list in one allocation
};
