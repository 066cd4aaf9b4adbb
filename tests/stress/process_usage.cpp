#include "tests/stress/process_usage.h"

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace process_usage {

std::size_t openDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return 0;
    std::size_t count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the listing's own descriptor
}

std::size_t residentKiB() {
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file) return 0;
    unsigned long size = 0, resident = 0;
    const int read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    if (read != 2) return 0;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

std::size_t heapInUseBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

Usage now() {
    return {openDescriptors(), residentKiB(), heapInUseBytes()};
}

}  // namespace process_usage
