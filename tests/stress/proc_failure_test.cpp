// The real program while /proc cannot be opened: a watch for a task that is not
// running must not take "no list" for "not running" and end. Once /proc can be
// read again, the watch goes on deciding (and here ends, as nothing matches).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/stress/child_process.h"

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

TEST(ProcFailure, AWatchWithoutAProcessListKeepsWaitingAndDecidesOnceTheListIsBack) {
    const char* program = std::getenv("LINGERJOB_BINARY");
    const char* shim = std::getenv("LINGERJOB_PROC_SHIM");
    ASSERT_TRUE(program && shim) << "LINGERJOB_BINARY and LINGERJOB_PROC_SHIM name what is tested";

    const fs::path dir =
        fs::temp_directory_path() / ("lingerjob-noproc-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path failSwitch = dir / "fail", log = dir / "failed-opens", output = dir / "output";
    std::ofstream(failSwitch).put('\n');

    const std::string task = "no-such-task-" + std::to_string(getpid());
    ChildProcess watch(
        program, {"/1", "/" + task},
        {{"QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" + std::string(shim),
          "LINGERJOB_SHIM_FAIL_WHILE=" + failSwitch.native(), "LINGERJOB_SHIM_LOG=" + log.native(),
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

}  // namespace
