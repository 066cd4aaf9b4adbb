#pragma once

// A very small test harness for the Windows test programs (no GTest in
// mingw-w64): CHECK and CHECK_EQ count and print failures; summary() prints
// "N passed, N failed" and gives the exit status.
#include <cstdio>
#include <string>
#include <type_traits>

namespace check {

inline int passed = 0;
inline int failed = 0;

inline std::string show(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32)
            out += "\\x" + std::to_string(c);
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}
inline std::string show(const char* s) {
    return show(std::string(s));
}
inline std::string show(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) out += c < 128 ? static_cast<char>(c) : '?';
    return show(out);
}
inline std::string show(const wchar_t* w) {
    return show(std::wstring(w));
}
inline std::string show(bool b) {
    return b ? "true" : "false";
}
template <typename T>
std::string show(const T& v) {
    if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_floating_point_v<T>) {
        return std::to_string(v);
    } else if constexpr (std::is_pointer_v<T>) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%p", static_cast<const void*>(v));
        return buffer;
    } else {
        return std::to_string(static_cast<long long>(v));
    }
}

inline void report(bool ok, const char* what, const char* file, int line,
                   const std::string& detail = {}) {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAIL %s:%d: %s%s%s\n", file, line, what, detail.empty() ? "" : "\n     ",
                detail.c_str());
    std::fflush(stdout);
}

template <typename A, typename B>
void equal(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
    const bool ok = a == b;
    report(ok, (std::string(ea) + " == " + eb).c_str(), file, line,
           ok ? std::string() : "got " + show(a) + ", want " + show(b));
}

inline void section(const char* name) {
    std::printf("-- %s\n", name);
    std::fflush(stdout);
}

inline int summary() {
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK(x) ::check::report(static_cast<bool>(x), #x, __FILE__, __LINE__)
#define CHECK_EQ(a, b) ::check::equal((a), (b), #a, #b, __FILE__, __LINE__)
