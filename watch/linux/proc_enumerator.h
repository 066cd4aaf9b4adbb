#pragma once

#include <cstddef>

#include "watch/process_enumerator.h"

// Reads the running processes from a procfs mount (normally /proc). Each
// enumeration opens the mount once and reads every process relative to it.
class ProcEnumerator : public ProcessEnumerator {
  public:
    explicit ProcEnumerator(const char* procRoot = "/proc") : procRoot_(procRoot) {}

    std::optional<std::vector<std::string>> enumerate() override;

  private:
    const char* procRoot_;
    std::size_t lastCount_ = 0;  // to size the next list in one allocation
};
