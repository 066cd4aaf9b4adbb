#pragma once

#include <string_view>

#include "contract/visible_text.h"

// How a text reaches a terminal or a log. A message's line breaks (CR LF) become
// LF; every character that could act on the terminal or hide itself is spelled
// out (contract/visible_text.h), so that a text such as an argument holding ESC
// sequences cannot act on the terminal. Everything else, UTF-8 included, is
// passed on unchanged. Hands the text to write(std::string_view) in pieces,
// allocating nothing.
template <typename Write>
void writeForTerminal(std::string_view text, Write&& write) {
    writeVisible(text, "\n", write);
}
