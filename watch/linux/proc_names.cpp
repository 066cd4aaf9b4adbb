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

std::string_view nameWithoutExe(std::string_view comm, std::string_view cmdline) {
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    const std::string_view file = afterLastSlash(argv0);
    if (comm.empty()) return file;
    if (file.size() >= comm.size() && file.substr(0, comm.size()) == comm) {
        return file;
    }
    return comm;
}

}  // namespace proc_names
