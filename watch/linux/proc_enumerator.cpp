#include "watch/linux/proc_enumerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "watch/lineage.h"
#include "watch/linux/proc_names.h"

namespace {

// The id a /proc entry's name stands for; nothing for the entries that are no process.
std::optional<ProcessId> processId(const char* name) {
    if (*name == '\0') return std::nullopt;
    unsigned long id = 0;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9' || id > 0xFFFFFFFFul / 10) return std::nullopt;
        id = id * 10 + static_cast<unsigned long>(*name - '0');
    }
    return static_cast<ProcessId>(id);
}

// Reads PID/file with one read: comm and the start of cmdline (all that argv[0]
// and a script's path need) come whole in the first one. -1 with errno set when
// it cannot be opened or read.
template <std::size_t N>
ssize_t readProcFile(int procFd, const char* pid, const char* file, std::array<char, N>& buffer) {
    std::array<char, 320> path;  // a d_name is at most 255 bytes
    std::snprintf(path.data(), path.size(), "%s/%s", pid, file);
    const int fd = openat(procFd, path.data(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    const ssize_t got = read(fd, buffer.data(), N);
    const int readError = errno;
    close(fd);
    errno = readError;
    return got;
}

// Buffers reused for every process of one enumeration.
struct Buffers {
    std::array<char, 4096> link;
    std::array<char, 256> comm;
    std::array<char, 4096> cmdline;
};

enum class Outcome { Named, LeftOut, Failed };

// What a failed read of a process's files means. ENOENT and ESRCH: it has gone.
// EPERM: /proc is mounted hidepid=noaccess and the process is another user's,
// hidden from this account: left out, as hidepid=invisible leaves it out.
// Anything else (EMFILE, EACCES, ...) leaves the process's name unknown, and with
// it the whole list.
Outcome afterFailedRead() {
    return errno == ENOENT || errno == ESRCH || errno == EPERM ? Outcome::LeftOut : Outcome::Failed;
}

// Whether a process without a memory map (no exe link, an empty cmdline) still
// runs a program: kernel threads and zombies do not, but a process whose main
// thread has ended while other threads run does. PID/task has one link per
// thread beyond its own two, which tells them apart with one stat and no descriptor.
Outcome runsWithoutMemoryMap(int procFd, const char* pid) {
    std::array<char, 320> path;
    std::snprintf(path.data(), path.size(), "%s/task", pid);
    struct stat task;
    if (fstatat(procFd, path.data(), &task, 0) != 0) return afterFailedRead();
    return task.st_nlink > 3 ? Outcome::Named : Outcome::LeftOut;
}

// The executable name of one process.
Outcome nameOf(int procFd, const char* pid, Buffers& buffers, std::string& name) {
    std::array<char, 320> path;  // a d_name is at most 255 bytes
    std::snprintf(path.data(), path.size(), "%s/exe", pid);
    const ssize_t linkLength =
        readlinkat(procFd, path.data(), buffers.link.data(), buffers.link.size());
    bool noMemoryMap = linkLength < 0 && errno == ENOENT;
    std::string_view exeFile;
    if (linkLength > 0 && static_cast<std::size_t>(linkLength) < buffers.link.size()) {
        exeFile = proc_names::exeFileName(std::string_view(buffers.link.data(), linkLength));
    }

    ssize_t cmdLength = 0;
    if (exeFile.empty() && !noMemoryMap) {
        // Another user's process (EACCES): argv[0] or a script's path may name it,
        // and an empty cmdline shows a kernel thread or a zombie.
        cmdLength = readProcFile(procFd, pid, "cmdline", buffers.cmdline);
        if (cmdLength < 0) return afterFailedRead();
        noMemoryMap = cmdLength == 0;
    }
    if (noMemoryMap) {
        const Outcome running = runsWithoutMemoryMap(procFd, pid);
        if (running != Outcome::Named) return running;
    }

    const ssize_t commLength = readProcFile(procFd, pid, "comm", buffers.comm);
    if (commLength < 0) return afterFailedRead();
    if (commLength == 0) return Outcome::LeftOut;  // ended while we looked
    const auto comm =
        proc_names::commFromCommFile(std::string_view(buffers.comm.data(), commLength));

    if (noMemoryMap) {
        name.assign(comm);  // all there is
    } else if (exeFile.empty()) {
        name.assign(proc_names::nameWithoutExe(
            comm, std::string_view(buffers.cmdline.data(), static_cast<std::size_t>(cmdLength))));
    } else if (proc_names::shortNameStarts(comm, exeFile)) {
        name.assign(exeFile);
    } else {
        // The short name is not the executable's: a script run through its "#!" line?
        cmdLength = readProcFile(procFd, pid, "cmdline", buffers.cmdline);
        if (cmdLength < 0) return afterFailedRead();
        const auto script = proc_names::scriptFileName(
            comm, std::string_view(buffers.cmdline.data(), static_cast<std::size_t>(cmdLength)));
        name.assign(script.empty() ? exeFile : script);
    }
    return name.empty() ? Outcome::LeftOut : Outcome::Named;
}

// The parent of a process, from PID/stat; nothing when it cannot be read (the
// process has gone, or this is no procfs).
std::optional<ProcessId> parentOf(int procFd, ProcessId pid) {
    std::array<char, 512> stat;  // the name is at most 64 bytes; the parent comes right after it
    const std::string id = std::to_string(pid);
    const ssize_t got = readProcFile(procFd, id.c_str(), "stat", stat);
    if (got <= 0) return std::nullopt;
    const auto parent = proc_names::parentFromStat(std::string_view(stat.data(), got));
    if (!parent) return std::nullopt;
    return static_cast<ProcessId>(*parent);
}

}  // namespace

std::optional<ProcessSnapshot> ProcEnumerator::snapshot() {
    const int procFd = open(procRoot_, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    DIR* dir = fdopendir(procFd);
    if (!dir) {
        close(procFd);
        return std::nullopt;
    }

    // Read before the listing: a parent that ends meanwhile leaves its id in the
    // lineage for this one snapshot, which costs nothing.
    ProcessSnapshot taken;
    taken.ownLineage = lineageOf(static_cast<ProcessId>(getpid()),
                                 [procFd](ProcessId pid) { return parentOf(procFd, pid); });
    taken.processes.reserve(lastCount_ + lastCount_ / 8 + 16);
    Buffers buffers;
    std::string name;
    bool sawProcess = false;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            failed = errno != 0;  // a listing cut short is no listing
            break;
        }
        const auto pid = processId(entry->d_name);
        if (!pid) continue;
        sawProcess = true;
        // Never listed, so its name is not worth reading.
        if (*pid == taken.ownLineage.front()) continue;
        const Outcome outcome = nameOf(procFd, entry->d_name, buffers, name);
        if (outcome == Outcome::Failed) {
            failed = true;
            break;
        }
        if (outcome == Outcome::Named) taken.processes.push_back(RunningProcess{*pid, name});
    }
    closedir(dir);
    if (failed) return std::nullopt;
    // This process itself is running, so a listing without a single process is
    // not a procfs (say, an empty directory mounted over it): it tells nothing.
    if (!sawProcess) return std::nullopt;
    lastCount_ = taken.processes.size();
    return taken;
}
