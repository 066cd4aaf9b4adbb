#include "watch/windows/toolhelp_enumerator.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <type_traits>
#include <unordered_map>

#include "watch/lineage.h"

// dwSize is the platform's record size, not a literal: the x86_64 record has an
// 8-byte th32DefaultHeapID, and with the 32-bit size every Process32FirstW fails.
static_assert(std::is_same_v<decltype(PROCESSENTRY32W::szExeFile), WCHAR[MAX_PATH]>,
              "the wide record is meant");
#ifdef _WIN64
static_assert(sizeof(PROCESSENTRY32W) == 568, "x86_64 record size");
static_assert(offsetof(PROCESSENTRY32W, szExeFile) == 44, "x86_64 record layout");
#else
static_assert(sizeof(PROCESSENTRY32W) == 556, "32-bit record size");
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

// When a process started, or nothing when it cannot be asked (another account's
// process, or one that has ended).
std::optional<ULONGLONG> creationTime(ProcessId pid) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::nullopt;
    FILETIME created, exited, kernel, user;
    const BOOL got = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!got) return std::nullopt;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// A process's parent as the snapshot names it, if that is really its parent.
// Windows keeps the id of a parent that has ended, and may give that id to a
// newer, unrelated process: only a process that started before its child can be
// its parent. Where either start cannot be read, the chain ends there, so that
// an unrelated process is never left out of the list.
std::optional<ProcessId> trustedParent(const std::unordered_map<ProcessId, ProcessId>& parents,
                                       ProcessId child) {
    const auto known = parents.find(child);
    if (known == parents.end() || known->second == 0 || parents.count(known->second) == 0) {
        return std::nullopt;
    }
    const auto childStart = creationTime(child);
    const auto parentStart = creationTime(known->second);
    if (!childStart || !parentStart || *parentStart > *childStart) return std::nullopt;
    return known->second;
}

}  // namespace

std::string wideNameToUtf8(const wchar_t* name, std::size_t len) {
    if (len == 0) return {};
    const int n = static_cast<int>(len);
    const int utf8Len = WideCharToMultiByte(CP_UTF8, 0, name, n, nullptr, 0, nullptr, nullptr);
    if (utf8Len <= 0) return {};
    std::string utf8(static_cast<std::size_t>(utf8Len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, n, utf8.data(), utf8Len, nullptr, nullptr);
    return utf8;
}

std::optional<ProcessSnapshot> ToolhelpEnumerator::snapshot() {
    const SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return std::nullopt;  // no snapshot: nothing to close

    // One zero-filled record serves every call of this refresh.
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;

    if (!Process32FirstW(snapshot.get(), &entry)) return std::nullopt;

    ProcessSnapshot taken;
    std::unordered_map<ProcessId, ProcessId> parents;
    do {
        parents[entry.th32ProcessID] = entry.th32ParentProcessID;
        // The text before the first NUL; the field always holds one, but never read past it.
        const std::size_t len = wcsnlen(entry.szExeFile, MAX_PATH);
        taken.processes.push_back(
            RunningProcess{entry.th32ProcessID, wideNameToUtf8(entry.szExeFile, len)});
    } while (Process32NextW(snapshot.get(), &entry));

    taken.ownLineage = lineageOf(GetCurrentProcessId(), [&parents](ProcessId child) {
        return trustedParent(parents, child);
    });
    return taken;
}
