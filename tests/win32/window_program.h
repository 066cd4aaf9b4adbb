#pragma once

// The fixture the window test's files share: the program as main() builds it,
// on the real core and real windows, with what the checks read from its
// controls; and the layout checks that window_layout_test.cpp holds.
#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/win32_app.h"
#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "tests/win32/test_util.h"
#include "ui/form1.h"
#include "watch/process_enumerator.h"

namespace windowtest {

using testutil::BoxCatcher;
using testutil::Pump;
using testutil::windowText;

// The program as main() builds it, with the given argument text.
struct Program {
    explicit Program(const std::string& arguments, ProcessEnumerator& processes)
        : window(GetModuleHandleW(nullptr)),
          toolkit(window, arguments),
          form(toolkit, processes),
          app(form, window, toolkit) {
        app.endNested = [this](int status) {
            nestedEnds.push_back(status);
            boxOpenAtEnd =
                boxes && boxes->open && IsWindow(boxes->open) && IsWindowVisible(boxes->open);
        };
    }

    HWND control(Control id) const { return window.control(id); }
    std::wstring caption(Control id) const { return windowText(control(id)); }
    bool checked(Control id) const {
        return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void click(Control id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
    int listCount() const {
        return static_cast<int>(SendMessageW(control(Control::List1), LB_GETCOUNT, 0, 0));
    }
    std::wstring listEntry(int i) const {
        wchar_t buffer[MAX_PATH * 2];
        buffer[0] = 0;
        SendMessageW(control(Control::List1), LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    std::vector<std::wstring> listEntries() const {
        std::vector<std::wstring> entries;
        for (int i = 0; i < listCount(); ++i) entries.push_back(listEntry(i));
        return entries;
    }
    SIZE outer() const {
        RECT r{};
        GetWindowRect(window.window(), &r);
        return {r.right - r.left, r.bottom - r.top};
    }
    SIZE listSize() const {
        RECT r{};
        GetWindowRect(control(Control::List1), &r);
        return {r.right - r.left, r.bottom - r.top};
    }

    // Runs messages until the WM_QUIT that unloading posted; returns its code.
    int finish(DWORD ms = 5000) {
        pump.run(ms, [this] { return pump.quit; });
        return pump.quit ? pump.quitCode : -1;
    }

    Win32Form window;
    Win32Toolkit toolkit;
    Form1 form;
    Win32App app;
    Pump pump;
    BoxCatcher* boxes = nullptr;
    std::vector<int> nestedEnds;
    bool boxOpenAtEnd = false;
};

// The layout checks (window_layout_test.cpp).
void testDesignPlaces();
void testLabel3Colour();
void testResize();

}  // namespace windowtest
