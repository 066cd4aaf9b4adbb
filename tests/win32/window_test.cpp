// The Win32 adapter with the real core on real windows, run under wine: the
// controls at their design places, clicks reaching the handlers, message
// boxes, the clipboard, the process list, resizing, the timer and every way
// of ending.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/win32_app.h"
#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "contract/design.h"
#include "contract/runtime_error.h"
#include "tests/win32/check.h"
#include "tests/win32/test_util.h"
#include "ui/form1.h"
#include "ui/messages.h"
#include "watch/windows/toolhelp_enumerator.h"

using namespace testutil;
using design::Kind;

namespace {

// An enumeration that always fails the way a broken toolkit call would.
class ThrowingEnumerator : public ProcessEnumerator {
  public:
    std::optional<std::vector<std::string>> enumerate() override { throw RuntimeError("boom"); }
};

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

int dpiX() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi;
}
int dpiY() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}
int px(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// The list's size that Form_Resize gives for the window's client area: its
// height less 465 twips, its width less 1785 twips (on the classic frame the
// same as the outer height less 870 and the outer width less 1905).
SIZE expectedListSize(HWND form) {
    RECT client{};
    GetClientRect(form, &client);
    const double heightTwips = client.bottom * 1440.0 / dpiY() - 465;
    const double widthTwips = client.right * 1440.0 / dpiX() - 1785;
    return {px(std::max(0.0, widthTwips), dpiX()), px(std::max(0.0, heightTwips), dpiY())};
}

// Whether a control's caption is whole in its own font: on one line within the
// client area (an option button's less its check mark), or on a multi-line
// button broken at words within it.
bool captionWhole(HWND control) {
    const std::wstring text = windowText(control);
    RECT room{};
    GetClientRect(control, &room);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) room.left += GetSystemMetrics(SM_CXMENUCHECK);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, room.right - room.left, 0};
    SIZE line{};
    if (style & BS_MULTILINE) {
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
    } else if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &line)) {
        need = {0, 0, line.cx, line.cy};
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return need.right <= room.right - room.left && need.bottom <= room.bottom - room.top;
}

const std::wstring kOwnName = lowerCase(fileNameOf(ownPath()));  // "win32windowtest.exe"

void testInteractiveStart(BoxCatcher& boxes) {
    check::section("interactive start: captions, values, list, focus");
    ToolhelpEnumerator processes;
    boxes.clear();
    Program p("", processes);
    CHECK(p.app.start(SW_SHOWNORMAL));
    CHECK(IsWindowVisible(p.window.window()));
    CHECK(boxes.boxes.empty());
    CHECK_EQ(windowText(p.window.window()), std::wstring(L"Lingerjob"));
    CHECK_EQ(className(p.window.window()), std::wstring(Win32Form::kClassName));
    CHECK_EQ(p.caption(Control::Command1), std::wstring(L"Update task list"));
    CHECK_EQ(p.caption(Control::Command2), std::wstring(L"Usage"));
    CHECK_EQ(p.caption(Control::Command3), std::wstring(L"About..."));
    CHECK_EQ(p.caption(Control::Command4), std::wstring(L"Start Looking"));
    CHECK_EQ(p.caption(Control::Command5), std::wstring(L"Make command line"));
    CHECK_EQ(p.caption(Control::Label1), std::wstring(L"Task List:"));
    CHECK_EQ(p.caption(Control::Label2), std::wstring(L"Wait if task name:"));
    CHECK_EQ(p.caption(Control::Label3), std::wstring(L""));
    CHECK_EQ(p.caption(Control::Frame1), std::wstring(L""));
    CHECK_EQ(p.caption(Control::Option1), std::wstring(L"Is running"));
    CHECK_EQ(p.caption(Control::Option2), std::wstring(L"Is not running"));
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L""));
    CHECK(p.checked(Control::Option1));
    CHECK(!p.checked(Control::Option2));
    CHECK(!p.toolkit.timerEnabled());
    CHECK_EQ(p.toolkit.backColor(Control::Label3), design::kButtonFace);
    CHECK_EQ(GetFocus(), p.control(Control::List1));

    check::section("the list holds wine's processes, lower-cased");
    const auto entries = p.listEntries();
    CHECK(entries.size() >= 3);
    for (const auto& e : entries) {
        if (e != lowerCase(e)) CHECK_EQ(e, lowerCase(e));
    }
    const auto has = [&](const std::wstring& name) {
        return std::find(entries.begin(), entries.end(), name) != entries.end();
    };
    CHECK(has(L"services.exe"));
    CHECK(has(L"explorer.exe"));
    CHECK(!has(kOwnName));  // the program leaves itself out
    CHECK_EQ(SendMessageW(p.control(Control::List1), LB_GETCURSEL, 0, 0), LB_ERR);

    check::section("the application icon is the window class's icon");
    CHECK(GetClassLongPtrW(p.window.window(), GCLP_HICON) != 0);
    CHECK(FindResourceW(nullptr, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)) !=
          nullptr);

    check::section("closing the window ends with 0");
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK(p.toolkit.unloaded());
    CHECK(!IsWindowVisible(p.window.window()));
    CHECK_EQ(p.finish(), 0);
    CHECK(p.nestedEnds.empty());
}

