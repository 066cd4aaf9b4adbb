#pragma once

#include <string>
#include <string_view>

// The argument text of a Windows command line: the line without the
// program's name and the one blank after it, so that it is exactly what a batch
// file wrote after the name.
//
// The name is the first token by the platform's rule for it (the C runtime's and
// CommandLineToArgvW's rule for argv[0], also used for WinMain's lpCmdLine): a
// name that starts with a double quote runs to the next double quote, that quote
// included; any other name runs to the first space or tab. One space or tab after
// the name is removed; any further blanks belong to the argument text, so a line
// of a name and blanks only gives a text of blanks, which start-up rejects.
std::wstring argumentText(std::wstring_view commandLine);
