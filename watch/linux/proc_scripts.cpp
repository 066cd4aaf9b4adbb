#include "watch/linux/proc_scripts.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "watch/linux/proc_names.h"
#include "watch/linux/proc_process.h"

#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x00001000U
#endif

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

// The target of a link below procFd into text: 0, or the errno.
int readLink(int procFd, const std::string& link, std::string& text) {
    std::array<char, 4096> target;
    const ssize_t length = readlinkat(procFd, link.c_str(), target.data(), target.size());
    if (length < 0) return errno;
    if (static_cast<std::size_t>(length) >= target.size()) return ENAMETOOLONG;
    text.assign(target.data(), static_cast<std::size_t>(length));
    return 0;
}

// Reads what own holds, once: 0, or the errno.
int readOwn(int procFd, OwnMounts& own) {
    if (own.read) return 0;
    if (const int error = readLink(procFd, "self/ns/mnt", own.nameSpace)) return error;
    std::string text;
    const int error = proc_process::readWholeFile(procFd, "self/mountinfo", text);
    if (outOfResources(error)) return error;
    own.read = true;
    if (error == 0) own.table.emplace(proc_mounts::parseMountInfo(text));
    return 0;
}

// The mount a descriptor's file lies on, told by the kernel without asking the
// file system (AT_STATX_DONT_SYNC), with its type; nothing when it cannot tell.
std::optional<std::uint64_t> mountOf(int fd, mode_t* type = nullptr) {
    struct statx st;
    const unsigned mask = STATX_TYPE | STATX_MNT_ID;
    if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, mask, &st) != 0) return std::nullopt;
    if ((st.stx_mask & mask) != mask) return std::nullopt;
    if (type) *type = st.stx_mode & S_IFMT;
    return st.stx_mnt_id;
}

// Reads the start of the file that pathFd (opened with O_PATH, closed here)
// stands for, when it is a regular file on the mount mountId. An O_PATH
// descriptor opens nothing: a FIFO, a device or a socket named by some process
// is never opened for reading.
Check fromFile(int procFd, int pathFd, std::uint64_t mountId, std::string_view interpreter) {
    mode_t type = 0;
    const bool regular = mountOf(pathFd, &type) == mountId && S_ISREG(type);
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

// The file at an absolute path as this process sees it, when nothing on the way
// to it lies on a mount that is not local: looked up from the deepest mount
// point on its way, without crossing into any other mount (a mount point
// further on, a ".." out of it, an absolute symbolic link all fail with EXDEV),
// nor through /proc's links.
Check fromPath(int procFd, const proc_mounts::Table& mounts, const std::string& path,
               std::string_view interpreter) {
    const proc_mounts::Mount* start = mounts.localStart(path);
    if (!start) return Check::DoesNot;
    const int dirFd = open(start->point.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (dirFd < 0) return afterError(errno);
    // The mount found there is the one judged, not one mounted over it meanwhile.
    const auto id = mountOf(dirFd);
    const proc_mounts::Mount* found = id ? mounts.find(*id) : nullptr;
    if (!found || found->point != start->point || !mounts.isLocal(*found)) {
        close(dirFd);
        return Check::DoesNot;
    }
    std::size_t rest = start->point.size();
    while (rest < path.size() && path[rest] == '/') ++rest;
    open_how how{};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS;
    const long pathFd = syscall(SYS_openat2, dirFd, path.c_str() + rest, &how, sizeof how);
    const int error = errno;
    close(dirFd);
    if (pathFd < 0) return afterError(error);  // ENOSYS (before Linux 5.6): not looked at
    return fromFile(procFd, static_cast<int>(pathFd), *id, interpreter);
}

// Among the files the process holds open, one with the script's file name whose
// "#!" line runs interpreter.
Check amongOpenFiles(int procFd, const char* pid, const proc_mounts::Table& mounts,
                     std::string_view fileName, std::string_view interpreter) {
    const std::string folder = std::string(pid) + "/fd";
    const int folderFd = openat(procFd, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return afterError(errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(folderFd), closedir);
    if (!dir) {
        const int error = errno;
        close(folderFd);
        return afterError(error);
    }
    std::string path;
    while (const dirent* entry = readdir(dir.get())) {
        if (readLink(folderFd, entry->d_name, path) != 0) continue;
        if (path.front() != '/' || proc_names::fileNameOf(path) != fileName) continue;
        const Check check = fromPath(procFd, mounts, path, interpreter);
        if (check != Check::DoesNot) return check;
    }
    return Check::DoesNot;
}

// A folder /proc names (a root, a working folder) followed by path.
std::optional<std::string> below(std::string folder, std::string_view path) {
    static constexpr std::string_view kDeleted = " (deleted)";
    const bool deleted =
        folder.size() >= kDeleted.size() &&
        folder.compare(folder.size() - kDeleted.size(), kDeleted.size(), kDeleted.data()) == 0;
    if (folder.empty() || folder.front() != '/' || deleted) return std::nullopt;
    if (folder.back() != '/') folder += '/';
    folder += path;
    return folder;
}

}  // namespace

Check runsScript(int procFd, const char* pid, std::string_view path, std::string_view interpreter,
                 OwnMounts& own) {
    if (path.empty() || interpreter.empty()) return Check::DoesNot;
    if (const int error = readOwn(procFd, own)) return afterError(error);
    if (!own.table) return Check::DoesNot;
    const bool absolute = path.front() == '/';
    std::string nameSpace;
    const int nsError = readLink(procFd, std::string(pid) + "/ns/mnt", nameSpace);
    if (nsError == EACCES || nsError == EPERM) {
        // Another user's process: its links are closed to us, the path as we see it is not.
        return absolute ? fromPath(procFd, *own.table, std::string(path), interpreter)
                        : Check::DoesNot;
    }
    if (nsError != 0) return afterError(nsError);
    if (nameSpace != own.nameSpace) return Check::DoesNot;  // never followed into another

    std::string folder;
    const int folderError =
        readLink(procFd, std::string(pid) + (absolute ? "/root" : "/cwd"), folder);
    if (outOfResources(folderError)) return Check::Failed;
    if (folderError == 0) {
        if (const auto where = below(std::move(folder), path)) {
            const Check check = fromPath(procFd, *own.table, *where, interpreter);
            if (check != Check::DoesNot || absolute) return check;
        }
    }
    if (absolute) return Check::DoesNot;
    return amongOpenFiles(procFd, pid, *own.table, proc_names::fileNameOf(path), interpreter);
}

}  // namespace proc_scripts