void testDesignPlaces() {
    check::section("controls at their design places, of their kinds");
    ToolhelpEnumerator processes;
    Program p("", processes);
    p.app.start(SW_SHOWNORMAL);
    const int dx = dpiX(), dy = dpiY();
    RECT client{};
    GetClientRect(p.window.window(), &client);
    CHECK_EQ(client.right, px(design::kClientWidth, dx));
    CHECK_EQ(client.bottom, px(design::kClientHeight, dy));

    const RECT frame = childRect(p.control(Control::Frame1));
    for (const auto& d : design::kControls) {
        if (d.kind == Kind::Timer) continue;
        HWND w = p.control(d.id);
        CHECK(w != nullptr);
        CHECK_EQ(GetParent(w), p.window.window());
        RECT r = childRect(w);
        if (d.container == Control::Frame1) {  // placed from Frame1's corner
            OffsetRect(&r, -frame.left, -frame.top);
        }
        const std::string name = d.name;
        const int left = px(d.left, dx), top = px(d.top, dy);
        if (r.left != left || r.top != top) CHECK_EQ(name + " left,top", std::string("design"));
        if (d.id == Control::List1) continue;  // its size follows the window (below)
        const int width = d.container == Control::Frame1
                              ? px(design::of(Control::Frame1).left + d.left + d.width, dx) -
                                    px(design::of(Control::Frame1).left + d.left, dx)
                              : px(d.left + d.width, dx) - left;
        const int height = d.container == Control::Frame1
                               ? px(design::of(Control::Frame1).top + d.top + d.height, dy) -
                                     px(design::of(Control::Frame1).top + d.top, dy)
                               : px(d.top + d.height, dy) - top;
        if (r.right - r.left != width || r.bottom - r.top != height) {
            CHECK_EQ(name + " size " + std::to_string(r.right - r.left) + "x" +
                         std::to_string(r.bottom - r.top),
                     name + " size " + std::to_string(width) + "x" + std::to_string(height));
        } else {
            CHECK(true);
        }
        const std::wstring cls = className(w);
        const LONG style = GetWindowLongW(w, GWL_STYLE);
        switch (d.kind) {
            case Kind::PushButton:
                CHECK(_wcsicmp(cls.c_str(), L"Button") == 0);
                CHECK_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);  // not a default button
                break;
            case Kind::Frame:
                CHECK_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
                break;
            case Kind::OptionButton:
                CHECK_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON);
                break;
            case Kind::TextBox:
                CHECK(_wcsicmp(cls.c_str(), L"Edit") == 0);
                CHECK((style & (ES_MULTILINE | ES_READONLY)) == 0);
                break;
            case Kind::Label:
                CHECK(_wcsicmp(cls.c_str(), L"Static") == 0);
                CHECK((style & WS_TABSTOP) == 0);
                break;
            default:
                break;
        }
    }
    check::section("every caption whole in its control's font, at any DPI; Command5 may wrap");
    CHECK((GetWindowLongW(p.control(Control::Command5), GWL_STYLE) & BS_MULTILINE) != 0);
    p.toolkit.setCaption(Control::Label3, "Not found.");  // the longer of its run-time captions
    for (const auto& d : design::kControls) {
        if ((d.kind == Kind::PushButton || d.kind == Kind::Label || d.kind == Kind::OptionButton) &&
            !captionWhole(p.control(d.id)))
            CHECK_EQ(std::string(d.name), std::string("whole"));
    }
    check::section("Common Controls 6: the buttons answer BCM_GETIDEALSIZE");
    SIZE ideal{};
    const UINT getIdealSize = 0x1601;  // BCM_GETIDEALSIZE, of Common Controls 6 only
    CHECK(SendMessageW(p.control(Control::Command1), getIdealSize, 0,
                       reinterpret_cast<LPARAM>(&ideal)) != 0);

    const LONG listStyle = GetWindowLongW(p.control(Control::List1), GWL_STYLE);
    CHECK(_wcsicmp(className(p.control(Control::List1)).c_str(), L"ListBox") == 0);
    CHECK((listStyle & LBS_NOTIFY) != 0);
    CHECK((listStyle & (LBS_SORT & ~LBS_NOTIFY)) == 0);  // unsorted
    CHECK((listStyle & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) == 0);

    check::section("tab order: List1, Command1..5, the option group, Text1");
    const std::vector<Control> order{Control::List1,    Control::Command1, Control::Command2,
                                     Control::Command3, Control::Command4, Control::Command5,
                                     Control::Option1,  Control::Text1,    Control::List1};
    SetFocus(p.control(Control::List1));
    for (std::size_t i = 1; i < order.size(); ++i) {
        HWND focus = GetFocus();
        MSG tab{focus, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
        CHECK(IsDialogMessageW(p.window.window(), &tab));
        const Control got = p.window.controlOf(GetFocus());
        CHECK_EQ(std::string("Tab to ") + (got == Control::Form1 ? "?" : design::of(got).name),
                 std::string("Tab to ") + design::of(order[i]).name);
    }
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK_EQ(p.finish(), 0);
}

