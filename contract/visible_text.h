#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a person is shown of a text that may come from anyone (a process name, an
// argument): every character that would act on a terminal, break a line, hide
// itself or turn the text around is spelled out, so that what is seen is what is
// there. The window's list, message boxes, the copied line's box and terminal
// text all show names this way; what is matched and copied stays the real text.
//
// Spelled out: \n, \r and \t; any other C0 control, DEL or C1 control as \xHH for
// each of its bytes (a C1 one as the two bytes of its UTF-8 form, \xc2\x9b); a
// format character (Unicode Cf: bidi controls such as U+202E, zero-width ones such
// as U+200B, U+FEFF, soft hyphen, tags) or a line or paragraph separator (U+2028,
// U+2029) as \uXXXX or \UXXXXXXXX; each byte that is no part of valid UTF-8 as
// \xHH. Everything else, other UTF-8 included, is shown as it is.

// A C0 control or DEL: a byte that acts on a terminal or ends a line in any
// shell, and that UTF-8 never uses inside another character.
inline bool isAsciiControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The length in bytes of the character that starts at text[at] (1 for a stray
// byte), and in spelledOut whether it is one to spell out.
std::size_t characterAt(std::string_view text, std::size_t at, bool& spelledOut);

// Hands the text to write(std::string_view) in pieces, allocating nothing, with
// every such character spelled out. With a lineBreak, a message's line break (CR
// LF) is written as lineBreak instead (LF for a terminal, CR LF for a Windows box).
template <typename Write>
void writeVisible(std::string_view text, std::string_view lineBreak, Write&& write);

// The text with every such character spelled out, line breaks too: one line.
std::string visibleText(std::string_view text);
// The same, with a message's line breaks (CR LF) kept as lineBreak.
std::string visibleMessage(std::string_view text, std::string_view lineBreak);

namespace visible_detail {

// Writes the spelled-out form of the bytes text[at, at + length).
template <typename Write>
void writeSpelled(std::string_view text, std::size_t at, std::size_t length, Write&& write) {
    static const char kHex[] = "0123456789abcdef";
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    char32_t code = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (byte(at + i) & 0x3F);
    if (length > 1 && code > 0x9F) {  // a format character or a separator
        char shown[10] = {'\\', code > 0xFFFF ? 'U' : 'u'};
        const int digits = code > 0xFFFF ? 8 : 4;
        for (int d = 0; d < digits; ++d)
            shown[2 + d] = kHex[(code >> (4 * (digits - 1 - d))) & 0xF];
        write(std::string_view(shown, 2 + static_cast<std::size_t>(digits)));
        return;
    }
    for (std::size_t i = at; i < at + length; ++i) {
        const unsigned char c = byte(i);
        const char hex[] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
        if (c == '\n') {
            write("\\n");
        } else if (c == '\r') {
            write("\\r");
        } else if (c == '\t') {
            write("\\t");
        } else {
            write(std::string_view(hex, sizeof hex));
        }
    }
}

}  // namespace visible_detail

template <typename Write>
void writeVisible(std::string_view text, std::string_view lineBreak, Write&& write) {
    std::size_t plain = 0;  // where the run of text not yet written starts
    for (std::size_t at = 0; at < text.size();) {
        bool spell = false;
        const std::size_t length = characterAt(text, at, spell);
        if (!spell) {
            at += length;
            continue;
        }
        if (at > plain) write(text.substr(plain, at - plain));
        if (!lineBreak.empty() && text.compare(at, 2, "\r\n") == 0) {
            write(lineBreak);
            at += 2;
        } else {
            visible_detail::writeSpelled(text, at, length, write);
            at += length;
        }
        plain = at;
    }
    if (plain < text.size()) write(text.substr(plain));
}
