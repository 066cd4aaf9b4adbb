// The process table changing under the enumeration: a thread starts and reaps
// short-lived processes as fast as it can while the list is refreshed again and
// again. Every entry must still be a whole, clean name, and a process that keeps
// running is listed in every refresh.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <set>
#include <thread>

#include "tests/fake_toolkit.h"
#include "tests/stress/child_process.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRefreshes = 1000;
constexpr std::size_t kCommLength = 15;  // the kernel's short name keeps this many bytes

// Names of different lengths, each made of one letter that no other name uses,
// so a short name followed by leftovers of a longer one is never a real name.
std::vector<std::string> churnNames() {
    std::vector<std::string> names;
    for (int length = 1; length <= 24; ++length) {
        names.push_back("churn-" + std::string(static_cast<std::size_t>(length),
                                               static_cast<char>('a' + length - 1)));
    }
    names.push_back("churn-" + std::string(200, 'z'));
    return names;
}

bool validUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

// Copies of /bin/true under the churn names, started and reaped in a loop.
class Churner {
  public:
    Churner(const fs::path& dir, const std::vector<std::string>& names) {
        for (const auto& name : names) {
            paths_.push_back(dir / name);
            fs::copy_file("/bin/true", paths_.back(), fs::copy_options::overwrite_existing);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~Churner() { stop(); }

    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    long started() const { return started_; }

  private:
    // Starts a batch of names of different lengths before reaping it, so one
    // snapshot often meets several of them, some already ended but not yet reaped.
    void run() {
        constexpr std::size_t kBatch = 8;
        for (std::size_t next = 0; !stop_;) {
            pid_t batch[kBatch];
            std::size_t started = 0;
            for (; started < kBatch; ++started, ++next) {
                const std::string& path = paths_[next % paths_.size()].native();
                char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
                if (posix_spawn(&batch[started], path.c_str(), nullptr, nullptr, argv, environ) !=
                    0) {
                    break;
                }
            }
            started_ += static_cast<long>(started);
            for (std::size_t i = 0; i < started; ++i) waitpid(batch[i], nullptr, 0);
        }
    }

    std::vector<fs::path> paths_;
    std::atomic<bool> stop_{false};
    std::atomic<long> started_{0};
    std::thread thread_;
};

TEST(Churn, RefreshesWhileProcessesComeAndGoListOnlyWholeCleanNames) {
    const fs::path dir =
        fs::temp_directory_path() / ("lingerjob-churn-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const auto names = churnNames();
    std::set<std::string> whole(names.begin(), names.end());
    std::set<std::string> cut;  // what the short name shows when no exe link is left
    for (const auto& n : names) cut.insert(n.substr(0, kCommLength));
    // On a machine that runs little besides this test (a container) the list can
    // rightly be empty, so a failed refresh shows as a steady process gone missing.
    const auto steady = startSleeper(dir / "churn-steady", 600);
    ASSERT_TRUE(steady->started());

    FakeToolkit tk;
    ProcEnumerator processes;
    Form1 form(tk, processes);
    long entries = 0, churnSeen = 0, churnCutSeen = 0, steadyMissing = 0;
    std::set<std::string> distinct;
    {
        Churner churner(dir, names);
        while (churner.started() < 20) std::this_thread::yield();  // under way
        for (int i = 0; i < kRefreshes; ++i) {
            form.Command1_Click();
            if (std::find(tk.entries.begin(), tk.entries.end(), "churn-steady") ==
                tk.entries.end()) {
                ++steadyMissing;
            }
            for (const auto& entry : tk.entries) {
                ++entries;
                ASSERT_FALSE(entry.empty()) << "refresh " << i;
                ASSERT_EQ(entry.find('\0'), std::string::npos) << "refresh " << i << ": " << entry;
                ASSERT_TRUE(validUtf8(entry)) << entry;
                if (entry.rfind("churn-", 0) != 0) continue;
                if (entry == "churn-steady") continue;
                if (whole.count(entry)) {
                    ++churnSeen;
                    distinct.insert(entry);
                } else {
                    ASSERT_TRUE(cut.count(entry)) << "not a name that was ever running: " << entry;
                    ++churnCutSeen;
                }
            }
        }
        churner.stop();
        std::cout << "refreshes: " << kRefreshes
                  << ", processes started meanwhile: " << churner.started()
                  << ", entries read: " << entries << ", churn entries: " << churnSeen << " whole ("
                  << distinct.size() << " different names) and " << churnCutSeen
                  << " by their short name" << std::endl;
    }
    EXPECT_EQ(steadyMissing, 0) << "processes that end while they are read must not fail the list";
    EXPECT_GT(churnSeen + churnCutSeen, 0) << "the churn never showed in a refresh";
    fs::remove_all(dir);
}

}  // namespace