void testClicks(BoxCatcher& boxes) {
    check::section("Usage and About: message boxes with OK only, no icon, caption Lingerjob");
    ToolhelpEnumerator processes;
    Program p("", processes);
    p.app.start(SW_SHOWNORMAL);
    boxes.clear();
    p.click(Control::Command2);
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty()) {
        const Box& b = boxes.boxes[0];
        CHECK_EQ(utf8(b.text), usageText());
        CHECK_EQ(b.caption, std::wstring(L"Lingerjob"));
        CHECK_EQ(b.visibleButtons, 1);
        CHECK(b.hasOk);
        CHECK(!b.hasIcon);
        CHECK_EQ(b.owner, p.window.window());  // modal to the shown window
    }
    boxes.clear();
    p.click(Control::Command3);
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty()) CHECK_EQ(utf8(boxes.boxes[0].text), aboutText({1, 0, 0}));
    CHECK(!p.toolkit.unloaded());

    check::section("Update task list: clears and refills, keeps Text1");
    p.toolkit.listAppend("stale-entry.exe");
    SetWindowTextW(p.control(Control::Text1), L"typed by hand");
    p.click(Control::Command1);
    const auto entries = p.listEntries();
    CHECK(std::find(entries.begin(), entries.end(), L"stale-entry.exe") == entries.end());
    CHECK(std::find(entries.begin(), entries.end(), L"explorer.exe") != entries.end());
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"typed by hand"));

    check::section("a user's click on List1 copies the entry; LB_SETCURSEL does not");
    SendMessageW(p.control(Control::List1), LB_SETCURSEL, 1, 0);
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"typed by hand"));
    RECT item{};
    SendMessageW(p.control(Control::List1), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(p.control(Control::List1), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(p.control(Control::List1), WM_LBUTTONUP, 0, at);
    CHECK_EQ(SendMessageW(p.control(Control::List1), LB_GETCURSEL, 0, 0), 2);
    CHECK_EQ(p.caption(Control::Text1), p.listEntry(2));
    // The keyboard is the user's too.
    SetFocus(p.control(Control::List1));
    SendMessageW(p.control(Control::List1), WM_KEYDOWN, VK_DOWN, 0);
    CHECK_EQ(p.caption(Control::Text1), p.listEntry(3));
    // A refresh leaves no selection and Text1 as it was.
    const std::wstring picked = p.caption(Control::Text1);
    p.click(Control::Command1);
    CHECK_EQ(SendMessageW(p.control(Control::List1), LB_GETCURSEL, 0, 0), LB_ERR);
    CHECK_EQ(p.caption(Control::Text1), picked);

    check::section("option buttons: one group, setting one clears the other");
    p.click(Control::Option2);
    CHECK(p.checked(Control::Option2));
    CHECK(!p.checked(Control::Option1));
    CHECK(p.toolkit.value(Control::Option2));
    p.toolkit.setValue(Control::Option1, true);
    CHECK(p.checked(Control::Option1));
    CHECK(!p.checked(Control::Option2));
    p.toolkit.setValue(Control::Option2, true);
    CHECK(!p.checked(Control::Option1));
    p.click(Control::Option1);
    CHECK(p.checked(Control::Option1));
    CHECK(!p.checked(Control::Option2));

    check::section("Make command line: clipboard and box");
    setClipboardText(L"something else");
    SetWindowTextW(p.control(Control::Text1), L"calc.exe");
    boxes.clear();
    p.click(Control::Command5);
    const std::wstring path = ownPath();
    std::wstring base = fileNameOf(path);
    base = base.substr(0, base.rfind(L'.'));
    const std::wstring line1 = folderOf(path) + L"\\" + base + L" /1 /calc.exe ";
    CHECK_EQ(clipboardText(), line1);
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty()) CHECK_EQ(boxes.boxes[0].text, line1 + L"\r\nCopied to clipboard.");
    CHECK_EQ(p.toolkit.exeBaseName(), std::string("Win32WindowTest"));
    CHECK_EQ(p.toolkit.dirSeparator(), std::string("\\"));
    p.click(Control::Option2);
    SetWindowTextW(p.control(Control::Text1), L"  Grüße.exe");
    p.click(Control::Command5);
    // cmd is the shell: the blanks put the task word in double quotes.
    CHECK_EQ(clipboardText(), folderOf(path) + L"\\" + base + L" /0 \"/  Grüße.exe\" ");

    check::section("Start and Stop Looking");
    p.click(Control::Command4);
    CHECK(p.toolkit.timerEnabled());
    CHECK_EQ(p.caption(Control::Command4), std::wstring(L"Stop Looking"));
    p.click(Control::Command4);
    CHECK(!p.toolkit.timerEnabled());
    CHECK_EQ(p.caption(Control::Command4), std::wstring(L"Start Looking"));

    check::section("UTF-8 text through the toolkit");
    p.toolkit.setText(Control::Text1, "Grüße \xE2\x82\xAC.exe");
    CHECK_EQ(p.toolkit.text(Control::Text1), std::string("Grüße \xE2\x82\xAC.exe"));
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"Grüße \u20AC.exe"));
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK_EQ(p.finish(), 0);
}

