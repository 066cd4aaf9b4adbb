#include "watch/linux/proc_enumerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "watch/linux/proc_names.h"

namespace {

bool isProcessId(const char* name) {
    if (*name == '\0') return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9') return false;
    }
    return true;
}

// Reads PID/file with one read: comm and the start of cmdline (all that argv[0]
// needs) come whole in the first one. -1 when it cannot be opened or read.
template <std::size_t N>
ssize_t readProcFile(int procFd, const char* pid, const char* file, std::array<char, N>& buffer) {
    std::array<char, 320> path;  // a d_name is at most 255 bytes
    std::snprintf(path.data(), path.size(), "%s/%s", pid, file);
    const int fd = openat(procFd, path.data(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    const ssize_t got = read(fd, buffer.data(), N);
    close(fd);
    return got;
}

// Buffers reused for every process of one enumeration.
struct Buffers {
    std::array<char, 4096> link;
    std::array<char, 256> comm;
    std::array<char, 4096> cmdline;
};

// The executable name of one process; false when the process has gone.
bool nameOf(int procFd, const char* pid, Buffers& buffers, std::string& name) {
    std::array<char, 320> path;  // a d_name is at most 255 bytes
    std::snprintf(path.data(), path.size(), "%s/exe", pid);
    const ssize_t linkLength =
        readlinkat(procFd, path.data(), buffers.link.data(), buffers.link.size());
    if (linkLength > 0 && static_cast<std::size_t>(linkLength) < buffers.link.size()) {
        const auto file =
            proc_names::exeFileName(std::string_view(buffers.link.data(), linkLength));
        if (!file.empty()) {
            name.assign(file);
            return true;
        }
    }

    // No readable exe link (another user's process, a kernel thread).
    const bool noMemoryMap = linkLength < 0 && errno == ENOENT;
    const ssize_t commLength = readProcFile(procFd, pid, "comm", buffers.comm);
    if (commLength <= 0) return false;  // ended while we looked
    const auto comm =
        proc_names::commFromCommFile(std::string_view(buffers.comm.data(), commLength));
    if (noMemoryMap) {
        // A kernel thread or a zombie: its cmdline is empty, its short name is all there is.
        name.assign(comm);
        return !name.empty();
    }
    const ssize_t cmdLength = readProcFile(procFd, pid, "cmdline", buffers.cmdline);
    const std::string_view cmdline(buffers.cmdline.data(), cmdLength > 0 ? cmdLength : 0);
    name.assign(proc_names::nameWithoutExe(comm, cmdline));
    return !name.empty();
}

}  // namespace

std::optional<std::vector<std::string>> ProcEnumerator::enumerate() {
    const int procFd = open(procRoot_, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    DIR* dir = fdopendir(procFd);
    if (!dir) {
        close(procFd);
        return std::nullopt;
    }

    std::vector<std::string> names;
    names.reserve(lastCount_ + lastCount_ / 8 + 16);
    Buffers buffers;
    std::string name;
    bool sawProcess = false;
    while (const dirent* entry = readdir(dir)) {
        if (!isProcessId(entry->d_name)) continue;
        sawProcess = true;
        if (nameOf(procFd, entry->d_name, buffers, name)) names.push_back(name);
    }
    closedir(dir);
    // This process itself is running, so a listing without a single process is
    // not a procfs (say, an empty directory mounted over it): it tells nothing.
    if (!sawProcess) return std::nullopt;
    lastCount_ = names.size();
    return names;
}
