#pragma once

// Helpers shared by the Windows test programs: pumping messages, catching
// message boxes, reading windows and the clipboard.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testutil {

// What a message box showed.
struct Box {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    int visibleButtons = 0;
    bool hasOk = false;
    bool hasIcon = false;
    HWND owner = nullptr;
};

inline std::wstring windowText(HWND window) {
    wchar_t buffer[4096];
    buffer[0] = 0;
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

// The text of a control, also of another process's edit control (which
// GetWindowText cannot read across processes).
inline std::wstring controlText(HWND window) {
    wchar_t buffer[4096];
    buffer[0] = 0;
    SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

inline std::wstring className(HWND window) {
    wchar_t buffer[256];
    buffer[0] = 0;
    GetClassNameW(window, buffer, 256);
    return buffer;
}

// Reads a message box: caption, text (the static with id 0xFFFF), buttons, icon.
inline Box readBox(HWND box) {
    Box b;
    b.window = box;
    b.caption = windowText(box);
    if (HWND text = GetDlgItem(box, 0xFFFF)) b.text = windowText(text);
    b.owner = GetWindow(box, GW_OWNER);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring cls = className(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            ++b.visibleButtons;
            if (GetDlgCtrlID(child) == IDOK) b.hasOk = true;
        }
        if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            HICON icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            if (icon) b.hasIcon = true;
        }
    }
    return b;
}

// Catches the message boxes of this thread with a WH_CBT hook: each box is
// noticed when it is first activated, read a moment later from a thread timer
// that runs inside the box's modal loop (when its buttons are laid out), and,
// unless told otherwise, dismissed with OK.
class BoxCatcher {
  public:
    BoxCatcher() {
        self() = this;
        hook_ = SetWindowsHookExW(WH_CBT, &BoxCatcher::proc, nullptr, GetCurrentThreadId());
    }
    ~BoxCatcher() {
        if (hook_) UnhookWindowsHookEx(hook_);
        self() = nullptr;
    }

    std::vector<Box> boxes;
    bool dismiss = true;
    HWND open = nullptr;  // the last box left open

    void clear() {
        boxes.clear();
        seen_.clear();
        open = nullptr;
    }

  private:
    static BoxCatcher*& self() {
        static BoxCatcher* instance = nullptr;
        return instance;
    }
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
        BoxCatcher* me = self();
        if (me && code == HCBT_ACTIVATE) {
            HWND window = reinterpret_cast<HWND>(wParam);
            if (className(window) == L"#32770") {
                bool seen = false;
                for (HWND w : me->seen_) seen = seen || w == window;
                if (!seen) {
                    me->seen_.push_back(window);
                    me->pending_.push_back(window);
                    SetTimer(nullptr, 0, 30, &BoxCatcher::readPending);
                }
            }
        }
        return CallNextHookEx(me ? me->hook_ : nullptr, code, wParam, lParam);
    }
    static void CALLBACK readPending(HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        BoxCatcher* me = self();
        if (!me) return;
        for (HWND window : me->pending_) {
            if (!IsWindow(window)) continue;
            me->boxes.push_back(readBox(window));
            if (me->dismiss) {
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            } else {
                me->open = window;
            }
        }
        me->pending_.clear();
    }
    HHOOK hook_ = nullptr;
    std::vector<HWND> seen_;
    std::vector<HWND> pending_;
};

// Runs this thread's messages for up to ms milliseconds or until done() holds.
// A WM_QUIT ends the pumping; quitCode then holds its code.
struct Pump {
    bool quit = false;
    int quitCode = -1;

    bool run(DWORD ms, const std::function<bool()>& done = {}) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit = true;
                    quitCode = static_cast<int>(msg.wParam);
                    return done ? done() : true;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                if (done && done()) return true;
            }
            if (done && done()) return true;
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed >= ms) return done ? done() : true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        }
    }
};

inline std::wstring clipboardText() {
    std::wstring text;
    for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(10);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

inline void setClipboardText(const std::wstring& text) {
    for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(10);
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

inline std::wstring ownPath() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD len = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    return std::wstring(buffer, len);
}

inline std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/"));
}

inline std::wstring fileNameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

inline std::wstring lowerCase(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

inline std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

inline std::wstring wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// The rectangle of a child window in its parent's client coordinates.
inline RECT childRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace testutil
