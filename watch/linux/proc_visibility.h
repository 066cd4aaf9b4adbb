#pragma once

#include <optional>
#include <string>
#include <string_view>

// Whether a procfs mount shows other users' processes to this account. Mounted
// with hidepid, it hides them from anyone who may not trace them, except the
// members of its gid= group: a watch then cannot see what it may wait on.
namespace proc_visibility {

// What a procfs mount's options say about other users' processes.
struct ProcMount {
    bool hidesOthers = false;  // hidepid= other than 0/off
    bool groupSees = false;    // whether members of gid see them anyway (not so with ptraceable)
    unsigned long gid = 0;     // gid=; without it the root group
};

// The procfs mounted at mountPoint as /proc/self/mountinfo's text describes it:
// the last such line, the mount on top. std::nullopt when there is none.
std::optional<ProcMount> procMountAt(std::string_view mountinfo, std::string_view mountPoint);

// Whether CAP_SYS_PTRACE is among the effective capabilities that
// /proc/self/status's text lists (root normally holds it).
bool mayTraceAnyProcess(std::string_view status);

// Whether the mount hides other users' processes from an account that may or
// may not trace any process and is or is not a member of the mount's gid group.
bool hidesOthersFrom(const ProcMount& mount, bool mayTraceAny, bool inMountGroup);

}  // namespace proc_visibility

// One line saying that the procfs at procRoot hides other users' processes
// from this account, or empty when it shows them (or cannot be read).
std::string hiddenProcessesNote(const char* procRoot = "/proc");
