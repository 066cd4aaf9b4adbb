#include "app/launcher/own_path.h"

#include <limits.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace {

bool isAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// The search path a shell uses when PATH is unset.
constexpr const char* kDefaultPath = "/bin:/usr/bin";

std::optional<std::string> searchPath(std::string_view name, std::string_view path,
                                      const std::function<bool(const std::string&)>& isProgram) {
    for (;;) {
        const std::size_t colon = path.find(':');
        const std::string_view entry = path.substr(0, colon);
        const std::string folder = entry.empty() ? "." : std::string(entry);
        const std::string candidate = folder + "/" + std::string(name);
        if (isProgram(candidate)) {
            // The shell ran this one; found through a relative entry, it is no answer.
            if (folder[0] != '/') return std::nullopt;
            return candidate;
        }
        if (colon == std::string_view::npos) return std::nullopt;
        path.remove_prefix(colon + 1);
    }
}

}  // namespace

std::optional<std::string> ownPath(const OwnPathClues& clues,
                                   const std::function<bool(const std::string&)>& isProgram) {
    if (clues.procExe) return clues.procExe;
    if (isAbsolute(clues.execFn)) return std::string(clues.execFn);
    if (isAbsolute(clues.argv0)) return std::string(clues.argv0);
    const std::string_view name = clues.argv0 ? clues.argv0 : "";
    if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
    return searchPath(name, clues.path ? clues.path : kDefaultPath, isProgram);
}

std::optional<std::string> ownPathOfThisProgram(const char* argv0) {
    OwnPathClues clues;
    char link[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", link, sizeof link);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof link && link[0] == '/') {
        clues.procExe = std::string(link, static_cast<std::size_t>(length));
    }
    clues.execFn = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
    clues.argv0 = argv0;
    clues.path = std::getenv("PATH");
    std::optional<std::string> found = ownPath(clues, [](const std::string& candidate) {
        struct stat status {};
        return stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
               access(candidate.c_str(), X_OK) == 0;
    });
    if (found && !clues.procExe) {
        char resolved[PATH_MAX];
        if (realpath(found->c_str(), resolved) != nullptr) found = std::string(resolved);
    }
    return found;
}
