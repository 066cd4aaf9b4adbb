#pragma once

#include <string>
#include <string_view>

// The core speaks UTF-8, the window APIs UTF-16. Invalid input becomes U+FFFD.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
