#include "watch/linux/proc_enumerator.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "watch/linux/proc_names.h"
#include "watch/linux/proc_visibility.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A copy of sleep under a name of our choosing, run until the test ends.
class Probe {
  public:
    Probe(const fs::path& dir, const std::string& name) : path_(dir / name) {
        if (!fs::exists(path_)) fs::copy_file("/bin/sleep", path_);
        char* argv[] = {const_cast<char*>(path_.c_str()), const_cast<char*>("60"), nullptr};
        if (posix_spawn(&pid_, path_.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    }
    ~Probe() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }

  private:
    fs::path path_;
    pid_t pid_ = -1;
};

fs::path scratchDir() {
    fs::path dir = fs::temp_directory_path() / ("lingerjob-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

TEST(ProcEnumerator, ListsEveryProbeUnderItsFullLowerCasedName) {
    const fs::path dir = scratchDir();
    const std::string name = "LingerProbe_Élan_" + std::to_string(getpid());  // > 15 bytes
    ASSERT_GT(name.size(), 15u);
    {
        Probe first(dir, name);
        Probe second(dir, name);
        ASSERT_GT(first.pid(), 0);
        ASSERT_GT(second.pid(), 0);
        usleep(100 * 1000);  // let both exec

        FakeToolkit tk;
        ProcEnumerator processes;
        Form1 form(tk, processes);
        form.Command1_Click();
        const std::string expected = "lingerprobe_élan_" + std::to_string(getpid());
        EXPECT_EQ(std::count(tk.entries.begin(), tk.entries.end(), expected), 2);
        for (const auto& entry : tk.entries) {
            EXPECT_FALSE(entry.empty());
            EXPECT_EQ(entry.find('\0'), std::string::npos);
        }
    }
    fs::remove_all(dir);
}

// A forked copy of this process under the short name comm, which then runs what(); ended
// and reaped when the test ends.
class NamedCopy {
  public:
    NamedCopy(const char* comm, void (*what)()) : pid_(fork()) {
        if (pid_ == 0) {
            prctl(PR_SET_NAME, comm);
            what();
            _exit(0);
        }
    }
    ~NamedCopy() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_;
};

void sleepLong() {
    sleep(60);
}
void endMainThreadOnly() {
    pthread_t thread;
    pthread_create(
        &thread, nullptr, [](void*) -> void* { return sleep(60), nullptr; }, nullptr);
    syscall(SYS_exit, 0);  // this thread only, and without unwinding into the test
}

// Whether pred() holds within 5 s.
template <typename Pred>
bool soon(Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!pred() && std::chrono::steady_clock::now() < deadline) usleep(10 * 1000);
    return pred();
}

TEST(ProcEnumerator, LeavesOutItselfZombiesAndKernelThreadsButNotCopiesOrLeaderlessProcesses) {
    NamedCopy copy("ljcopy", sleepLong);
    NamedCopy zombie("ljzombie", [] {});
    NamedCopy leaderless("ljmainexit", endMainThreadOnly);
    siginfo_t info;
    ASSERT_EQ(waitid(P_PID, zombie.pid(), &info, WEXITED | WNOWAIT), 0);  // not reaped
    const std::string exe = "/proc/" + std::to_string(leaderless.pid()) + "/exe";
    ASSERT_TRUE(soon([&] { return !fs::exists(exe); })) << "the main thread did not end";

    const auto names = ProcEnumerator().enumerate();
    ASSERT_TRUE(names);
    const auto count = [&](const std::string& name) {
        return std::count(names->begin(), names->end(), name);
    };
    EXPECT_EQ(count("proc_enumerator_tests"), 1) << "the copy, not this process";
    EXPECT_EQ(count("ljzombie"), 0);
    EXPECT_EQ(count("ljmainexit"), 1) << "its other thread still runs";
    std::ifstream kthreadd("/proc/2/comm");  // absent inside a PID namespace
    std::string second;
    if (std::getline(kthreadd, second) && second == "kthreadd") EXPECT_EQ(count("kthreadd"), 0);
}

TEST(ProcEnumerator, ACopyDeletedWhileRunningIsListedWithoutTheDeletedMark) {
    const fs::path dir = scratchDir();
    const std::string name = "lingergone" + std::to_string(getpid());
    {
        Probe probe(dir, name);
        ASSERT_GT(probe.pid(), 0);
        usleep(100 * 1000);
        fs::remove(dir / name);
        auto names = ProcEnumerator().enumerate();
        ASSERT_TRUE(names);
        EXPECT_EQ(std::count(names->begin(), names->end(), name), 1);
    }
    fs::remove_all(dir);
}

TEST(ProcEnumerator, AMissingProcRootIsNoEnumerationNotAnEmptyOne) {
    EXPECT_FALSE(ProcEnumerator("/nonexistent-proc").enumerate());
    const fs::path empty = scratchDir() / "empty";
    fs::create_directories(empty);
    EXPECT_FALSE(ProcEnumerator(empty.c_str()).enumerate()) << "a folder without processes";
    fs::remove_all(empty.parent_path());
}

TEST(ProcEnumerator, RepeatedEnumerationsLeaveNoDescriptorOpen) {
    ProcEnumerator processes;
    const auto count = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    processes.enumerate();
    const auto before = count();
    for (int i = 0; i < 50; ++i) processes.enumerate();
    EXPECT_EQ(count(), before);
}

TEST(ProcNames, ExeLinkTargets) {
    EXPECT_EQ(proc_names::exeFileName("/usr/bin/python3.11"), "python3.11");
    EXPECT_EQ(proc_names::exeFileName("/tmp/my prog (deleted)"), "my prog");
    EXPECT_EQ(proc_names::exeFileName("/tmp/a (deleted) (deleted)"), "a (deleted)");
    EXPECT_EQ(proc_names::exeFileName("/tmp/new\nline"), "new\nline");
    EXPECT_EQ(proc_names::exeFileName("plain"), "plain");
}

TEST(ProcNames, ShortNameFromCommAndStat) {
    EXPECT_EQ(proc_names::commFromCommFile("bash\n"), "bash");
    EXPECT_EQ(proc_names::commFromCommFile("two\nlines\n"), "two\nlines");
    EXPECT_EQ(proc_names::commFromStat("42 (a) b)) S 1 2"), "a) b)");
    EXPECT_EQ(proc_names::commFromStat("42 (x (y)) R"), "x (y)");
    EXPECT_EQ(proc_names::commFromStat("42 broken"), "");
    EXPECT_EQ(proc_names::commFromStat(")("), "");
}

TEST(ProcNames, WithoutAnExeLinkArgvZeroWinsOnlyWhenCommIsItsPrefix) {
    using std::string_literals::operator""s;
    // comm is cut at 15 characters; argv[0] keeps the whole name.
    EXPECT_EQ(proc_names::nameWithoutExe("systemd-journal", "/lib/systemd/systemd-journald\0"s),
              "systemd-journald");
    // A process that rewrote its argv, and a kernel thread with no argv at all.
    EXPECT_EQ(proc_names::nameWithoutExe("sshd", "sshd: root@pts/0\0"s), "sshd");
    EXPECT_EQ(proc_names::nameWithoutExe("kworker/0:1", ""), "kworker/0:1");
    // An interpreter's script: comm names the script, argv[0] the interpreter.
    EXPECT_EQ(proc_names::nameWithoutExe("myscript", "/usr/bin/python3\0myscript\0"s), "myscript");
    EXPECT_EQ(proc_names::nameWithoutExe("", "/bin/x\0"s), "x");
}

TEST(ProcNames, AScriptRunThroughItsHashBangLineIsNamedAfterItsFile) {
    using proc_names::scriptFileName;
    using std::string_literals::operator""s;
    // comm is the script's file name cut at 15 bytes; the interpreter's options come first.
    EXPECT_EQ(scriptFileName("setup-helper", "/bin/sh\0./setup-helper\0arg\0"s), "setup-helper");
    EXPECT_EQ(scriptFileName("lingerjob-setup", "/bin/bash\0-e\0/opt/lingerjob-setup.sh\0"s),
              "lingerjob-setup.sh");
    EXPECT_EQ(scriptFileName("x.awk", "awk\0-f\0x.awk"s), "x.awk");
    // An interpreter started by hand has its own comm; only the first argument counts.
    EXPECT_EQ(scriptFileName("python3", "python3\0x.py\0"s), "");
    EXPECT_EQ(scriptFileName("sh", "sh\0shfoo\0"s), "");
    EXPECT_EQ(scriptFileName("Web Content", "/usr/lib/firefox\0-contentproc\0tab\0"s), "");
    EXPECT_EQ(scriptFileName("helper", "sh\0other\0helper\0"s), "");
    EXPECT_EQ(scriptFileName("", "sh\0\0"s), "");
    EXPECT_EQ(scriptFileName("helper", "helper"), "");
    // Another user's script (no exe link) is named as its owner's view names it.
    EXPECT_EQ(proc_names::nameWithoutExe("lingerjob-setup", "/bin/sh\0./lingerjob-setup-x\0"s),
              "lingerjob-setup-x");
}

TEST(ProcVisibility, TheTopProcMountsHidepidAndGid) {
    using proc_visibility::procMountAt;
    const std::string base =
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "30 22 0:40 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw\n";
    const auto plain = procMountAt(base, "/proc");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->hidesOthers);
    EXPECT_FALSE(procMountAt(base, "/mnt"));
    EXPECT_FALSE(procMountAt("6 2 0:4 / /proc rw - tmpfs proc rw,hidepid=2\n", "/proc"));
    struct Case {
        const char* options;
        bool hides, groupSees;
        unsigned long gid;
    };
    for (const Case& c :
         {Case{"rw,hidepid=invisible,gid=27", true, true, 27}, Case{"rw,hidepid=2", true, true, 0},
          Case{"hidepid=1", true, true, 0}, Case{"rw,hidepid=noaccess", true, true, 0},
          Case{"rw,hidepid=off,gid=5", false, true, 5},
          Case{"rw,hidepid=ptraceable,gid=5", true, false, 5}}) {
        const auto top = procMountAt(
            base + "66 22 0:41 / /proc rw shared:5 - proc proc " + c.options + "\n", "/proc");
        ASSERT_TRUE(top) << c.options;
        EXPECT_EQ(top->hidesOthers, c.hides) << c.options;
        if (c.hides) EXPECT_EQ(top->groupSees, c.groupSees) << c.options;
        EXPECT_EQ(top->gid, c.gid) << c.options;
    }
}

TEST(ProcVisibility, TracingAnyProcessIsCapSysPtraceInTheEffectiveSet) {
    using proc_visibility::mayTraceAnyProcess;
    EXPECT_TRUE(mayTraceAnyProcess("Name:\tx\nCapEff:\t000001ffffffffff\n"));
    EXPECT_TRUE(mayTraceAnyProcess("Name:\tx\nCapEff:\t0000000000080000\n"));
    EXPECT_FALSE(mayTraceAnyProcess("Name:\tx\nCapEff:\t0000000000040000\n"));
    EXPECT_FALSE(mayTraceAnyProcess("Name:\tx\nCapPrm:\t000001ffffffffff\nCapEff:\t0\n"));
    EXPECT_FALSE(mayTraceAnyProcess("Name:\tx\n"));
}

}  // namespace