void testLabel3Colour() {
    check::section("Label3's back colour: button face, then red");
    ToolhelpEnumerator processes;
    Program p("", processes);
    p.app.start(SW_SHOWNORMAL);
    HDC dc = CreateCompatibleDC(nullptr);
    const auto paint = [&] {
        return reinterpret_cast<HBRUSH>(
            SendMessageW(p.window.window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(p.control(Control::Label3))));
    };
    const auto brushColour = [](HBRUSH brush) {
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        return lb.lbColor;
    };
    HBRUSH brush = paint();
    CHECK_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    CHECK_EQ(brushColour(brush), GetSysColor(COLOR_BTNFACE));
    p.toolkit.setBackColor(Control::Label3, design::kRed);
    CHECK_EQ(p.toolkit.backColor(Control::Label3), design::kRed);
    brush = paint();
    CHECK_EQ(GetBkColor(dc), RGB(255, 0, 0));
    CHECK_EQ(brushColour(brush), RGB(255, 0, 0));
    p.toolkit.setBackColor(Control::Label3, design::kButtonFace);
    paint();
    CHECK_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    DeleteDC(dc);
    bool threw = false;
    try {
        p.toolkit.setBackColor(Control::Label1, design::kRed);
    } catch (const RuntimeError&) {
        threw = true;
    }
    CHECK(threw);
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK_EQ(p.finish(), 0);
}

