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
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "watch/linux/proc_command_line.h"
#include "watch/linux/proc_mounts.h"
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
    ~Probe() { stop(); }
    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    pid_t pid() const { return pid_; }
    // Waits until the exec is done: posix_spawn can return while the kernel still
    // loads the program, before argv[0] is in place. False if that never comes.
    bool executed() const {
        for (int i = 0; pid_ > 0 && i < 5000; ++i) {  // up to 10 s on a busy machine
            std::ifstream cmdline("/proc/" + std::to_string(pid_) + "/cmdline");
            std::string argv0;
            if (std::getline(cmdline, argv0, '\0') && argv0 == path_.native()) return true;
            usleep(2 * 1000);
        }
        return false;
    }

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
        ASSERT_TRUE(first.executed());
        ASSERT_TRUE(second.executed());

        FakeToolkit tk;
        ProcEnumerator processes;
        Form1 form(tk, processes);
        form.Command1_Click();
        const std::string expected = "lingerprobe_élan_" + std::to_string(getpid());
        EXPECT_EQ(std::count(tk.entries.begin(), tk.entries.end(), expected), 2);
        EXPECT_EQ(std::count(tk.entries.begin(), tk.entries.end(), "proc_enumerator_tests"), 0)
            << "the program leaves itself out";
        for (const auto& entry : tk.entries) {
            EXPECT_FALSE(entry.empty());
            EXPECT_EQ(entry.find('\0'), std::string::npos);
        }
        // One process read alone is named as the list names it.
        EXPECT_EQ(processes.nameOf(static_cast<ProcessId>(first.pid())), name);
        const auto ended = static_cast<ProcessId>(second.pid());
        second.stop();
        EXPECT_EQ(processes.nameOf(ended), std::nullopt);
    }
    fs::remove_all(dir);
}

// No exe link and no cmdline, like a zombie, yet it runs. (Zombies, kernel threads
// and copies of the program itself: tests/program/.)
TEST(ProcEnumerator, ListsAProcessWhoseMainThreadEndedWhileAnotherRuns) {
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_NAME, "ljmainexit");
        pthread_t thread;
        pthread_create(
            &thread, nullptr, [](void*) -> void* { return sleep(60), nullptr; }, nullptr);
        syscall(SYS_exit, 0);  // this thread only, without unwinding into the test
    }
    const std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    for (int i = 0; i < 500 && fs::exists(exe); ++i) usleep(10 * 1000);
    const bool mainThreadEnded = !fs::exists(exe);
    const auto names = ProcEnumerator().enumerate();
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(mainThreadEnded && names);
    EXPECT_EQ(std::count(names->begin(), names->end(), "ljmainexit"), 1);
}

// A program that rewrites its arguments in place (as postgres and setproctitle
// do) neither execs nor faults once its stack page is its own: the next snapshot
// still names it by what its arguments say now.
TEST(ProcEnumerator, ArgumentsRewrittenInPlaceAreReadAgain) {
    int go[2], done[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(done), 0);
    char* argv0 = program_invocation_name;  // this binary's argv[0], as the child inherits it
    const std::size_t length = std::strlen(argv0);
    const auto rewrite = [&](char c) {
        std::memset(argv0 + length - 3, c, 3);  // keeps the short name a prefix of argv[0]
    };
    const pid_t pid = fork();
    if (pid == 0) {
        char byte;
        for (const char c : {'x', 'y'}) {
            if (read(go[0], &byte, 1) != 1) _exit(1);
            rewrite(c);
            if (write(done[1], &byte, 1) != 1) _exit(1);
        }
        pause();
        _exit(0);
    }
    const auto step = [&] {
        char byte = 0;
        return write(go[1], &byte, 1) == 1 && read(done[0], &byte, 1) == 1;
    };
    const auto named = [&](ProcEnumerator& processes, char c) {
        std::string name = fs::path(argv0).filename().string();
        name.replace(name.size() - 3, 3, 3, c);
        const auto names = processes.enumerate();
        return names && std::count(names->begin(), names->end(), name) == 1;
    };
    ProcEnumerator processes;
    const bool first = step() && named(processes, 'x');  // copy-on-write has faulted the page in
    const bool second = step() && named(processes, 'y');
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(first);
    EXPECT_TRUE(second) << "the name the arguments gave before";
}

