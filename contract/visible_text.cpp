#include "contract/visible_text.h"

namespace {

struct Range {
    char32_t first, last;
};

// Unicode's format characters (general category Cf) and the line and paragraph
// separators (Zl, Zp), which break a line where no line break is seen.
constexpr Range kSpelledOut[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool spelledOut(char32_t code) {
    for (const Range& r : kSpelledOut) {
        if (code >= r.first && code <= r.last) return true;
    }
    return false;
}

// The length of the valid UTF-8 sequence at text[at] and its code point, or 0 for
// a byte that starts none (a stray continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF, a sequence cut short).
std::size_t decode(std::string_view text, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, least = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, least = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, least = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::size_t characterAt(std::string_view text, std::size_t at, bool& spelled) {
    char32_t code = 0;
    const std::size_t length = decode(text, at, code);
    if (length == 0) {  // spelled out byte by byte
        spelled = true;
        return 1;
    }
    spelled = code < 0x20 || (code >= 0x7F && code <= 0x9F) || spelledOut(code);
    return length;
}

std::string visibleText(std::string_view text) {
    std::string shown;
    writeVisible(text, {}, [&shown](std::string_view piece) { shown += piece; });
    return shown;
}

std::string visibleMessage(std::string_view text, std::string_view lineBreak) {
    std::string shown;
    writeVisible(text, lineBreak, [&shown](std::string_view piece) { shown += piece; });
    return shown;
}
