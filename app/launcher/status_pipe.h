#pragma once

// The pipe on which the window program, started by the launcher as its child,
// tells the launcher its final status: one byte, written just before the window
// program ends by any of its own paths. An end without it (Qt ends the process
// when its display goes; a crash) tells the launcher that the window went while
// the wait was not over.
namespace status_pipe {

// The variable that names the pipe's descriptor to the window program.
constexpr const char* kVariable = "LINGERJOB_STATUS_FD";

// In the window program, first thing: takes the pipe the launcher handed down,
// if any (the variable is removed, the descriptor is not passed on to programs
// started from here).
void takeFromLauncher();

// Tells the launcher the final status, if a launcher waits; returns the status.
int tellLauncher(int status);

}  // namespace status_pipe
