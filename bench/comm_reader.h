#pragma once

#include <optional>
#include <string>
#include <vector>

// The cheapest useful reading of /proc: the kernel's short name of every process
// from /proc/PID/comm, one open of the mount and one openat + read + close per
// process. It is the floor any enumeration that visits every process can reach.
std::optional<std::vector<std::string>> readCommNames(const char* procRoot = "/proc");
