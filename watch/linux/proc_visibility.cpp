#include "watch/linux/proc_visibility.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "watch/linux/proc_process.h"

namespace proc_visibility {

namespace {

// The next field of text cut at sep, removed from text.
std::string_view nextField(std::string_view& text, char sep) {
    const std::size_t end = text.find(sep);
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return field;
}

std::optional<ProcMount> procMountOfLine(std::string_view line, std::string_view mountPoint) {
    // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS
    for (int i = 0; i < 4; ++i) nextField(line, ' ');
    if (nextField(line, ' ') != mountPoint) return std::nullopt;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string_view::npos) return std::nullopt;
    line.remove_prefix(dash + 3);
    if (nextField(line, ' ') != "proc") return std::nullopt;
    nextField(line, ' ');  // the source

    ProcMount mount;
    while (!line.empty()) {
        std::string_view option = nextField(line, ',');
        const std::string_view key = nextField(option, '=');
        if (key == "hidepid") {
            mount.hidesOthers = option != "0" && option != "off";
            mount.groupSees = option != "4" && option != "ptraceable";
        } else if (key == "gid") {
            mount.gid = std::strtoul(std::string(option).c_str(), nullptr, 10);
        }
    }
    return mount;
}

}  // namespace

std::optional<ProcMount> procMountAt(std::string_view mountinfo, std::string_view mountPoint) {
    std::optional<ProcMount> found;
    while (!mountinfo.empty()) {
        if (auto mount = procMountOfLine(nextField(mountinfo, '\n'), mountPoint)) found = mount;
    }
    return found;
}

bool mayTraceAnyProcess(std::string_view status) {
    constexpr std::string_view kKey = "\nCapEff:";
    constexpr unsigned kSysPtrace = 19;
    const std::size_t at = status.find(kKey);
    if (at == std::string_view::npos) return false;
    const std::string hex(status.substr(at + kKey.size(), 32));
    return (std::strtoull(hex.c_str(), nullptr, 16) >> kSysPtrace) & 1u;
}

bool hidesOthersFrom(const ProcMount& mount, bool mayTraceAny, bool inMountGroup) {
    return mount.hidesOthers && !mayTraceAny && !(mount.groupSees && inMountGroup);
}

}  // namespace proc_visibility

namespace {

// The whole file, or what could be read of it. Plain reads rather than a stream:
// an fstream would link the C++ locale machinery into the headless program,
// whose pages are then resident in every wait.
std::string fileText(const std::string& path) {
    std::string text;
    proc_process::readWholeFile(AT_FDCWD, path.c_str(), text);
    return text;
}

bool inGroup(unsigned long gid) {
    if (getegid() == gid) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

}  // namespace

std::string hiddenProcessesNote(const char* procRoot) {
    const std::string root(procRoot);
    const auto mount = proc_visibility::procMountAt(fileText(root + "/self/mountinfo"), root);
    if (!mount || !mount->hidesOthers) return {};
    const bool mayTrace = proc_visibility::mayTraceAnyProcess(fileText(root + "/self/status"));
    if (!proc_visibility::hidesOthersFrom(*mount, mayTrace, inGroup(mount->gid))) return {};
    return root +
           " hides other users' processes from this account (hidepid); only your own "
           "processes can be waited on";
}
