// Hours of polling compressed: the watch tick as the console program runs it,
// refreshing the task list from the real /proc many thousand times in one
// process, must not grow descriptors or memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/console/console_toolkit.h"
#include "tests/stress/child_process.h"
#include "tests/stress/process_usage.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kWarmUp = 100;
// Resident memory may grow by a little allocator bookkeeping, and by what a
// longer list needs when more processes run than during the warm-up.
constexpr std::size_t kResidentSlackKiB = 512;
constexpr std::size_t kResidentKiBPerExtraEntry = 1;
// The heap in use, with the list emptied, comes back to within the few chunks
// the allocator keeps cached per thread, plus what containers keep reserved for a
// longer list, and what the enumerator keeps of each process between snapshots
// (with its list's room to grow). A leak of one small allocation per refresh
// adds over 300 KiB.
constexpr std::size_t kHeapSlackBytes = 16 * 1024;
constexpr std::size_t kHeapBytesPerExtraEntry = 64 + 2 * sizeof(proc_process::Known);

using process_usage::Usage;

// Measured with the list emptied, so the heap holds nothing that depends on how
// many processes happen to run.
Usage measure(ConsoleToolkit& tk) {
    tk.listClear();
    return process_usage::now();
}

std::string ownExecutableName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string full(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    return full.substr(full.rfind('/') + 1);
}

bool listed(ConsoleToolkit& tk, const std::string& name) {
    for (int i = 0; i < tk.listCount(); ++i) {
        if (tk.listItem(i) == name) return true;
    }
    return false;
}

TEST(ProcSoak, TenThousandConsoleTicksHoldNoMoreDescriptorsOrMemoryThanTheFirstHundred) {
    // Mode 0 on a task no process has (the program never lists itself): not found
    // at every tick, so the wait goes on.
    std::ostringstream out, err;
    ConsoleToolkit tk("/0 /" + ownExecutableName() + "-never-runs", true, "/usr/bin/lingerjob", out,
                      err);
    ProcEnumerator processes;
    Form1 form(tk, processes);
    form.Form_Load();
    ASSERT_TRUE(tk.timerEnabled()) << err.str();

    // A machine running little else may rightly list nothing (the program leaves
    // out its own ancestors), so a process that runs throughout shows whether
    // every refresh really read the process table.
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("soak-" + std::to_string(getpid()));
    fs::create_directories(dir);
    // Declared before the child, so it goes after the child is killed.
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> removeDir(
        &dir, [](const fs::path* d) { fs::remove_all(*d); });
    const std::string steadyName = "soak-steady";
    const auto steady = startSleeper(dir / steadyName, 600);
    ASSERT_TRUE(steady->started());
    form.Timer1_Timer();
    ASSERT_TRUE(listed(tk, steadyName)) << "the steady process never showed in the list";

    std::size_t largestWarmUp = 0, largest = 0, shortest = SIZE_MAX;
    long steadyMissing = 0;
    const auto entries = [&tk] { return static_cast<std::size_t>(tk.listCount()); };
    for (int i = 0; i < kWarmUp; ++i) {
        form.Timer1_Timer();
        largestWarmUp = std::max(largestWarmUp, entries());
        steadyMissing += !listed(tk, steadyName);
    }
    const Usage before = measure(tk);
    for (int i = kWarmUp; i < kTicks; ++i) {
        form.Timer1_Timer();
        largest = std::max(largest, entries());
        shortest = std::min(shortest, entries());
        steadyMissing += !listed(tk, steadyName);
    }
    const Usage after = measure(tk);
    EXPECT_FALSE(tk.unloaded()) << err.str();
    EXPECT_EQ(tk.caption(Control::Label3), "Not found.");

    std::cout << "ticks: " << kTicks << ", entries per tick: " << shortest << " to " << largest
              << " (" << largestWarmUp << " at most in the first " << kWarmUp << ")\n"
              << "open descriptors after " << kWarmUp << ": " << before.fds << ", after " << kTicks
              << ": " << after.fds << "\n"
              << "resident KiB after " << kWarmUp << ": " << before.residentKiB << ", after "
              << kTicks << ": " << after.residentKiB << "\n"
              << "heap bytes in use after " << kWarmUp << ": " << before.heapBytes << ", after "
              << kTicks << ": " << after.heapBytes << std::endl;

    EXPECT_EQ(steadyMissing, 0) << "a refresh left out a process that ran throughout";
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
