// ljprobe.exe: a process for Lingerjob to wait on in the tests.
//   ljprobe.exe <milliseconds> [started-file] [done-file]
// Writes started-file when it starts, runs for the given time, writes done-file
// just before it ends. A GUI program, so `start` in a batch file opens no console.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cwchar>

namespace {
void touch(const wchar_t* path) {
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const DWORD ms = argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : 5000;
    if (argc > 2 && argv[2][0]) touch(argv[2]);
    Sleep(ms);
    if (argc > 3 && argv[3][0]) touch(argv[3]);
    return 0;
}
