// A process's command line for --full, through NtQueryInformationProcess, looked
// up in ntdll at run time (the import library of ntdll is not part of every
// toolchain): ProcessCommandLineInformation on Windows 8.1 and later; where the
// system does not know that class (older Windows, wine), from the process's own
// parameters in its memory, which needs the right to read it.
#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <winternl.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include "watch/windows/toolhelp_enumerator.h"

namespace {

constexpr ULONG kProcessCommandLineInformation = 60;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kStatusInvalidInfoClass = static_cast<LONG>(0xC0000003);

struct CountedText {  // UNICODE_STRING
    USHORT length;    // in bytes
    USHORT maximumLength;
    PWSTR buffer;
};

using QueryProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

QueryProcess queryProcess() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return nullptr;
    return reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
}

// Reads a value of the given type at address in the process's memory.
template <typename T>
bool readAt(HANDLE process, const void* address, T& value) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, address, &value, sizeof value, &got) && got == sizeof value;
}

// The command line from the process's parameters block, which its environment
// block (PEB) points to.
std::optional<std::wstring> commandLineInMemory(QueryProcess query, ProcessId id) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process) return std::nullopt;
    std::optional<std::wstring> line;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG needed = 0;
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, &needed) >= 0 &&
        basic.PebBaseAddress && readAt(process, basic.PebBaseAddress, peb) &&
        peb.ProcessParameters && readAt(process, peb.ProcessParameters, parameters) &&
        parameters.CommandLine.Buffer) {
        std::wstring text(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
        SIZE_T got = 0;
        if (ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(),
                              parameters.CommandLine.Length, &got) &&
            got == parameters.CommandLine.Length) {
            line = std::move(text);
        }
    }
    CloseHandle(process);
    return line;
}

// The command line as the process was given it, one text; nothing when it
// cannot be read.
std::optional<std::wstring> rawCommandLine(ProcessId id) {
    static const QueryProcess query = queryProcess();
    if (!query) return std::nullopt;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return std::nullopt;
    std::vector<unsigned char> buffer(1024);
    ULONG needed = 0;
    LONG status = query(process, kProcessCommandLineInformation, buffer.data(),
                        static_cast<ULONG>(buffer.size()), &needed);
    if (status == kStatusInfoLengthMismatch && needed > buffer.size()) {
        buffer.resize(needed);
        status = query(process, kProcessCommandLineInformation, buffer.data(),
                       static_cast<ULONG>(buffer.size()), &needed);
    }
    CloseHandle(process);
    if (status == kStatusInvalidInfoClass) return commandLineInMemory(query, id);
    if (status < 0) return std::nullopt;
    CountedText text;
    std::memcpy(&text, buffer.data(), sizeof text);
    if (!text.buffer) return std::nullopt;
    return std::wstring(text.buffer, text.length / sizeof(wchar_t));
}

}  // namespace

std::optional<std::string> ToolhelpEnumerator::commandLine(ProcessId id) {
    const auto raw = rawCommandLine(id);
    // CommandLineToArgvW reads an empty text as this program's own path.
    if (!raw || raw->find_first_not_of(L" \t") == std::wstring::npos) return std::nullopt;
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
        CommandLineToArgvW(raw->c_str(), &count), &LocalFree);
    if (!words) return std::nullopt;
    std::string joined;
    for (int i = 0; i < count; ++i) {
        if (i > 0) joined += ' ';
        joined += wideNameToUtf8(words.get()[i], wcslen(words.get()[i]));
    }
    return joined;
}
