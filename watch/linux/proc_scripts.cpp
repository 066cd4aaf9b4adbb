#include "watch/linux/proc_scripts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "watch/linux/proc_names.h"

namespace proc_scripts {

namespace {

// The kernel itself reads no more of a script than this to find its "#!" line.
constexpr std::size_t kHeadBytes = 256;

bool outOfResources(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

Check afterError(int error) {
    return outOfResources(error) ? Check::Failed : Check::DoesNot;
}

// Reads the start of the file that pathFd (opened with O_PATH, closed here)
// stands for, when it is a regular file. An O_PATH descriptor opens nothing: a
// FIFO, a device or a socket named by some process is never opened for reading.
Check fromFile(int procFd, int pathFd, std::string_view interpreter) {
    struct stat st;
    const bool regular = fstat(pathFd, &st) == 0 && S_ISREG(st.st_mode);
    int fd = -1;
    if (regular) {
        std::array<char, 32> self;
        std::snprintf(self.data(), self.size(), "self/fd/%d", pathFd);
        const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
        fd = openat(procFd, self.data(), flags | O_NOATIME);  // leaves its access time be
        if (fd < 0 && errno == EPERM) fd = openat(procFd, self.data(), flags);  // not our file
    }
    const int openError = errno;
    close(pathFd);
    if (!regular) return Check::DoesNot;
    if (fd < 0) return afterError(openError);
    std::array<char, kHeadBytes> head;
    const ssize_t got = read(fd, head.data(), head.size());
    const int readError = errno;
    close(fd);
    if (got < 0) return afterError(readError);
    const std::string_view text(head.data(), static_cast<std::size_t>(got));
    return proc_names::hashBangInterpreter(text) == interpreter ? Check::Runs : Check::DoesNot;
}

// Among the files the process holds open, one with the script's file name whose
// "#!" line runs interpreter.
Check amongOpenFiles(int procFd, const char* pid, std::string_view fileName,
                     std::string_view interpreter) {
    const std::string folder = std::string(pid) + "/fd";
    const int folderFd = openat(procFd, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return afterError(errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(folderFd), closedir);
    if (!dir) {
        const int error = errno;
        close(folderFd);
        return afterError(error);
    }
    std::array<char, 4096> target;
    while (const dirent* entry = readdir(dir.get())) {
        const ssize_t length = readlinkat(folderFd, entry->d_name, target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) continue;
        const std::string_view path(target.data(), static_cast<std::size_t>(length));
        if (path.front() != '/' || proc_names::fileNameOf(path) != fileName) continue;
        const int pathFd = openat(folderFd, entry->d_name, O_PATH | O_CLOEXEC);
        if (pathFd < 0) {
            if (outOfResources(errno)) return Check::Failed;
            continue;
        }
        const Check check = fromFile(procFd, pathFd, interpreter);
        if (check != Check::DoesNot) return check;
    }
    return Check::DoesNot;
}

}  // namespace

Check runsScript(int procFd, const char* pid, std::string_view path, std::string_view interpreter) {
    if (path.empty() || interpreter.empty()) return Check::DoesNot;
    const bool absolute = path.front() == '/';
    std::string where(pid);
    where += absolute ? "/root" : "/cwd/";
    where += path;
    int pathFd = openat(procFd, where.c_str(), O_PATH | O_CLOEXEC);
    if (pathFd < 0 && absolute && (errno == EACCES || errno == EPERM)) {
        // Another user's process: its root is closed to us, the path as we see it is not.
        pathFd = open(std::string(path).c_str(), O_PATH | O_CLOEXEC);
    }
    if (pathFd < 0 && outOfResources(errno)) return Check::Failed;
    if (pathFd >= 0) {
        const Check check = fromFile(procFd, pathFd, interpreter);
        if (check != Check::DoesNot || absolute) return check;
    }
    if (absolute) return Check::DoesNot;
    return amongOpenFiles(procFd, pid, proc_names::fileNameOf(path), interpreter);
}

}  // namespace proc_scripts
