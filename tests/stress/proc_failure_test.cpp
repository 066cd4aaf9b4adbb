// The real program while /proc cannot be opened, or its listing breaks off: a
// watch for a task that is not running must not take "no list" (or a list cut
// short) for "not running" and end. Once /proc can be read again, the watch goes
// on deciding (and here ends, as nothing matches).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "tests/stress/child_process.h"
#include "tests/stress/process_usage.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// Runs the watch with the shim failing in the given way ("open" or "readdir").
void keepsWaitingWhileTheListFails(const std::string& kind) {
    SCOPED_TRACE("the shim fails " + kind);
    const char* program = std::getenv("LINGERJOB_BINARY");
    const char* shim = std::getenv("LINGERJOB_PROC_SHIM");
    ASSERT_TRUE(program && shim) << "LINGERJOB_BINARY and LINGERJOB_PROC_SHIM name what is tested";

    const fs::path dir =
        fs::temp_directory_path() / ("lingerjob-noproc-" + kind + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path failSwitch = dir / "fail", log = dir / "failed-opens", output = dir / "output";
    std::ofstream(failSwitch).put('\n');

    const std::string task = "no-such-task-" + std::to_string(getpid());
    ChildProcess watch(
        program, {"--interval=1", "/1", "/" + task},
        {{"QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" + std::string(shim),
          "LINGERJOB_SHIM_FAIL=" + kind, "LINGERJOB_SHIM_FAIL_WHILE=" + failSwitch.native(),
          "LINGERJOB_SHIM_LOG=" + log.native(),
          // The shim comes before a sanitizer runtime, on purpose.
          "ASAN_OPTIONS=verify_asan_link_order=0:" +
              std::string(std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "")},
         output.native()});
    ASSERT_TRUE(watch.started());

    // Two ticks that could not read the processes: the wait goes on.
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (occurrences(fileText(log), "failed") < 2 && watch.running() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_GE(occurrences(fileText(log), "failed"), 2u) << "the watch never tried to read /proc";
    ASSERT_TRUE(watch.running()) << "the watch ended without knowing the processes:\n"
                                 << fileText(output);
    EXPECT_EQ(occurrences(fileText(output), "could not read the list of running processes"), 1u)
        << "one warning, not one per tick:\n"
        << fileText(output);

    // /proc is back: the next tick finds no such task, and a mode-1 watch ends.
    fs::remove(failSwitch);
    const auto status = watch.waitFor(10s);
    EXPECT_EQ(status, std::optional<int>(0)) << fileText(output);
    fs::remove_all(dir);
}

TEST(ProcFailure, AWatchWithoutAProcessListKeepsWaitingAndDecidesOnceTheListIsBack) {
    keepsWaitingWhileTheListFails("open");
    keepsWaitingWhileTheListFails("readdir");
}

// Address-space limits (prlimit --as) just above the least the program starts
// with, where a check can run out of memory: a mode-1 watch on a process that
// runs may end for want of memory at the start, but never with 0, never with a
// silent 1, and where it has started it keeps waiting (with one warning where
// a check ran short).
TEST(ProcFailure, AWatchShortOfMemoryKeepsWaiting) {
    if (process_usage::underAddressSanitizer()) {
        GTEST_SKIP() << "a sanitizer's runtime reserves far more address space than any limit here";
    }
    const char* program = std::getenv("LINGERJOB_BINARY");
    ASSERT_TRUE(program) << "LINGERJOB_BINARY names the program under test";
    const fs::path dir = fs::temp_directory_path() / ("lingerjob-as-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path probePath = dir / "ljasprobe";
    const auto probe = startSleeper(probePath, 600);
    const auto watch = [&](std::size_t kib, const fs::path& output) {
        return std::make_unique<ChildProcess>(
            "/usr/bin/prlimit",
            std::vector<std::string>{"--as=" + std::to_string(kib * 1024), program,
                                     "--interval=0.1", "--verbose", "/1", "/ljasprobe"},
            ChildProcess::Options{{}, output.native()});
    };
    // The least limit (within 16 KiB) at which the watch is still waiting after half a second.
    std::size_t low = 1024, high = 256 * 1024;
    while (high - low > 16) {
        const std::size_t mid = (low + high) / 2;
        auto w = watch(mid, dir / "probe-output");
        (w->waitFor(500ms) ? low : high) = mid;
    }
    std::vector<std::pair<std::size_t, std::unique_ptr<ChildProcess>>> watches;
    for (std::size_t kib = high; kib < high + 768; kib += 16) {
        watches.emplace_back(kib, watch(kib, dir / std::to_string(kib)));
    }
    std::this_thread::sleep_for(2s);
    int warned = 0;
    for (auto& [kib, w] : watches) {
        const std::string output = fileText(dir / std::to_string(kib));
        const bool warning = output.find("could not read the list") != std::string::npos;
        const auto status = w->waitFor(0ms);
        SCOPED_TRACE("--as=" + std::to_string(kib) + "KiB: " + output);
        EXPECT_NE(status, std::optional<int>(0)) << "ended while the probe ran";
        EXPECT_FALSE(status == 1 && output.empty()) << "ended silently";
        EXPECT_FALSE(status && warning) << "ended after the warning";
        warned += warning;
    }
    EXPECT_GT(warned, 0) << "no limit let the watch start yet kept a check from its memory, above "
                         << high << " KiB";
    std::cout << "limits from " << high << " KiB: " << warned << " of " << watches.size()
              << " kept waiting after a check ran short of memory" << std::endl;
    watches.clear();
    fs::remove_all(dir);
}

}  // namespace
