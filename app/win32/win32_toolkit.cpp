#include "app/win32/win32_toolkit.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <initializer_list>

#include "app/shared/app_info.h"
#include "app/win32/text.h"
#include "app/win32/win32_form.h"
#include "contract/design.h"
#include "contract/runtime_error.h"
#include "contract/visible_text.h"

using design::Kind;

namespace {

std::wstring windowText(HWND window) {
    const int len = GetWindowTextLengthW(window);
    if (len <= 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), len + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void setWindowText(HWND window, const std::string& text) {
    if (!SetWindowTextW(window, toWide(text).c_str())) throw RuntimeError("could not set the text");
}

SIZE windowSize(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) throw RuntimeError("could not read the window's size");
    return {r.right - r.left, r.bottom - r.top};
}

// Closes the clipboard however the operation ends.
struct ClipboardGuard {
    ~ClipboardGuard() { CloseClipboard(); }
};

}  // namespace

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD len = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (len == 0) throw RuntimeError("could not read the program's path");
        if (len < path.size()) {
            path.resize(len);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

Win32Toolkit::Win32Toolkit(Win32Form& form, std::string commandLine)
    : AdapterToolkit(commandLine, !commandLine.empty()), form_(form) {}

// The control's window, after checking that its kind has the property.
HWND Win32Toolkit::windowWith(Control control, std::initializer_list<Kind> kinds) const {
    requireKind(control, kinds);
    return form_.control(control);
}

// A timer raised early finds nothing due and is set again; one raised late (by up
// to a clock tick, about 16 ms) runs what is due then, a check before the deadline.
void Win32Toolkit::rearm() {
    const auto wake = schedule().wake();
    if (!wake) {
        KillTimer(form_.window(), Win32Form::kTimerId);
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - schedule().now());
    const auto ms = std::clamp<long long>(left.count(), 0, 0x7FFFFFFF);
    // SetTimer on a running timer replaces it.
    if (!SetTimer(form_.window(), Win32Form::kTimerId, static_cast<UINT>(ms), nullptr)) {
        throw RuntimeError("could not start the timer");
    }
}

void Win32Toolkit::showInformation(const std::string& text) {
    messageBox(text);
}

void Win32Toolkit::setCaption(Control control, const std::string& caption) {
    HWND window =
        control == Control::Form1
            ? form_.window()
            : windowWith(control, {Kind::PushButton, Kind::Label, Kind::Frame, Kind::OptionButton});
    // The status label gets the same caption at most checks: nothing to draw then.
    if (windowText(window) == toWide(caption)) return;
    setWindowText(window, caption);
    if (control != Control::Form1) form_.fitCaption(window);
}

void Win32Toolkit::paintStatusColor(std::uint32_t color) {
    form_.setLabel3Color(color);
}

std::string Win32Toolkit::text(Control control) {
    return toUtf8(windowText(windowWith(control, {Kind::TextBox})));
}

void Win32Toolkit::setText(Control control, const std::string& text) {
    setWindowText(windowWith(control, {Kind::TextBox}), text);
}

bool Win32Toolkit::value(Control control) {
    HWND option = windowWith(control, {Kind::OptionButton});
    return SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::setValue(Control control, bool value) {
    HWND option = windowWith(control, {Kind::OptionButton});
    if (value) {
        // Setting one option button clears the others of its container, as a
        // click does; BM_SETCHECK alone would not.
        const Control container = design::of(control).container;
        for (const auto& d : design::kControls) {
            if (d.kind == Kind::OptionButton && d.container == container && d.id != control) {
                SendMessageW(form_.control(d.id), BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
    }
    SendMessageW(option, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// None of these list messages sends LBN_SELCHANGE, so List1's click stays quiet.
// A refresh keeps what the user sees (list_place.h); a list that is empty already
// (a refresh that failed) keeps the place of the one before.
void Win32Toolkit::keepPlace() {
    HWND list = form_.control(Control::List1);
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) > 0) {
        const auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        place_ = listPlaceOf(top, listSelectedIndex(), [this](int row) { return listItem(row); });
    }
}

void Win32Toolkit::listClear() {
    keepPlace();
    form_.list1().clear();
}

void Win32Toolkit::listRefilled() {
    HWND list = form_.control(Control::List1);
    const int row = rowToSelectAgain(place_, listCount(), [this](int r) { return listItem(r); });
    if (row >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(place_.topRow), 0);
}

void Win32Toolkit::listAppend(const std::string& entry) {
    if (!form_.list1().append(entry)) throw RuntimeError("could not add to the list");
}

// The selection goes, as with a refill, and listRefilled brings it back where the
// name is still listed.
void Win32Toolkit::listReplace(const std::vector<std::string>& entries) {
    keepPlace();
    SendMessageW(form_.control(Control::List1), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    if (!form_.list1().replace(entries)) throw RuntimeError("could not add to the list");
}

int Win32Toolkit::listCount() {
    const LRESULT count = SendMessageW(form_.control(Control::List1), LB_GETCOUNT, 0, 0);
    if (count == LB_ERR) throw RuntimeError("could not count the list");
    return static_cast<int>(count);
}

// As appended: the real name, which a click puts into Text1, not the one shown.
std::string Win32Toolkit::listItem(int index) {
    const auto& rows = form_.list1().rows();
    if (index < 0 || static_cast<std::size_t>(index) >= rows.size())
        throw RuntimeError("invalid list index");
    return rows[static_cast<std::size_t>(index)];
}

int Win32Toolkit::listSelectedIndex() {
    const LRESULT index = SendMessageW(form_.control(Control::List1), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void Win32Toolkit::setListHeight(float twips) {
    HWND list = form_.control(Control::List1);
    const SIZE size = windowSize(list);
    SetWindowPos(list, nullptr, 0, 0, size.cx, form_.toPixelsY(twips),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Toolkit::setListWidth(float twips) {
    HWND list = form_.control(Control::List1);
    const SIZE size = windowSize(list);
    SetWindowPos(list, nullptr, 0, 0, form_.toPixelsX(twips), size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

float Win32Toolkit::clientHeight() {
    RECT client{};
    GetClientRect(form_.window(), &client);
    return static_cast<float>(form_.toTwipsY(client.bottom - client.top));
}

float Win32Toolkit::clientWidth() {
    RECT client{};
    GetClientRect(form_.window(), &client);
    return static_cast<float>(form_.toTwipsX(client.right - client.left));
}

void Win32Toolkit::messageBox(const std::string& text) {
    if (unloaded()) return;  // the program is ending: there is nobody to show it to
    // Owned by the window while it is shown (modal to it); before it is shown
    // (start-up's rejection) the box stands alone.
    HWND owner = IsWindowVisible(form_.window()) ? form_.window() : nullptr;
    if (MessageBoxW(owner, toWide(visibleMessage(text, "\r\n")).c_str(),
                    toWide(app_info::kTitle).c_str(), MB_OK) == 0) {
        if (unloaded()) return;  // WM_QUIT ended the box
        throw RuntimeError("could not show a message box");
    }
}

void Win32Toolkit::openClipboard() {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(form_.window())) return;
        Sleep(10);
    }
    throw RuntimeError("the clipboard is in use");
}

void Win32Toolkit::clipboardClear() {
    openClipboard();
    const ClipboardGuard close;
    if (!EmptyClipboard()) throw RuntimeError("could not clear the clipboard");
}

void Win32Toolkit::clipboardSetText(const std::string& text) {
    const std::wstring wide = toWide(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) throw RuntimeError("out of memory for the clipboard");
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        throw RuntimeError("out of memory for the clipboard");
    }
    std::memcpy(data, wide.c_str(), bytes);
    GlobalUnlock(memory);

    try {
        openClipboard();
    } catch (...) {
        GlobalFree(memory);
        throw;
    }
    const ClipboardGuard close;
    // Taking ownership needs EmptyClipboard; the handlers have just cleared it anyway.
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        throw RuntimeError("could not put the text on the clipboard");
    }
    // The system owns the memory now.
}

std::string Win32Toolkit::programPath() {
    return toUtf8(modulePath());
}

void Win32Toolkit::endProgram(int exitStatus) {
    KillTimer(form_.window(), Win32Form::kTimerId);
    form_.hide();
    // Ends the message loop, and a message box's modal loop on the way.
    PostQuitMessage(exitStatus);
}
