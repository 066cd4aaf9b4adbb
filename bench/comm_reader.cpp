#include "comm_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>

std::optional<std::vector<std::string>> readCommNames(const char* procRoot) {
    const int procFd = open(procRoot, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return std::nullopt;
    DIR* dir = fdopendir(procFd);
    if (!dir) {
        close(procFd);
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::array<char, 320> path;
    std::array<char, 64> comm;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::snprintf(path.data(), path.size(), "%s/comm", entry->d_name);
        const int fd = openat(procFd, path.data(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        const ssize_t got = read(fd, comm.data(), comm.size());
        close(fd);
        if (got <= 0) continue;
        const std::size_t length = comm[got - 1] == '\n' ? got - 1 : got;
        names.emplace_back(comm.data(), length);
    }
    closedir(dir);
    return names;
}
