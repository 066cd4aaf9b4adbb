#include "app/win32/text.h"

#include <windows.h>

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = static_cast<int>(utf8.size());
    const int len = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(len), L'\0');
    if (len > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), len);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = static_cast<int>(wide.size());
    const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(len), '\0');
    if (len > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), len, nullptr, nullptr);
    return utf8;
}
