#include "app/win32/command_line.h"

std::wstring argumentText(std::wstring_view line) {
    std::size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        const std::size_t close = line.find(L'"', 1);
        at = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
    }
    if (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
    return std::wstring(line.substr(at));
}
