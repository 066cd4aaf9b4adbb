#pragma once

#include <cstddef>
#include <string_view>

#include "ui/shell_quoting.h"

// How a text reaches a terminal or a log. A message's line breaks (CR LF) become
// LF; every other control character is written visibly (\n, \r, \t, \xHH; a C1
// control as the two bytes of its UTF-8 form, \xc2\x9b), so that a text such as
// an argument holding ESC sequences cannot act on the terminal. Everything else,
// UTF-8 included, is passed on unchanged.

// The length of the control character that starts at text[at]: 1 for a C0 one
// or DEL, 2 for a C1 one in UTF-8, 0 for no control character.
std::size_t controlLengthAt(std::string_view text, std::size_t at);

// Hands the text to write(std::string_view) in pieces, allocating nothing.
template <typename Write>
void writeForTerminal(std::string_view text, Write&& write) {
    std::size_t plain = 0;  // where the run of text not yet written starts
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = controlLengthAt(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (at > plain) write(text.substr(plain, at - plain));
        if (text.compare(at, 2, "\r\n") == 0) {
            write("\n");
            at += 2;
        } else {
            for (std::size_t i = at; i < at + length; ++i) {
                writeVisibleControl(static_cast<unsigned char>(text[i]), write);
            }
            at += length;
        }
        plain = at;
    }
    if (plain < text.size()) write(text.substr(plain));
}