// A stopped process does not run, yet a debugger may rewrite its arguments
// through /proc/PID/mem: its name is read again once it has reached its age.
TEST(ProcEnumerator, ANameIsReadAgainAtItsAgeThoughTheProcessHasNotRun) {
    char* argv0 = program_invocation_name;
    const std::size_t length = std::strlen(argv0);
    const pid_t pid = fork();
    if (pid == 0) {
        pause();
        _exit(0);
    }
    kill(pid, SIGSTOP);
    waitpid(pid, nullptr, WUNTRACED);
    std::string name = fs::path(argv0).filename().string();
    const auto listed = [&](ProcEnumerator& processes) {
        const auto names = processes.enumerate();
        return names && std::count(names->begin(), names->end(), name) == 1;
    };
    ProcEnumerator processes("/proc", 2);
    const bool before = listed(processes);
    std::ofstream mem("/proc/" + std::to_string(pid) + "/mem");
    mem.seekp(reinterpret_cast<std::uintptr_t>(argv0 + length - 3));
    mem.write("zzz", 3).flush();
    name.replace(name.size() - 3, 3, "zzz");
    usleep(2200 * 1000);
    const bool after = mem && listed(processes);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(before);
    EXPECT_TRUE(after) << "the name it had before";
}

TEST(ProcEnumerator, TheOwnLineageRunsFromThisProcessUpToTheFirstOne) {
    const auto taken = ProcEnumerator().snapshot();
    ASSERT_TRUE(taken);
    ASSERT_GE(taken->ownLineage.size(), 2u);
    EXPECT_EQ(taken->ownLineage[0], static_cast<ProcessId>(getpid()));
    EXPECT_EQ(taken->ownLineage[1], static_cast<ProcessId>(getppid()));
    const auto listed = [&](ProcessId id) {
        return std::any_of(taken->processes.begin(), taken->processes.end(),
                           [id](const RunningProcess& p) { return p.id == id; });
    };
    EXPECT_FALSE(listed(taken->ownLineage[0])) << "this process is never read";
    EXPECT_TRUE(listed(taken->ownLineage[1])) << "the snapshot holds the parent; the list drops it";
}

TEST(ProcEnumerator, ACopyDeletedWhileRunningIsListedWithoutTheDeletedMark) {
    const fs::path dir = scratchDir();
    const std::string name = "lingergone" + std::to_string(getpid());
    {
        Probe probe(dir, name);
        ASSERT_TRUE(probe.executed());
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

// --full's command line: NUL-ended arguments joined by blanks; one that cannot be
// read (no such process) or is empty (a kernel thread, pid 2 as a rule) is none.
TEST(ProcEnumerator, CommandLinesAreReadWholeOnlyWhenAsked) {
    using proc_command_line::joinedArguments;
    EXPECT_EQ(joinedArguments(std::string_view("python3\0-m\0http.server\0", 23)),
              "python3 -m http.server");
    EXPECT_EQ(joinedArguments("postgres: writer"), "postgres: writer");
    std::string zeros(100000, '0');  // longer than any one read; sleep adds 0 s
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), zeros.data(), nullptr};
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, "/bin/sleep", nullptr, nullptr, argv, environ), 0);
    ProcEnumerator processes;
    std::optional<std::string> line;
    for (int i = 0; i < 200 && !(line && line->rfind("sleep", 0) == 0); ++i) {
        usleep(10000);  // until its exec is done
        line = processes.commandLine(static_cast<ProcessId>(child));
    }
    EXPECT_EQ(line, "sleep 60 " + zeros);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(processes.commandLine(static_cast<ProcessId>(child)));
    EXPECT_FALSE(ProcEnumerator("/nonexistent-proc").commandLine(1));
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

