#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One step that turns the rows of a list into others: delete the row at `at`, or
// insert `to[item]` there.
struct ListEdit {
    bool insert;
    std::size_t at;
    std::size_t item;  // for an insert: the index of the new row's text in `to`
};

// The fewest deletions and insertions that turn `from` into `to` (a shortest edit
// script), in the order to apply them: from the end of the list back, so that
// each edit's row index holds when it comes. Nothing when more than mostEdits
// would be needed, and a refill costs about as much. From one check to the next
// a few processes start and end among many that stay, so a list box redrawn
// for those rows alone stays cheap.
std::optional<std::vector<ListEdit>> listEdits(const std::vector<std::string>& from,
                                               const std::vector<std::string>& to,
                                               std::size_t mostEdits);
