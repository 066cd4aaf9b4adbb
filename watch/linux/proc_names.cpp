#include "watch/linux/proc_names.h"

namespace proc_names {

namespace {
std::string_view afterLastSlash(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::string_view exeFileName(std::string_view linkTarget) {
    constexpr std::string_view kDeleted = " (deleted)";
    if (linkTarget.size() >= kDeleted.size() &&
        linkTarget.substr(linkTarget.size() - kDeleted.size()) == kDeleted) {
        linkTarget.remove_suffix(kDeleted.size());
    }
    return afterLastSlash(linkTarget);
}

std::string_view commFromCommFile(std::string_view contents) {
    if (!contents.empty() && contents.back() == '\n') contents.remove_suffix(1);
    return contents;
}

std::string_view commFromStat(std::string_view contents) {
    const std::size_t open = contents.find('(');
    const std::size_t close = contents.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    return contents.substr(open + 1, close - open - 1);
}

std::optional<unsigned long> parentFromStat(std::string_view contents) {
    const std::size_t close = contents.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    // ") S 1234 ...": a blank, the one-letter state, a blank, the parent's id.
    std::string_view rest = contents.substr(close + 1);
    if (rest.size() < 4 || rest[0] != ' ' || rest[2] != ' ') return std::nullopt;
    rest.remove_prefix(3);
    unsigned long parent = 0;
    std::size_t digits = 0;
    for (; digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9'; ++digits) {
        if (parent > 0xFFFFFFFFul / 10) return std::nullopt;
        parent = parent * 10 + static_cast<unsigned long>(rest[digits] - '0');
    }
    if (digits == 0 || (digits < rest.size() && rest[digits] != ' ')) return std::nullopt;
    return parent;
}

bool shortNameStarts(std::string_view comm, std::string_view file) {
    return file.substr(0, comm.size()) == comm;
}

std::string_view scriptFileName(std::string_view comm, std::string_view cmdline) {
    constexpr std::size_t kShortNameBytes = 15;
    if (comm.empty()) return {};
    std::size_t start = cmdline.find('\0');  // skips argv[0]
    while (start != std::string_view::npos && start + 1 < cmdline.size()) {
        const std::size_t end = cmdline.find('\0', start + 1);
        const std::string_view argument = cmdline.substr(start + 1, end - start - 1);
        start = end;
        if (!argument.empty() && argument.front() == '-') continue;
        const std::string_view file = afterLastSlash(argument);
        return file.substr(0, kShortNameBytes) == comm ? file : std::string_view();
    }
    return {};
}

std::string_view nameWithoutExe(std::string_view comm, std::string_view cmdline) {
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    const std::string_view file = afterLastSlash(argv0);
    if (shortNameStarts(comm, file)) return file;
    const std::string_view script = scriptFileName(comm, cmdline);
    return script.empty() ? comm : script;
}

}  // namespace proc_names