TEST(ProcNames, StatLines) {
    // State, parent, group, session, tty, tpgid, flags, faults (minor, of children,
    // major, of children), times, priority, nice, threads, alarm, start time, ...
    const auto line = [](const std::string& state, const std::string& flags,
                         const std::string& threads, const std::string& name = "a (b) c",
                         const std::string& parent = "1") {
        return "7 (" + name + ") " + state + " " + parent + " 7 7 0 -1 " + flags +
               " 120 9 3 0 5 2 0 0 20 0 " + threads + " 0 4711 2584576 0";
    };
    const std::string sleeping = line("S", "4194560", "1");
    const auto stat = proc_names::parseStat(sleeping);
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->comm, "a (b) c");
    EXPECT_EQ(stat->parent, 1u);
    EXPECT_EQ(stat->startTime, 4711u);
    EXPECT_TRUE(proc_names::runsProgram(*stat));
    // The name runs from the first "(" to the last ")", whatever it holds.
    for (const auto& [name, parent] :
         {std::pair{"a) b)", 1234ul}, {"x (y)", 0ul}, {"a) b) 7) S 9", 4294967295ul}}) {
        const std::string text = line("S", "4194560", "1", name, std::to_string(parent));
        const auto odd = proc_names::parseStat(text);
        ASSERT_TRUE(odd) << name;
        EXPECT_EQ(odd->comm, std::string_view(name));
        EXPECT_EQ(odd->parent, parent);
    }
    EXPECT_FALSE(proc_names::runsProgram(*proc_names::parseStat(line("I", "2129984", "1"))))
        << "a kernel thread (PF_KTHREAD)";
    EXPECT_FALSE(proc_names::runsProgram(*proc_names::parseStat(line("Z", "4227148", "1"))));
    EXPECT_TRUE(proc_names::runsProgram(*proc_names::parseStat(line("Z", "4227148", "2"))))
        << "its main thread ended, another runs";
    std::string noBlank = sleeping;
    noBlank.replace(noBlank.find(") S"), 3, ")S");
    for (const std::string& broken :
         {std::string("7 (a) S 1 7 7 0 -1 4194560 120 9"), line("S", "-1", "1"),
          line("S", "1", "1", "x", "x1"), line("S", "1", "1", "x", "12x"),
          line("S", "1", "1", "x", "4294967296"), noBlank, std::string("42 broken"),
          std::string(")("), std::string()}) {
        EXPECT_FALSE(proc_names::parseStat(broken)) << broken;
    }
}

TEST(ProcNames, AShortNameIsMadeWholeOnlyWhereTheKernelMayHaveCutIt) {
    using std::string_literals::operator""s;
    // comm is cut at 15 bytes; argv[0] keeps the whole name.
    EXPECT_EQ(proc_names::processName("systemd-journal", "/lib/systemd/systemd-journald\0"s, ""),
              "systemd-journald");
    // Shorter, it is whole: a link's own name, a busybox applet, a renamed program.
    EXPECT_EQ(proc_names::processName("sh", "/bin/shell\0"s, ""), "sh");
    EXPECT_EQ(proc_names::processName("ljren", "/usr/bin/python3\0x\0"s, ""), "ljren");
    EXPECT_EQ(proc_names::processName("sh", "sh\0./x\0"s, "x"), "x") << "a checked script";
    // A process that rewrote its argv, and one with no argv at all.
    EXPECT_EQ(proc_names::wholeName("sshd: root@pts", "sshd: root@pts/0\0"s), "sshd: root@pts");
    EXPECT_EQ(proc_names::wholeName("ljmainexit-long", ""), "ljmainexit-long");
    // A script run through its "#!" line: argv[0] names the interpreter.
    EXPECT_EQ(proc_names::wholeName("lingerjob-setup", "/bin/sh\0./lingerjob-setup-x\0"s),
              "lingerjob-setup-x");
    EXPECT_EQ(proc_names::wholeName("", "/bin/x\0"s), "x");
}

