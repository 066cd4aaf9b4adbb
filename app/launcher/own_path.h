#pragma once

#include <functional>
#include <optional>
#include <string>

// Where the running program's file is, so that the window program is found
// beside it. Only an absolute path is an answer: a path relative to the current
// folder could make the program run whatever file somebody left there.
struct OwnPathClues {
    std::optional<std::string> procExe;  // what /proc/self/exe names, when it can be read
    const char* execFn = nullptr;        // the path execve was given (AT_EXECFN), or null
    const char* argv0 = nullptr;         // the name the program was started under, or null
    const char* path = nullptr;          // PATH, or null when unset
};

// The first answer among: /proc/self/exe; the path execve was given, or the name
// the program was started under, when absolute; a bare name looked up in PATH as
// a shell did (the first entry holding an executable file of that name, the
// default path when PATH is unset), unless that entry is relative or empty (the
// current folder). Nothing when none gives an absolute path. isProgram tells
// whether a path names an executable file.
std::optional<std::string> ownPath(const OwnPathClues& clues,
                                   const std::function<bool(const std::string&)>& isProgram);

// The same, with the clues the system gives this process; a path that did not
// come from /proc has its symbolic links resolved.
std::optional<std::string> ownPathOfThisProgram(const char* argv0);
