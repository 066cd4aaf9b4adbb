#pragma once

#include <string>

// The argument text a script gave the program: argv[1] onwards joined with
// single spaces; empty when there are no arguments.
std::string joinArguments(int argc, char** argv);