void testResize() {
    check::section("the list follows the window's size as on Linux");
    ToolhelpEnumerator processes;
    Program p("", processes);
    p.app.start(SW_SHOWNORMAL);
    // Already at the first show.
    SIZE want = expectedListSize(p.window.window());
    CHECK_EQ(p.listSize().cx, want.cx);
    CHECK_EQ(p.listSize().cy, want.cy);

    const SIZE before = p.outer();
    SetWindowPos(p.window.window(), nullptr, 0, 0, before.cx + 90, before.cy + 60,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    p.pump.run(50);
    CHECK_EQ(p.outer().cx, before.cx + 90);
    want = expectedListSize(p.window.window());
    CHECK_EQ(p.listSize().cx, want.cx);
    CHECK_EQ(p.listSize().cy, want.cy);
    const RECT list = childRect(p.control(Control::List1));
    CHECK_EQ(list.left, px(1680, dpiX()));  // anchored at its top-left corner
    CHECK_EQ(list.top, px(360, dpiY()));
    // Nothing else moves.
    const RECT button = childRect(p.control(Control::Command5));
    CHECK_EQ(button.top, px(4800, dpiY()));

    SetWindowPos(p.window.window(), nullptr, 0, 0, before.cx - 40, before.cy - 30,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    want = expectedListSize(p.window.window());
    CHECK_EQ(p.listSize().cx, want.cx);
    CHECK_EQ(p.listSize().cy, want.cy);

    // Minimised: the rule has no room; the program goes on, and restoring fits the list again.
    ShowWindow(p.window.window(), SW_MINIMIZE);
    p.pump.run(50);
    CHECK(!p.toolkit.unloaded());
    ShowWindow(p.window.window(), SW_RESTORE);
    p.pump.run(50);
    want = expectedListSize(p.window.window());
    CHECK_EQ(p.listSize().cx, want.cx);
    CHECK_EQ(p.listSize().cy, want.cy);
    ShowWindow(p.window.window(), SW_MAXIMIZE);
    p.pump.run(50);
    want = expectedListSize(p.window.window());
    CHECK_EQ(p.listSize().cx, want.cx);
    CHECK_EQ(p.listSize().cy, want.cy);

    check::section("on a thicker frame the list stays 105 twips inside the client area");
    RECT client{};
    GetClientRect(p.window.window(), &client);
    const LONG classicFrame = p.outer().cy - client.bottom;
    SetWindowLongPtrW(p.window.window(), GWL_EXSTYLE, WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE);
    SetWindowPos(p.window.window(), nullptr, 0, 0, before.cx, before.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    GetClientRect(p.window.window(), &client);
    CHECK(p.outer().cy - client.bottom > classicFrame);
    const RECT inside = childRect(p.control(Control::List1));
    CHECK(std::abs(client.right - inside.right - 105 * dpiX() / 1440.0) <= 1);
    CHECK(std::abs(client.bottom - inside.bottom - 105 * dpiY() / 1440.0) <= 1);
    SetWindowLongPtrW(p.window.window(), GWL_EXSTYLE, 0);

    // The toolkit's outer size is twips of the window rectangle.
    CHECK(std::fabs(p.toolkit.outerWidth() - p.outer().cx * 1440.0 / dpiX()) < 0.01);
    CHECK(std::fabs(p.toolkit.outerHeight() - p.outer().cy * 1440.0 / dpiY()) < 0.01);
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK_EQ(p.finish(), 0);
}

void testTicks() {
    check::section("the watch: a tick every 3000 ms, Found., the blink, the end of the wait");
    ToolhelpEnumerator processes;
    Program p("", processes);
    p.app.start(SW_SHOWNORMAL);
    SetWindowTextW(p.control(Control::Text1), L"explorer.exe");
    const DWORD started = GetTickCount();
    p.click(Control::Command4);  // Start Looking, mode 1: wait while wine's explorer runs
    p.pump.run(4500, [&] { return p.caption(Control::Label3) == L"Found."; });
    const DWORD firstTick = GetTickCount() - started;
    CHECK_EQ(p.caption(Control::Label3), std::wstring(L"Found."));
    CHECK(firstTick >= 2900 && firstTick <= 4000);
    CHECK_EQ(p.toolkit.backColor(Control::Label3), design::kRed);
    CHECK(!p.toolkit.unloaded());
    CHECK_EQ(p.form.TaskName(), std::string("explorer.exe"));

    SetWindowTextW(p.control(Control::Text1), L"no-such-task-zz");
    const DWORD second = GetTickCount();
    p.pump.run(4500, [&] { return p.toolkit.unloaded(); });
    CHECK(p.toolkit.unloaded());
    const DWORD wait = GetTickCount() - second;
    CHECK(wait >= 1000 && wait <= 3500);
    CHECK_EQ(p.toolkit.exitStatus(), 0);
    CHECK(!IsWindowVisible(p.window.window()));
    CHECK_EQ(p.finish(), 0);
    CHECK(p.nestedEnds.empty());
}

void testWatchStartFromArguments() {
    check::section(
        "valid arguments: the mode, the task, the timer; the list waits for the first tick");
    ToolhelpEnumerator processes;
    Program p(" /0 /  some task  ", processes);
    CHECK(p.app.start(SW_SHOWNORMAL));
    CHECK(p.checked(Control::Option2));
    CHECK(!p.checked(Control::Option1));
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"some task"));
    CHECK(p.toolkit.timerEnabled());
    CHECK_EQ(p.caption(Control::Command4), std::wstring(L"Stop Looking"));
    CHECK_EQ(p.listCount(), 0);
    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);  // the user may close it any time
    CHECK_EQ(p.finish(), 0);
}

