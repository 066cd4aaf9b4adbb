#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Names kept once each, however many processes share them: a machine running
// tens of thousands of processes runs them under a few hundred names (workers,
// shells, daemons), so an id of four bytes stands in for each copy.
class NamePool {
  public:
    using Id = std::uint32_t;

    // The id of name, the same for equal names until clear().
    Id intern(std::string_view name);
    // The name of an id that intern() gave since the last clear().
    std::string_view at(Id id) const;
    void clear();
    // Bytes the names take, for deciding when to build the pool afresh.
    std::size_t bytes() const { return text_.size(); }

  private:
    void grow();

    std::string text_;  // each name: its length (4 bytes), then its bytes; an id is its offset
    std::vector<std::uint32_t> slots_;  // open addressing: an id + 1, 0 for none
    std::size_t count_ = 0;
};
