#pragma once

#include <string>

// Message texts break lines with CR LF; Qt, terminals and logs want LF alone.
std::string withUnixLineBreaks(std::string text);
