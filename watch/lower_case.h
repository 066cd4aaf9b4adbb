#pragma once

#include <string>
#include <string_view>

// Lower-cases UTF-8 text with the Unicode simple case mapping (É becomes é, not
// only A-Z). Bytes that are not valid UTF-8 become U+FFFD, each on its own, so a
// broken name stays readable and never swallows what follows it.
std::string toLowerUtf8(std::string_view text);

// The simple lower-case mapping of one code point.
char32_t toLowerCodePoint(char32_t c);
