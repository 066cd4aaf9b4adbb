#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A plain UTF-8 reader for the fuzz targets' checks, written apart from the
// program's own so that the two can be held against each other.
namespace utf8 {

// Stands for a byte that does not start a well-formed sequence (not a code point).
constexpr char32_t kStray = 0x110000;

// The length of the well-formed sequence at text[pos], or 0 when there is none.
inline std::size_t sequenceAt(std::string_view text, std::size_t pos, char32_t& out) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = at(pos);
    if (b0 <= 0x7F) {
        out = b0;
        return 1;
    }
    std::size_t length;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    char32_t c = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(pos + i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (at(pos + i) & 0x3F);
    }
    const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    out = c;
    return length;
}

inline bool valid(std::string_view text) {
    char32_t c;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t n = sequenceAt(text, pos, c);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

// Code points of text; each byte outside a well-formed sequence gives kStray.
inline std::u32string decodeLenient(std::string_view text) {
    std::u32string out;
    char32_t c;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t n = sequenceAt(text, pos, c);
        out += n == 0 ? kStray : c;
        pos += n == 0 ? 1 : n;
    }
    return out;
}

}  // namespace utf8
