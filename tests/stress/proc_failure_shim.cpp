// Preloaded into the program under test: while the file named by
// LINGERJOB_SHIM_FAIL_WHILE exists, opening the /proc directory fails with
// EACCES, and each failed open adds a line to the file named by LINGERJOB_SHIM_LOG.
// Every other open goes through untouched.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

bool isProcRoot(const char* path) {
    return path && (std::strcmp(path, "/proc") == 0 || std::strcmp(path, "/proc/") == 0);
}

// Whether this open is to fail; notes the failure in the log.
bool failOpen(const char* path) {
    if (!isProcRoot(path)) return false;
    const char* switchFile = std::getenv("LINGERJOB_SHIM_FAIL_WHILE");
    if (!switchFile || access(switchFile, F_OK) != 0) return false;
    if (const char* log = std::getenv("LINGERJOB_SHIM_LOG")) {
        using OpenFn = int (*)(const char*, int, ...);
        static const auto realOpen = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, "open"));
        const int fd = realOpen(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const ssize_t written = write(fd, "failed\n", 7);
            (void)written;
            close(fd);
        }
    }
    errno = EACCES;
    return true;
}

mode_t modeArgument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

template <typename Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int dirFd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat");
    return real(dirFd, path, flags, mode);
}

int openat64(int dirFd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat64");
    return real(dirFd, path, flags, mode);
}

// What fortified builds call instead of open.
int __open_2(const char* path, int flags) {
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int)>("__open_2");
    return real(path, flags);
}

int __open64_2(const char* path, int flags) {
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int)>("__open64_2");
    return real(path, flags);
}

}  // extern "C"
