#include "ui/shell_quoting.h"

#include <cstring>

namespace {

bool plainForPosix(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("_./-+,:=@%", c) != nullptr);
}

std::string posixWord(std::string_view word) {
    // zsh reads a word that starts with = as a command to look up.
    bool plain = !word.empty() && word[0] != '=';
    for (unsigned char c : word) plain = plain && plainForPosix(c);
    if (plain) return std::string(word);
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";  // end the quotes, a quoted quote, quotes again
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string cmdWord(std::string_view word) {
    std::string text;
    bool quote = false;
    for (char c : word) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"') continue;
        if (isAsciiControl(u)) {
            text += '?';
        } else if (c == '%') {
            text += "%%";
        } else {
            quote = quote || (c == ' ' || std::strchr("&|<>^(),;=", c) != nullptr);
            text += c;
        }
    }
    return quote ? '"' + text + '"' : text;
}

}  // namespace

std::string shellWord(CommandShell shell, std::string_view word) {
    return shell == CommandShell::Posix ? posixWord(word) : cmdWord(word);
}
