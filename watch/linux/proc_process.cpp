#include "watch/linux/proc_process.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "watch/linux/proc_names.h"
#include "watch/linux/proc_scripts.h"

namespace proc_process {

namespace {

// The clock of a process's CPU time (what clock_getcpuclockid gives, without the
// extra system call it makes to check the process exists): the complement of the
// id, shifted past the clock type, CPUCLOCK_SCHED (2), the one counted in ns.
clockid_t cpuClockOf(ProcessId id) {
    return static_cast<clockid_t>((~static_cast<unsigned>(id) << 3) | 2u);
}

enum class ReadError { Gone, Hidden, Failed };

// What a failed read of a process's file means. ENOENT and ESRCH: it has gone.
// EPERM: /proc is mounted hidepid=noaccess and the process is another user's,
// hidden from this account: left out, as hidepid=invisible leaves it out.
// Anything else (EMFILE, EACCES, ...) leaves the process's name unknown, and with
// it the whole list.
ReadError readError(int error) {
    if (error == ENOENT || error == ESRCH) return ReadError::Gone;
    return error == EPERM ? ReadError::Hidden : ReadError::Failed;
}

// The command line as read, without an argument cut short by the end of the buffer.
std::string_view wholeArguments(const char* data, std::size_t length, std::size_t size) {
    std::string_view text(data, length);
    if (length == size) text = text.substr(0, text.rfind('\0') + 1);  // npos + 1 is 0
    return text;
}

}  // namespace

ssize_t readProcFile(int procFd, const char* pid, const char* file, char* buffer,
                     std::size_t size) {
    char path[320];  // a d_name is at most 255 bytes
    std::snprintf(path, sizeof path, "%s/%s", pid, file);
    const int fd = openat(procFd, path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    const ssize_t got = read(fd, buffer, size);
    const int error = errno;
    close(fd);
    errno = error;
    return got;
}

int readWholeFile(int dirFd, const char* path, std::string& text) {
    const int fd = openat(dirFd, path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    std::array<char, 8192> chunk;
    ssize_t got;
    while ((got = read(fd, chunk.data(), chunk.size())) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0) text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    const int error = got < 0 ? errno : 0;
    close(fd);
    return error;
}

Outcome refresh(int procFd, const char* pid, ino_t inode, bool useCpuTime, Known& known,
                State& state, Buffers& buffers) {
    std::uint64_t cpuTime = 0;
    bool cpuTimeRead = false;
    if (useCpuTime) {
        timespec t;
        if (clock_gettime(cpuClockOf(known.id), &t) == 0) {
            cpuTime = static_cast<std::uint64_t>(t.tv_sec) * 1000000000u +
                      static_cast<std::uint64_t>(t.tv_nsec);
            cpuTimeRead = true;
        } else if (errno == EINVAL) {
            return Outcome::Gone;  // no such process any more
        }
    }
    const std::uint16_t age = static_cast<std::uint16_t>(buffers.now - known.readAt);
    const bool young = age < buffers.maxAge - known.id % (buffers.maxAge / 2 + 1);
    const auto inodeBits = static_cast<std::uint32_t>(inode);
    if (known.read && cpuTimeRead && known.cpuTimeRead && cpuTime == known.cpuTime &&
        inodeBits == known.inode && young) {
        return Outcome::Current;  // it has not run since it was read, not long ago
    }
    const auto settle = [&]() {
        known.inode = inodeBits;
        known.cpuTime = cpuTime;
        known.cpuTimeRead = cpuTimeRead;
        known.read = true;
        known.readAt = static_cast<std::uint16_t>(buffers.now);
        return Outcome::Current;
    };
    const auto dropScript = [&]() {
        state.forget(known);
        known.hasScript = false;
    };
    const auto unlisted = [&]() {
        known.listed = false;
        dropScript();
        return settle();
    };
    const auto afterFailedRead = [&]() {
        switch (readError(errno)) {
            case ReadError::Gone:
                return Outcome::Gone;
            case ReadError::Failed:
                return Outcome::Failed;
            case ReadError::Hidden:
                break;
        }
        return unlisted();
    };

    const ssize_t statLength =
        readProcFile(procFd, pid, "stat", buffers.stat.data(), buffers.stat.size());
    if (statLength < 0) return afterFailedRead();
    const auto stat = proc_names::parseStat(std::string_view(buffers.stat.data(), statLength));
    if (!stat) return statLength == 0 ? Outcome::Gone : Outcome::Failed;

    // A call looked at by the same process as now, not one before under a reused id.
    ScriptLook* look = nullptr;
    if (known.hasScript) {
        const auto found = state.scripts.find(known.id);
        if (found != state.scripts.end()) look = &found->second;
    }
    if (look && look->startTime != stat->startTime) {
        dropScript();
        look = nullptr;
    }
    if (!proc_names::runsProgram(*stat)) return unlisted();
    const ssize_t cmdLength =
        readProcFile(procFd, pid, "cmdline", buffers.cmdline.data(), buffers.cmdline.size());
    if (cmdLength < 0) return afterFailedRead();
    const std::string_view cmdline = wholeArguments(
        buffers.cmdline.data(), static_cast<std::size_t>(cmdLength), buffers.cmdline.size());

    std::string_view script;
    if (const auto call = proc_names::scriptCall(stat->comm, cmdline)) {
        std::string key(call->interpreter);
        key += '\0';
        key += call->path;
        if (!look || key != look->call) {
            const auto check = proc_scripts::runsScript(procFd, pid, call->path, call->interpreter,
                                                        buffers.mounts);
            if (check == proc_scripts::Check::Failed) return Outcome::Failed;
            look = &state.scripts[known.id];
            *look = ScriptLook{stat->startTime, std::move(key), check == proc_scripts::Check::Runs};
            known.hasScript = true;
        }
        if (look->runs) script = proc_names::fileNameOf(call->path);
    } else {
        dropScript();
    }
    const std::string_view name = proc_names::processName(stat->comm, cmdline, script);
    known.listed = !name.empty();
    if (known.listed) known.name = state.names.intern(name);
    return settle();
}

}  // namespace proc_process
