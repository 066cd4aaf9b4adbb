#include "app/launcher/status_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace status_pipe {

namespace {

// The descriptor, or -1: read once from the environment and never changed.
int launcherPipe() {
    static const int descriptor = [] {
        const char* value = std::getenv(kVariable);
        int fd = -1;
        if (value != nullptr && *value >= '0' && *value <= '9') {
            char* end = nullptr;
            const long number = std::strtol(value, &end, 10);
            if (*end == '\0' && number > 2 && number < 65536) fd = static_cast<int>(number);
        }
        unsetenv(kVariable);
        if (fd >= 0 && fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) fd = -1;
        return fd;
    }();
    return descriptor;
}

void writeAll(int fd, const unsigned char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t n = write(fd, bytes, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
}

}  // namespace

void takeFromLauncher() {
    launcherPipe();
}

bool launcherWaits() {
    return launcherPipe() >= 0;
}

void beat() {
    const int fd = launcherPipe();
    if (fd < 0) return;
    // This process is the pipe's one writer: room for a byte now is room for it
    // when it is written.
    pollfd room{fd, POLLOUT, 0};
    if (poll(&room, 1, 0) != 1 || (room.revents & POLLOUT) == 0) return;
    writeAll(fd, &kBeat, 1);
}

int tellLauncher(int status) {
    if (const int fd = launcherPipe(); fd >= 0) {
        // Two bytes, fewer than PIPE_BUF: written at once.
        const unsigned char words[] = {kStatus, static_cast<unsigned char>(status)};
        writeAll(fd, words, sizeof words);
    }
    return status;
}

bool Reader::take(const unsigned char* bytes, long count) {
    bool heard = false;
    for (long i = 0; i < count; ++i) {
        if (statusNext_) {
            told_ = bytes[i];
            statusNext_ = false;
            heard = true;
        } else if (bytes[i] == kStatus) {
            statusNext_ = true;
        } else if (bytes[i] == kBeat) {
            heard = true;
        }
    }
    return heard;
}

}  // namespace status_pipe
