#include "app/shared/terminal_text.h"

std::size_t controlLengthAt(std::string_view text, std::size_t at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x20 || c == 0x7F) return 1;
    if (c == 0xC2 && at + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[at + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;  // U+0080..U+009F
    }
    return 0;
}
