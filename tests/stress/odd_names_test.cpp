// Processes whose executables have awkward names: each is listed once, lower-cased
// and as valid UTF-8, and the real program's watch on a part of the name waits
// while the process runs and ends once it has gone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/fake_toolkit.h"
#include "tests/stress/child_process.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct OddName {
    const char* what;
    std::string file;    // the executable's file name
    std::string listed;  // the entry the list must show
    std::string part;    // what a watch looks for
    bool deleteWhileRunning = false;
};

std::vector<OddName> oddNames() {
    const std::string id = std::to_string(getpid());
    const std::string padded = "long-" + id + "-";
    const std::string longName = padded + std::string(255 - padded.size(), 'L');
    const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD
    return {
        {"a space", "Odd Probe " + id, "odd probe " + id, "probe " + id},
        {"a newline", "odd\nprobe-" + id, "odd\nprobe-" + id, "d\nprobe-" + id},
        {"bytes that are not UTF-8", "odd-\xFF\xFE\xC3-" + id,
         "odd-" + replacement + replacement + replacement + "-" + id,
         replacement + replacement + replacement + "-" + id},
        {"255 bytes", longName, "long-" + id + "-" + std::string(255 - padded.size(), 'l'),
         id + "-lllll"},
        {"upper-case letters beyond ASCII", "ÉLAN-ΣΩ-ÄÖÜ-" + id, "élan-σω-äöü-" + id,
         "σω-äöü-" + id},
        {"a deleted executable", "Gone-Probe-" + id, "gone-probe-" + id, "gone-probe-" + id, true},
    };
}

// A copy of sleep under the odd name, running until the test kills it.
std::unique_ptr<ChildProcess> startProbe(const fs::path& dir, const OddName& odd) {
    const fs::path path = dir / odd.file;
    auto probe = startSleeper(path, 300);
    if (probe->started() && odd.deleteWhileRunning) fs::remove(path);
    return probe;
}

std::string lingerjob() {
    const char* path = std::getenv("LINGERJOB_BINARY");
    return path ? path : "";
}

class OddNames : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lingerjob-odd-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        for (const auto& odd : names_) {
            probes_.push_back(startProbe(dir_, odd));
            ASSERT_TRUE(probes_.back()->started()) << odd.what;
        }
    }
    void TearDown() override {
        probes_.clear();  // kills them
        fs::remove_all(dir_);
    }

    fs::path dir_;
    std::vector<OddName> names_ = oddNames();
    std::vector<std::unique_ptr<ChildProcess>> probes_;
};

TEST_F(OddNames, EachIsListedOnceLowerCasedAndReadable) {
    FakeToolkit tk;
    ProcEnumerator processes;
    Form1 form(tk, processes);
    form.Command1_Click();
    for (const auto& odd : names_) {
        EXPECT_EQ(std::count(tk.entries.begin(), tk.entries.end(), odd.listed), 1)
            << "executable named with " << odd.what;
    }
}

TEST_F(OddNames, AWatchOnPartOfTheNameWaitsWhileItRunsAndEndsWhenItHasGone) {
    const std::string program = lingerjob();
    ASSERT_FALSE(program.empty()) << "LINGERJOB_BINARY names the program under test";
    const ChildProcess::Options headless{{"QT_QPA_PLATFORM=offscreen"}, ""};

    std::vector<std::unique_ptr<ChildProcess>> watches;
    for (const auto& odd : names_) {
        watches.push_back(std::make_unique<ChildProcess>(
            program, std::vector<std::string>{"/1", "/" + odd.part}, headless));
        ASSERT_TRUE(watches.back()->started());
    }
    // The same kind of watch on a name nobody runs shows that ticks do come and
    // end the wait in the time given; the other watches must outlast it.
    ChildProcess control(program, {"/1", "/no-such-probe-" + std::to_string(getpid())}, headless);

    const auto control_status = control.waitFor(8s);
    ASSERT_TRUE(control_status.has_value()) << "a watch on nothing never ended";
    EXPECT_EQ(*control_status, 0);
    std::this_thread::sleep_for(3500ms);  // at least one more tick for every watch

    for (std::size_t i = 0; i < names_.size(); ++i) {
        EXPECT_TRUE(watches[i]->running())
            << "the watch for a name with " << names_[i].what << " ended while the process ran";
    }
    for (auto& probe : probes_) probe->kill();
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const auto status = watches[i]->waitFor(10s);
        EXPECT_EQ(status, std::optional<int>(0))
            << "the watch for a name with " << names_[i].what << " after the process ended";
    }
}

}  // namespace
