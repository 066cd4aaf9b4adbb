#pragma once

#include <string_view>

// Looking into the file a process names as its script, to tell an interpreter
// that runs a script from one that merely has a path among its arguments.
namespace proc_scripts {

enum class Check {
    Runs,     // the file's "#!" line names the interpreter
    DoesNot,  // it does not, or the file cannot be found or read from this account
    Failed,   // it could not be looked at for want of descriptors or memory: try again
};

// Whether the file at path, as the process pid (its /proc entry, relative to
// procFd) sees it, begins with a "#!" line that runs interpreter. An absolute
// path is taken below the process's root, a relative one below its working
// folder; where it is not found there (a script that has changed folder), among
// the files the process holds open, as shells hold their script. Where this
// account may not look into another user's process, an absolute path is taken as
// this account sees it and a relative one cannot be found. Only a regular file
// is read, and only its first line; nothing is opened that could block or act.
Check runsScript(int procFd, const char* pid, std::string_view path, std::string_view interpreter);

}  // namespace proc_scripts
