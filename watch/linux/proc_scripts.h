#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "watch/linux/proc_mounts.h"

// Looking into the file a process names as its script, to tell an interpreter
// that runs a script from one that merely has a path among its arguments.
namespace proc_scripts {

enum class Check {
    Runs,     // the file's "#!" line names the interpreter
    DoesNot,  // it does not, or the file cannot be found, read or safely looked at
    Failed,   // it could not be looked at for want of descriptors or memory: try again
};

// This process's mount namespace and mounts, read from /proc at most once per
// snapshot, and only when a script is to be looked at.
struct OwnMounts {
    bool read = false;
    std::string nameSpace;                    // what /proc/self/ns/mnt links to
    std::optional<proc_mounts::Table> table;  // nothing when it could not be read
};

// Whether the file at path, as the process pid (its /proc entry, relative to
// procFd) sees it, begins with a "#!" line that runs interpreter.
//
// No look ever waits on a file system that someone else can stall: a file is
// looked at only when the process shares this one's mount namespace (another
// namespace's mounts are never entered), and only where every mount on the way
// to it is local (see proc_mounts.h). The path is made from the process's root
// or working folder as /proc names them, and looked up from the deepest mount
// point on its way without crossing into another mount; nothing else of the
// file system is asked. Where the file is not found there (a script that has
// changed folder), among the files the process holds open, as shells hold their
// script. Where this account may not look into another user's process, an
// absolute path is taken as this account sees it, a relative one cannot be
// found. Only a regular file is read, and only its first line; nothing is
// opened that could block or act.
Check runsScript(int procFd, const char* pid, std::string_view path, std::string_view interpreter,
                 OwnMounts& own);

}  // namespace proc_scripts
