#pragma once

#include <string>

// What every program entry does with what the system hands it.

// The argument text a script gave the program: argv[1] onwards joined with
// single spaces; empty when there are no arguments.
std::string joinArguments(int argc, char** argv);

// A caller that stopped reading our output must still get the exit status of the
// table, not death by SIGPIPE (where the platform has it).
void ignoreBrokenPipes();
