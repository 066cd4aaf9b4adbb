#include "watch/linux/proc_command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace proc_command_line {

std::string joinedArguments(std::string_view cmdline) {
    while (!cmdline.empty() && cmdline.back() == '\0') cmdline.remove_suffix(1);
    std::string joined(cmdline);
    for (char& c : joined) {
        if (c == '\0') c = ' ';
    }
    return joined;
}

std::optional<std::string> read(const char* procRoot, unsigned long pid) {
    const std::string path = std::string(procRoot) + "/" + std::to_string(pid) + "/cmdline";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    std::array<char, 4096> chunk;
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    close(fd);
    std::string joined = joinedArguments(text);
    if (joined.empty()) return std::nullopt;
    return joined;
}

}  // namespace proc_command_line
