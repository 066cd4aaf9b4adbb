#include "app/launcher/status_pipe.h"

#include <fcntl.h>
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

}  // namespace

void takeFromLauncher() {
    launcherPipe();
}

int tellLauncher(int status) {
    if (const int fd = launcherPipe(); fd >= 0) {
        const unsigned char word = static_cast<unsigned char>(status);
        while (write(fd, &word, 1) < 0 && errno == EINTR) {
        }
    }
    return status;
}

}  // namespace status_pipe
