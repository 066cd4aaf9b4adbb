// Tool Help is used in its single-byte forms, so this file must not see UNICODE:
// with it, tlhelp32.h turns Process32First and PROCESSENTRY32 into the W forms.
#undef UNICODE
#undef _UNICODE
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "watch/windows/toolhelp_enumerator.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

// dwSize is the platform's record size, not a literal. The
// 296 bytes is the 32-bit layout; the x86_64 record is 304 bytes
// (8-byte th32DefaultHeapID), and with 296 every Process32First fails.
static_assert(std::is_same_v<decltype(PROCESSENTRY32::szExeFile), CHAR[MAX_PATH]>,
              "the single-byte record is meant");
#ifdef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 304, "x86_64 record size");
static_assert(offsetof(PROCESSENTRY32, szExeFile) == 44, "x86_64 record layout");
#else
static_assert(sizeof(PROCESSENTRY32) == 296, "32-bit record size");
#endif

namespace {

// Closes the snapshot on every path that got one, exceptions included.
class SnapshotHandle {
  public:
    explicit SnapshotHandle(HANDLE handle) : handle_(handle) {}
    ~SnapshotHandle() {
        if (valid()) CloseHandle(handle_);
    }
    SnapshotHandle(const SnapshotHandle&) = delete;
    SnapshotHandle& operator=(const SnapshotHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace

std::string ansiNameToLowerUtf8(const char* name, std::size_t len) {
    if (len == 0) return {};
    const int n = static_cast<int>(len);
    const int wideLen = MultiByteToWideChar(CP_ACP, 0, name, n, nullptr, 0);
    if (wideLen <= 0) return std::string(name, len);  // leave it to the core's mapping
    std::wstring wide(static_cast<std::size_t>(wideLen), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, n, wide.data(), wideLen);
    CharLowerBuffW(wide.data(), static_cast<DWORD>(wideLen));
    const int utf8Len =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, nullptr, 0, nullptr, nullptr);
    if (utf8Len <= 0) return std::string(name, len);
    std::string utf8(static_cast<std::size_t>(utf8Len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, utf8.data(), utf8Len, nullptr, nullptr);
    return utf8;
}

std::optional<std::vector<std::string>> ToolhelpEnumerator::enumerate() {
    const SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return std::nullopt;  // no snapshot: nothing to close

    // One zero-filled record serves every call of this refresh.
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;

    if (!Process32First(snapshot.get(), &entry)) return std::nullopt;

    // Left out of the list: the program does not wait on itself.
    const DWORD self = GetCurrentProcessId();
    std::vector<std::string> names;
    do {
        if (entry.th32ProcessID == self) continue;
        // The text before the first NUL; the field always holds one, but never read past it.
        const std::size_t len = strnlen(entry.szExeFile, sizeof entry.szExeFile);
        names.push_back(ansiNameToLowerUtf8(entry.szExeFile, len));
    } while (Process32Next(snapshot.get(), &entry));
    return names;
}
