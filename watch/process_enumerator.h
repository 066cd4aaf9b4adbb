#pragma once

#include <optional>
#include <string>
#include <vector>

// Lists the executable file names of the processes running now, one per process,
// in the order the platform reports them, leaving out the calling process itself. Names are as the
// platform gives them (not yet lower-cased, possibly not valid UTF-8).
class ProcessEnumerator {
  public:
    virtual ~ProcessEnumerator() = default;

    // std::nullopt when the processes could not be enumerated at all; an empty
    // list means there were none.
    virtual std::optional<std::vector<std::string>> enumerate() = 0;
};