TEST(ProcNames, AScriptRunThroughItsHashBangLineIsNamedAfterItsFile) {
    using proc_names::scriptFileName;
    using std::string_literals::operator""s;
    // comm is the script's file name cut at 15 bytes; the interpreter's options come first.
    EXPECT_EQ(scriptFileName("setup-helper", "/bin/sh\0./setup-helper\0arg\0"s), "setup-helper");
    EXPECT_EQ(scriptFileName("lingerjob-setup", "bash\0-e\0/opt/lingerjob-setup.sh"s),
              "lingerjob-setup.sh");
    // By hand, the interpreter's own comm; only the first argument counts.
    for (const auto& [comm, cmdline] : {std::pair{"python3", "python3\0x.py\0"s},
                                        {"sh", "sh\0shfoo\0"s},
                                        {"helper", "sh\0x\0helper\0"s},
                                        {"", "sh\0\0"s},
                                        {"helper", "helper"s}}) {
        EXPECT_EQ(scriptFileName(comm, cmdline), "") << comm;
    }
}

TEST(ProcNames, AnInterpreterStartedByNameWithAScriptsPathIsAScriptCall) {
    using std::string_literals::operator""s;
    // As env starts them, options first ("#!/usr/bin/env -S bash -e"); also by a
    // path, as wrappers such as pyenv's start the interpreter.
    for (const auto& [comm, cmdline, path] :
         {std::tuple{"bash", "bash\0./myscript\0arg\0"s, "./myscript"},
          {"python3", "python3\0-u\0/opt/x.py\0"s, "/opt/x.py"},
          {"bash", "bash\0-euo\0pipefail\0./x\0"s, "./x"}}) {
        const auto call = proc_names::scriptCall(comm, cmdline);
        ASSERT_TRUE(call) << cmdline;
        EXPECT_EQ(call->interpreter, comm);
        EXPECT_EQ(call->path, path);
    }
    EXPECT_EQ(proc_names::scriptCall("python3", "/opt/py/bin/python3\0./x\0"s)->interpreter,
              "python3");
    // By hand without a path, a script started through its "#!" line (its short
    // name is its own), a renamed program, no script at all.
    for (const auto& [comm, cmdline] : {std::pair{"python3", "python3\0x.py\0"s},
                                        {"x", "/bin/bash\0./x\0"s},
                                        {"ljren", "bash\0./x\0"s},
                                        {"sleep", "sleep\0600\0"s},
                                        {"sh", "sh\0--rcfile=/x\0"s}}) {
        EXPECT_FALSE(proc_names::scriptCall(comm, cmdline)) << cmdline;
    }
    for (const auto& [head, interpreter] : {std::pair{"#!/bin/sh\nexit", "sh"},
                                            {"#! /usr/bin/python3 -u\n", "python3"},
                                            {"#!/usr/bin/env bash\n", "bash"},
                                            {"#!/usr/bin/env -S bash -e\n", "bash"},
                                            {"#!/usr/bin/env -S -i A=1 python3 -u\n", "python3"},
                                            {"#!/usr/bin/env -u HOME -Snode --x\n", "node"},
                                            {"#!/usr/bin/env --split-string=perl -w", "perl"},
                                            {"#!/usr/bin/env\n", ""},
                                            {"#!\n", ""},
                                            {"echo #!/bin/sh\n", ""},
                                            {"", ""}}) {
        EXPECT_EQ(proc_names::hashBangInterpreter(head), interpreter) << head;
    }
}

