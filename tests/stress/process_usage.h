#pragma once

#include <cstddef>

// What this process holds right now, as the kernel counts it.
namespace process_usage {

// Open file descriptors (the entries of /proc/self/fd, less the one used to list them).
std::size_t openDescriptors();

// Resident memory in KiB (/proc/self/statm).
std::size_t residentKiB();

// Bytes the C++ heap hands out right now (allocated and not yet freed): unlike
// resident memory it does not depend on how the allocator keeps its free space.
std::size_t heapInUseBytes();

// The three figures together, taken at one moment.
struct Usage {
    std::size_t fds = 0, residentKiB = 0, heapBytes = 0;
};
Usage now();

// Whether the build runs under AddressSanitizer, whose quarantine keeps freed
// memory resident on purpose, so resident memory says nothing about leaks there.
constexpr bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

}  // namespace process_usage