void testRejection(BoxCatcher& boxes) {
    check::section("bad arguments: the message, no window, status 2");
    ToolhelpEnumerator processes;
    boxes.clear();
    Program p("/x", processes);
    CHECK(!p.app.start(SW_SHOWNORMAL));
    CHECK(!IsWindowVisible(p.window.window()));
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty()) {
        CHECK_EQ(boxes.boxes[0].text, std::wstring(L"your arguments are not right\r\n/x"));
        CHECK_EQ(boxes.boxes[0].caption, std::wstring(L"Lingerjob"));
        CHECK(boxes.boxes[0].owner == nullptr);  // the window is never shown
    }
    CHECK_EQ(p.toolkit.exitStatus(), 2);
    CHECK_EQ(p.finish(), 2);
}

void testHandlerError(BoxCatcher& boxes) {
    check::section("an error in a click handler: reported, status 1");
    ThrowingEnumerator processes;
    boxes.clear();
    Program p(" /1 /x", processes);  // no refresh at start-up
    CHECK(p.app.start(SW_SHOWNORMAL));
    p.click(Control::Command1);
    CHECK(p.toolkit.unloaded());
    CHECK_EQ(p.toolkit.exitStatus(), 1);
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty())
        CHECK_EQ(boxes.boxes[0].text, std::wstring(L"Run-time error:\r\nboom"));
    CHECK_EQ(p.finish(), 1);

    check::section("an error during a tick: a silent end with status 1");
    boxes.clear();
    Program q(" /1 /x", processes);
    CHECK(q.app.start(SW_SHOWNORMAL));
    q.pump.run(4500, [&] { return q.toolkit.unloaded(); });
    CHECK(q.toolkit.unloaded());
    CHECK_EQ(q.toolkit.exitStatus(), 1);
    CHECK(boxes.boxes.empty());
    CHECK_EQ(q.finish(), 1);
}

void testEndWhileBoxOpen(BoxCatcher& boxes) {
    check::section("the end of the wait ends the program while a message box is open");
    ToolhelpEnumerator processes;
    boxes.clear();
    boxes.dismiss = false;  // nobody closes the Usage box
    Program p(" /1 /no-such-task-zz", processes);
    p.boxes = &boxes;
    CHECK(p.app.start(SW_SHOWNORMAL));
    PostMessageW(p.control(Control::Command2), BM_CLICK, 0, 0);
    const DWORD started = GetTickCount();
    // The click opens the box inside this pump; the tick comes in the box's own loop.
    p.pump.run(8000, [&] { return p.pump.quit; });
    const DWORD elapsed = GetTickCount() - started;
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty()) CHECK_EQ(utf8(boxes.boxes[0].text), usageText());
    CHECK_EQ(p.nestedEnds.size(), 1u);  // the program would have ended right there
    if (!p.nestedEnds.empty()) CHECK_EQ(p.nestedEnds[0], 0);
    CHECK(p.boxOpenAtEnd);
    CHECK(elapsed >= 2500 && elapsed <= 5000);
    // Without ExitProcess (as in this test) WM_QUIT still closes the box and the loop.
    CHECK(p.pump.quit);
    CHECK_EQ(p.pump.quitCode, 0);
    CHECK(!boxes.open || !IsWindow(boxes.open));
    boxes.dismiss = true;
}

}  // namespace

int main() {
    BoxCatcher boxes;
    testInteractiveStart(boxes);
    testDesignPlaces();
    testClicks(boxes);
    testLabel3Colour();
    testResize();
    testWatchStartFromArguments();
    testRejection(boxes);
    testHandlerError(boxes);
    testEndWhileBoxOpen(boxes);
    testTicks();
    return check::summary();
}
