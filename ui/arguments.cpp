#include "ui/arguments.h"

#include <limits>

#include "contract/runtime_error.h"

std::vector<std::string> splitAll(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::string trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::int16_t toInt16(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) throw RuntimeError("type mismatch: not a number");
    long value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') throw RuntimeError("type mismatch: not a number");
        value = value * 10 + (c - '0');
        if (value > 32768) throw RuntimeError("overflow");
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError("overflow");
    }
    return static_cast<std::int16_t>(value);
}

WatchRequest parseWatchRequest(std::string_view raw) {
    const auto pieces = splitAll(raw, '/');
    if (pieces.size() < 3) throw RuntimeError("fewer than two \"/\" in the arguments");
    return WatchRequest{toInt16(trimSpaces(pieces[1])), trimSpaces(pieces[2])};
}
