// The Win32 window's layout under wine: the controls at their design places
// and of their kinds, whole captions at any DPI, the tab order, Label3's back
// colour and the list following the window's size.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "contract/design.h"
#include "contract/runtime_error.h"
#include "tests/win32/check.h"
#include "tests/win32/test_util.h"
#include "tests/win32/window_program.h"
#include "watch/windows/toolhelp_enumerator.h"

using namespace testutil;
using design::Kind;

namespace {

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

}  // namespace

namespace windowtest {

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
    check::section(
        "Label1 overlaps the list's top edge by design, yet the list's frame shows whole");
    // Painted as the screen shows it, the label last. The top edge's rows, in the
    // middle where the label has no text, are coloured as the left edge's columns.
    RedrawWindow(p.window.window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RedrawWindow(p.control(Control::Label1), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const RECT list = childRect(p.control(Control::List1));
    const RECT label = childRect(p.control(Control::Label1));
    CHECK(label.bottom > list.top);  // the design's overlap, 1 px at 96 dpi, 2 at 144
    HDC form = GetDC(p.window.window());
    for (int edge = 0; edge < label.bottom - list.top; ++edge) {
        const COLORREF top = GetPixel(form, (list.left + list.right) / 2, list.top + edge);
        const COLORREF left = GetPixel(form, list.left + edge, (list.top + list.bottom) / 2);
        if (top != left) {
            std::printf("row %d of the list's top edge: 0x%06lX, its left edge: 0x%06lX\n", edge,
                        top, left);
        }
        CHECK(top == left && top != CLR_INVALID);
    }
    ReleaseDC(p.window.window(), form);

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

    SendMessageW(p.window.window(), WM_CLOSE, 0, 0);
    CHECK_EQ(p.finish(), 0);
}

}  // namespace windowtest
