// Hours of polling compressed: the refresh of the task list from the real /proc,
// many thousand times in one process, must not grow descriptors or memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>

#include "tests/fake_toolkit.h"
#include "tests/stress/process_usage.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

namespace {

constexpr int kRefreshes = 10000;
constexpr int kWarmUp = 100;
// Resident memory may grow by a little allocator bookkeeping, and by what a
// longer list needs when more processes run than during the warm-up.
constexpr std::size_t kResidentSlackKiB = 512;
constexpr std::size_t kResidentKiBPerExtraEntry = 1;
// The heap in use, with the list emptied, comes back to within the few chunks
// the allocator keeps cached per thread, plus what containers keep reserved for a
// longer list. A leak of one small allocation per refresh adds over 300 KiB.
constexpr std::size_t kHeapSlackBytes = 16 * 1024;
constexpr std::size_t kHeapBytesPerExtraEntry = 64;

using process_usage::Usage;

// Measured with the list emptied, so the heap holds nothing that depends on how
// many processes happen to run.
Usage measure(FakeToolkit& tk) {
    tk.entries.clear();
    tk.entries.shrink_to_fit();
    return process_usage::now();
}

TEST(ProcSoak, TenThousandRefreshesHoldNoMoreDescriptorsOrMemoryThanTheFirstHundred) {
    FakeToolkit tk;
    ProcEnumerator processes;
    Form1 form(tk, processes);

    std::size_t largestWarmUp = 0, largest = 0, shortest = SIZE_MAX;
    for (int i = 0; i < kWarmUp; ++i) {
        form.Command1_Click();
        largestWarmUp = std::max(largestWarmUp, tk.entries.size());
    }
    const Usage before = measure(tk);
    for (int i = kWarmUp; i < kRefreshes; ++i) {
        form.Command1_Click();
        largest = std::max(largest, tk.entries.size());
        shortest = std::min(shortest, tk.entries.size());
    }
    const Usage after = measure(tk);

    std::cout << "refreshes: " << kRefreshes << ", entries per refresh: " << shortest << " to "
              << largest << " (" << largestWarmUp << " at most in the first " << kWarmUp << ")\n"
              << "open descriptors after " << kWarmUp << ": " << before.fds << ", after "
              << kRefreshes << ": " << after.fds << "\n"
              << "resident KiB after " << kWarmUp << ": " << before.residentKiB << ", after "
              << kRefreshes << ": " << after.residentKiB << "\n"
              << "heap bytes in use after " << kWarmUp << ": " << before.heapBytes << ", after "
              << kRefreshes << ": " << after.heapBytes << std::endl;

    EXPECT_GT(shortest, 0u) << "every refresh listed this process at least";
    EXPECT_EQ(after.fds, before.fds);
    if (process_usage::underAddressSanitizer()) {
        std::cout << "memory not compared: AddressSanitizer keeps freed memory in quarantine; "
                     "LeakSanitizer checks for leaks at exit instead"
                  << std::endl;
        return;
    }
    const std::size_t extraEntries = largest > largestWarmUp ? largest - largestWarmUp : 0;
    EXPECT_LE(after.residentKiB,
              before.residentKiB + kResidentSlackKiB + extraEntries * kResidentKiBPerExtraEntry);
    EXPECT_LE(after.heapBytes,
              before.heapBytes + kHeapSlackBytes + extraEntries * kHeapBytesPerExtraEntry);
}

}  // namespace
