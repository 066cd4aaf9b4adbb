// Preloaded into the program under test: while the file named by
// LINGERJOB_SHIM_FAIL_WHILE exists, opening the /proc directory fails with
// EACCES; or, with LINGERJOB_SHIM_FAIL=readdir, the listing of /proc breaks off
// with EIO after its first two processes. Each failure adds a line to the file
// named by LINGERJOB_SHIM_LOG. Everything else goes through untouched.
#include <dirent.h>
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

// The descriptor of the /proc directory the program opened last.
int procFd = -1;

bool failingReaddir() {
    const char* kind = std::getenv("LINGERJOB_SHIM_FAIL");
    return kind && std::strcmp(kind, "readdir") == 0;
}

bool switchedOn() {
    const char* switchFile = std::getenv("LINGERJOB_SHIM_FAIL_WHILE");
    return switchFile && access(switchFile, F_OK) == 0;
}

void logFailure() {
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
}

// Whether this open is to fail; notes the failure in the log.
bool failOpen(const char* path) {
    if (!isProcRoot(path) || failingReaddir() || !switchedOn()) return false;
    logFailure();
    errno = EACCES;
    return true;
}

// The result of an open of path: remembers the /proc directory's descriptor.
int opened(const char* path, int fd) {
    if (fd >= 0 && isProcRoot(path)) procFd = fd;
    return fd;
}

// Whether this read of a directory is to fail, after two processes of /proc.
bool failReaddir(DIR* dir, const char* name) {
    static int processes = 0;
    if (!failingReaddir() || dirfd(dir) != procFd || !switchedOn()) return false;
    if (name[0] < '0' || name[0] > '9' || ++processes % 3 != 0) return false;
    logFailure();
    errno = EIO;
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
    return opened(path, real(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int, ...)>("open64");
    return opened(path, real(path, flags, mode));
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
    return opened(path, real(path, flags));
}

int __open64_2(const char* path, int flags) {
    if (failOpen(path)) return -1;
    static const auto real = next<int (*)(const char*, int)>("__open64_2");
    return opened(path, real(path, flags));
}

dirent* readdir(DIR* dir) {
    static const auto real = next<dirent* (*)(DIR*)>("readdir");
    dirent* entry = real(dir);
    return entry && failReaddir(dir, entry->d_name) ? nullptr : entry;
}

dirent64* readdir64(DIR* dir) {
    static const auto real = next<dirent64* (*)(DIR*)>("readdir64");
    dirent64* entry = real(dir);
    return entry && failReaddir(dir, entry->d_name) ? nullptr : entry;
}

}  // extern "C"
