#include "app/shared/line_breaks.h"

std::string withUnixLineBreaks(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}
