#pragma once

#include <string>
#include <string_view>

#include "contract/toolkit.h"
#include "contract/visible_text.h"

// Writes one word of a command line so that the given shell, reading it from a
// script (POSIX sh) or a batch file (cmd), hands it to the program as it stands
// and runs nothing else. A word that needs no quoting comes back unchanged.
//
// POSIX: a word of nothing but ASCII letters, digits and _ . / - + , : = @ %
// stays as it is (unless it starts with =, which zsh expands); any other word goes in single
// quotes, inside which every character is literal, and a single quote in it is written '\''.
//
// cmd: a word holding a blank or one of & | < > ^ ( ) , ; = goes in double
// quotes. A % is written %% (the line is meant for a batch file). A double
// quote is dropped, since cmd would end the quoted part there and the program's
// start-up removes double quotes anyway. A control character (a line break
// would end the command and start another) becomes ?, which no Windows file
// name holds, so the task still matches nothing, as the typed one would.
std::string shellWord(CommandShell shell, std::string_view word);
