#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Cuts text at every occurrence of separator: n separators give n + 1 pieces,
// empty ones included.
std::vector<std::string> splitAll(std::string_view text, char separator);

// Removes space characters (code 32 only, not tabs) at both ends.
std::string trimSpaces(std::string_view text);

// Converts an optional sign followed by decimal digits to a 16-bit signed
// number. Throws RuntimeError for anything else or a value outside -32768..32767.
std::int16_t toInt16(std::string_view text);

// What a command line asks for: mode 1 waits while the task runs, any other
// number while it does not.
struct WatchRequest {
    std::int16_t mode;
    std::string taskName;
};

// Reads " /mode /task" as written by the command-line builder: pieces cut at
// every "/", piece 1 the mode and piece 2 the task name, both trimmed of spaces.
// Throws RuntimeError when the text is not of that form.
WatchRequest parseWatchRequest(std::string_view raw);
