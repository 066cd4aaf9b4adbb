#include "lean_proc_enumerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
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

// "PID/file" into path; a d_name is at most 255 bytes.
const char* procPath(std::array<char, 320>& path, const char* pid, std::string_view file) {
    const std::size_t length = std::strlen(pid);
    std::memcpy(path.data(), pid, length);
    path[length] = '/';
    std::memcpy(path.data() + length + 1, file.data(), file.size());
    path[length + 1 + file.size()] = '\0';
    return path.data();
}

// Reads up to N bytes of PID/file, until the end or, with singleRead, with one
// read only; -1 when it cannot be opened or read.
template <std::size_t N>
ssize_t readProcFile(int procFd, const char* pid, std::string_view file,
                     std::array<char, N>& buffer, bool singleRead = false) {
    std::array<char, 320> path;
    const int fd = openat(procFd, procPath(path, pid, file), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    ssize_t total = 0;
    while (total < static_cast<ssize_t>(N)) {
        const ssize_t got = read(fd, buffer.data() + total, N - total);
        if (got < 0) {
            total = -1;
            break;
        }
        if (got == 0) break;
        total += got;
        if (singleRead) break;
    }
    close(fd);
    return total;
}

struct Buffers {
    std::array<char, 4096> link;
    std::array<char, 256> comm;
    std::array<char, 4096> cmdline;
};

bool nameOf(int procFd, const char* pid, const LeanOptions& options, Buffers& buffers,
            std::string& name) {
    std::array<char, 320> path;
    const ssize_t linkLength =
        readlinkat(procFd, procPath(path, pid, "exe"), buffers.link.data(), buffers.link.size());
    const bool noMemoryMap =
        options.skipCmdlineWithoutMemoryMap && linkLength < 0 && errno == ENOENT;
    if (linkLength > 0 && static_cast<std::size_t>(linkLength) < buffers.link.size()) {
        const auto file =
            proc_names::exeFileName(std::string_view(buffers.link.data(), linkLength));
        if (!file.empty()) {
            name.assign(file);
            return true;
        }
    }

    const ssize_t commLength =
        readProcFile(procFd, pid, "comm", buffers.comm, options.singleReadComm);
    if (commLength <= 0) return false;
    const auto comm =
        proc_names::commFromCommFile(std::string_view(buffers.comm.data(), commLength));
    if (noMemoryMap) {
        name.assign(comm);
        return !name.empty();
    }
    const ssize_t cmdLength = readProcFile(procFd, pid, "cmdline", buffers.cmdline);
    const std::string_view cmdline(buffers.cmdline.data(), cmdLength > 0 ? cmdLength : 0);
    name.assign(proc_names::nameWithoutExe(comm, cmdline));
    return !name.empty();
}

}  // namespace

std::optional<std::vector<std::string>> LeanProcEnumerator::enumerate() {
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
        if (nameOf(procFd, entry->d_name, options_, buffers, name)) names.push_back(name);
    }
    closedir(dir);
    if (!sawProcess) return std::nullopt;
    lastCount_ = names.size();
    return names;
}