TEST(ProcMounts, AScriptIsLookedUpOnlyWhereEveryMountOnItsWayIsLocal) {
    const proc_mounts::Table mounts(proc_mounts::parseMountInfo(
        "26 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "40 26 0:50 / /home rw - btrfs /dev/vdb rw\n"
        "41 40 0:51 / /home/u/my\\040share rw - fuse.sshfs u@h: rw\n"
        "42 26 0:52 / /srv/ovl rw - overlay overlay rw,lowerdir=/srv/lo:/home/x,workdir=/w\n"
        "43 26 0:53 / /srv/fo rw - overlay overlay rw,lowerdir=/home/u/my\\040share/l\n"
        "44 26 0:54 / /net rw - nfs4 h:/ rw\n"
        "45 44 0:55 / /net/x rw - ext4 /dev/vdc rw\n"
        "bad line\n"));
    const auto start = [&](const char* path) {
        const auto* mount = mounts.localStart(path);
        return mount ? mount->id : 0;
    };
    EXPECT_EQ(start("/home/u/run.sh"), 40u);
    EXPECT_EQ(start("/homework/run.sh"), 26u);
    EXPECT_EQ(start("/srv/ovl/a/run.sh"), 42u);
    EXPECT_EQ(start("/home/u/../u/my share/x"), 40u) << "the lookup goes on from /home alone";
    for (const char* path :
         {"/home/u/my share/run.sh", "/srv/fo/run.sh", "/net/x/run.sh", "/net/run.sh", "run.sh"}) {
        EXPECT_EQ(start(path), 0u) << path;
    }
    for (const char* type : {"fuse", "fuseblk", "fuse.rclone", "nfs", "cifs", "9p", "autofs", ""}) {
        EXPECT_FALSE(proc_mounts::localType(type)) << type;
    }
}

TEST(ProcVisibility, TheProcMountOnTopAndWhetherCapSysPtraceSeesPastIt) {
    using proc_visibility::procMountAt;
    const std::string base =
        "22 27 0:21 / /proc rw - proc proc rw\n"
        "30 22 0:40 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw\n";
    EXPECT_FALSE(procMountAt(base, "/proc")->hidesOthers);
    EXPECT_FALSE(procMountAt(base, "/mnt"));
    EXPECT_FALSE(procMountAt("6 2 0:4 / /proc rw - tmpfs proc rw,hidepid=2\n", "/proc"));
    const auto top = [&](const std::string& options) {
        return *procMountAt(base + "66 22 0:41 / /proc rw shared:5 - proc proc " + options,
                            "/proc");
    };
    EXPECT_TRUE(top("rw,hidepid=1").hidesOthers);
    EXPECT_FALSE(top("rw,hidepid=off,gid=5").hidesOthers);
    EXPECT_EQ(top("rw,hidepid=invisible,gid=27").gid, 27u);
    EXPECT_TRUE(top("rw,hidepid=2").groupSees);
    EXPECT_FALSE(top("rw,hidepid=ptraceable,gid=5").groupSees);
    EXPECT_TRUE(proc_visibility::mayTraceAnyProcess("Name:\tx\nCapEff:\t0000000000080000\n"));
    EXPECT_FALSE(proc_visibility::mayTraceAnyProcess("Name:\tx\nCapEff:\t0000000000040000\n"));
    // Who sees past the hiding: CAP_SYS_PTRACE, and the gid= group unless ptraceable.
    const auto hides = [&](const std::string& options, bool mayTrace, bool inGroup) {
        return proc_visibility::hidesOthersFrom(top(options), mayTrace, inGroup);
    };
    EXPECT_TRUE(hides("rw,hidepid=2,gid=5", false, false));
    EXPECT_FALSE(hides("rw,hidepid=2,gid=5", true, false));
    EXPECT_FALSE(hides("rw,hidepid=2,gid=5", false, true));
    EXPECT_TRUE(hides("rw,hidepid=ptraceable,gid=5", false, true));
    EXPECT_FALSE(hides("rw,hidepid=ptraceable", true, false));
    EXPECT_FALSE(hides("rw,hidepid=0", false, false));
}

}  // namespace
