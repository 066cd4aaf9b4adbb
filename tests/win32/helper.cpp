// ljhelper.exe: the tests' hands in batch files.
//   ljhelper.exe later <milliseconds> <program> [arguments...]
//       waits, then starts the program (and does not wait for it)
//   ljhelper.exe dismiss <timeout-ms> <out-file>
//       waits for a message box titled "Lingerjob", writes its text (UTF-8)
//       to out-file and clicks OK; exit status 1 when none came
//   ljhelper.exe tasks <out-file>
//       writes the Text1 of every Lingerjob window shown, one a line (UTF-8)
//   ljhelper.exe close
//       closes every Lingerjob window
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring quoted(const std::wstring& arg) {
    return arg.find_first_of(L" \t") == std::wstring::npos ? arg : L"\"" + arg + L"\"";
}

int later(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    std::wstring line;
    for (int i = 3; i < argc; ++i) line += (i > 3 ? L" " : L"") + quoted(argv[i]);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

struct Found {
    HWND box = nullptr;
};

bool writeUtf8(const wchar_t* path, const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

BOOL CALLBACK findBox(HWND window, LPARAM param) {
    wchar_t cls[64] = L"", title[64] = L"";
    GetClassNameW(window, cls, 64);
    GetWindowTextW(window, title, 64);
    if (std::wcscmp(cls, L"#32770") == 0 && std::wcscmp(title, L"Lingerjob") == 0 &&
        IsWindowVisible(window)) {
        reinterpret_cast<Found*>(param)->box = window;
        return FALSE;
    }
    return TRUE;
}

int dismiss(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    const DWORD start = GetTickCount();
    Found found;
    while (!found.box && GetTickCount() - start < timeout) {
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&found));
        if (!found.box) Sleep(50);
    }
    if (!found.box) return 1;
    wchar_t text[4096] = L"";
    GetWindowTextW(GetDlgItem(found.box, 0xFFFF), text, 4096);
    writeUtf8(argv[3], text);
    PostMessageW(found.box, WM_COMMAND, IDOK, 0);
    return 0;
}

bool isForm(HWND window) {
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    return std::wcscmp(cls, L"LingerjobForm1") == 0;
}

BOOL CALLBACK closeForm(HWND window, LPARAM) {
    if (isForm(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL CALLBACK addTask(HWND window, LPARAM param) {
    if (!isForm(window) || !IsWindowVisible(window)) return TRUE;
    HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
    wchar_t text[1024] = L"";
    if (edit) SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    auto& out = *reinterpret_cast<std::wstring*>(param);
    out += text;
    out += L"\n";
    return TRUE;
}

int tasks(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::wstring text;
    EnumWindows(addTask, reinterpret_cast<LPARAM>(&text));
    return writeUtf8(argv[2], text) ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 2 && std::wcscmp(argv[1], L"later") == 0) return later(argc, argv);
    if (argc >= 2 && std::wcscmp(argv[1], L"dismiss") == 0) return dismiss(argc, argv);
    if (argc >= 2 && std::wcscmp(argv[1], L"tasks") == 0) return tasks(argc, argv);
    if (argc >= 2 && std::wcscmp(argv[1], L"close") == 0) return !EnumWindows(closeForm, 0);
    return 2;
}
