#include "app/shared/list_edits.h"

#include <algorithm>

// Myers's O((N+M)D) difference: for each number of edits d, the furthest point
// reached along each diagonal k = x - y, where x counts rows of `from` and y rows
// of `to` taken so far. The furthest points of every d are kept to walk back.
std::optional<std::vector<ListEdit>> listEdits(const std::vector<std::string>& from,
                                               const std::vector<std::string>& to,
                                               std::size_t mostEdits) {
    const auto n = static_cast<std::ptrdiff_t>(from.size());
    const auto m = static_cast<std::ptrdiff_t>(to.size());
    const auto most = static_cast<std::ptrdiff_t>(std::min(mostEdits, from.size() + to.size()));
    std::vector<std::ptrdiff_t> furthest(static_cast<std::size_t>(2 * most + 3), 0);
    const auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& {
        return furthest[static_cast<std::size_t>(k + most + 1)];
    };
    std::vector<std::vector<std::ptrdiff_t>> trace;  // furthest for diagonals -d..d, per d
    std::ptrdiff_t edits = -1;
    for (std::ptrdiff_t d = 0; d <= most && edits < 0; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x =
                (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m &&
                   from[static_cast<std::size_t>(x)] == to[static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= n && y >= m) edits = d;
        }
        trace.emplace_back(furthest.begin() + (most + 1 - d), furthest.begin() + (most + 2 + d));
    }
    if (edits < 0) return std::nullopt;

    // Back from the end: each d's step came from the diagonal of d - 1 that
    // reached furthest, then ran along equal rows.
    std::vector<ListEdit> script;
    std::ptrdiff_t x = n, y = m;
    for (std::ptrdiff_t d = edits; d > 0; --d) {
        const auto& before = trace[static_cast<std::size_t>(d - 1)];
        const auto past = [&](std::ptrdiff_t k) {
            return before[static_cast<std::size_t>(k + d - 1)];
        };
        const std::ptrdiff_t k = x - y;
        const bool down = k == -d || (k != d && past(k - 1) < past(k + 1));
        const std::ptrdiff_t priorX = down ? past(k + 1) : past(k - 1);
        const std::ptrdiff_t priorY = priorX - (down ? k + 1 : k - 1);
        if (down) {
            script.push_back(
                ListEdit{true, static_cast<std::size_t>(priorX), static_cast<std::size_t>(priorY)});
        } else {
            script.push_back(ListEdit{false, static_cast<std::size_t>(priorX), 0});
        }
        x = priorX;
        y = priorY;
    }
    return script;
}
