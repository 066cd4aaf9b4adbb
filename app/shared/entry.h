#pragma once

#include <string>

// What every program entry does with what the system hands it.

// The argument text a script gave the program: argv[1] onwards joined with
// single spaces; empty when there are no arguments.
std::string joinArguments(int argc, char** argv);

// A caller that stopped reading our output must still get the exit status of the
// table, not death by SIGPIPE (where the platform has it).
void ignoreBrokenPipes();

// Whatever would end the program by std::terminate (SIGABRT) ends it with the
// failure status and one line on standard error instead. Without an exception
// in flight that is an allocation failure so early or so tight that not even the
// exception reporting it could be made: "out of memory".
void endTerminationWithFailureStatus();
