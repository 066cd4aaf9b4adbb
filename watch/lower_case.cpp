#include "watch/lower_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct CaseRun {
    char32_t first;
    char32_t last;
    int stride;
    int delta;
};

constexpr CaseRun kLowerRuns[] = {
#include "watch/case_map_table.inc"
};

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[pos]; on malformed input consumes one byte and
// yields U+FFFD.
char32_t decode(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return c;
}

void encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t toLowerCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    // The runs are sorted and do not overlap: find the last one starting at or before c.
    const auto* run =
        std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), c,
                         [](char32_t value, const CaseRun& r) { return value < r.first; });
    if (run == std::begin(kLowerRuns)) return c;
    --run;
    if (c > run->last || (c - run->first) % run->stride != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->delta);
}

std::string toLowerUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[pos]);
        if (b < 0x80) {  // the common case: plain ASCII
            out += static_cast<char>((b >= 'A' && b <= 'Z') ? b + 32 : b);
            ++pos;
            continue;
        }
        encode(toLowerCodePoint(decode(text, pos)), out);
    }
    return out;
}
