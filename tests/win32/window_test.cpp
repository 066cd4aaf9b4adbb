// The Win32 adapter with the real core on real windows, run under wine: clicks
// reaching the handlers, message boxes, the clipboard, the process list, the
// timer and every way of ending. The layout checks are in
// window_layout_test.cpp; both are linked into one test program.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "contract/design.h"
#include "contract/runtime_error.h"
#include "tests/win32/check.h"
#include "tests/win32/test_util.h"
#include "tests/win32/window_program.h"
#include "ui/messages.h"
#include "watch/windows/toolhelp_enumerator.h"

using namespace testutil;
using namespace windowtest;

namespace {

// An enumeration that always fails the way a broken toolkit call would.
class ThrowingEnumerator : public ProcessEnumerator {
  public:
    std::optional<ProcessSnapshot> snapshot() override { throw RuntimeError("boom"); }
};

const std::wstring kOwnName = lowerCase(fileNameOf(ownPath()));  // "win32windowtest.exe"

// A window as it stands on the screen, its frame and scroll bar too.
std::vector<DWORD> pixelsOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    std::vector<DWORD> pixels(static_cast<std::size_t>(r.right * r.bottom));
    HDC dc = GetWindowDC(window);
    HDC copy = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    const HGDIOBJ before = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(copy, before);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(copy, bitmap, 0, static_cast<UINT>(r.bottom), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(window, dc);
    return pixels;
}

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
    // A box spells out what would hide or turn its text around; its line breaks stay.
    boxes.clear();
    p.toolkit.messageBox(
        "ab\xe2\x80\xae"
        "cod.exe\r\nzw\xe2\x80\x8bsp\x7f");
    CHECK_EQ(boxes.boxes.size(), 1u);
    if (!boxes.boxes.empty())
        CHECK_EQ(boxes.boxes[0].text, L"ab\\u202ecod.exe\r\nzw\\u200bsp\\x7f");

    check::section("Update task list: clears and refills, keeps Text1");
    p.toolkit.listAppend("stale-entry.exe");
    SetWindowTextW(p.control(Control::Text1), L"typed by hand");
    p.click(Control::Command1);
    const auto entries = p.listEntries();
    CHECK(std::find(entries.begin(), entries.end(), L"stale-entry.exe") == entries.end());
    CHECK(std::find(entries.begin(), entries.end(), L"explorer.exe") != entries.end());
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"typed by hand"));

    check::section("the list spells such characters out; listItem gives the real name");
    const std::string bidi =
        "ab\xe2\x80\xae"
        "cod.exe";
    p.toolkit.listReplace({"zw\xe2\x80\x8bsp.exe", bidi});
    CHECK_EQ(p.listEntry(0), std::wstring(L"zw\\u200bsp.exe"));
    CHECK_EQ(p.listEntry(1), std::wstring(L"ab\\u202ecod.exe"));
    CHECK_EQ(p.toolkit.listItem(1), bidi);
    // Only what changed is replaced: the entries around it stay, in order.
    const std::vector<std::string> before{"a", "b", "c", "d", "e"},
        after{"a", "x", "y", "d", "e", "f"};
    p.toolkit.listReplace(before);
    p.toolkit.listReplace(after);
    CHECK(p.listEntries() == (std::vector<std::wstring>{L"a", L"x", L"y", L"d", L"e", L"f"}));
    CHECK_EQ(p.toolkit.listItem(2), std::string("y"));
    p.toolkit.listReplace({"w", "a", "x", "d", "e", "v", "f"});
    CHECK(p.listEntries() == (std::vector<std::wstring>{L"w", L"a", L"x", L"d", L"e", L"v", L"f"}));
    CHECK_EQ(p.listCount(), 7);
    p.toolkit.listReplace({"e"});
    CHECK(p.listEntries() == std::vector<std::wstring>{L"e"});
    p.click(Control::Command1);

    check::section(
        "a refresh leaves List1 as drawing it whole would: rows moved, focus, selection");
    HWND list = p.control(Control::List1);
    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) many.push_back("process-" + std::to_string(i) + ".exe");
    std::vector<std::string> rows = many;
    p.toolkit.listReplace(rows);
    SetFocus(list);
    SendMessageW(list, LB_SETCURSEL, 4, 0);
    using Rows = std::vector<std::string>;
    const std::pair<const char*, std::function<void(Rows&)>> edits[] = {
        {"a row above gone", [](Rows& r) { r.erase(r.begin()); }},
        {"a row new on top", [](Rows& r) { r.insert(r.begin(), "new.exe"); }},
        {"one renamed, two gone",
         [](Rows& r) { r[6] = "renamed.exe", r.erase(r.begin() + 9, r.begin() + 11); }},
        {"scrolled down, a row above the seen gone",
         [&](Rows& r) {
             SendMessageW(list, LB_SETTOPINDEX, 20, 0);
             r.erase(r.begin() + 3);
         }},
        {"a seen row gone, one new at the end",
         [](Rows& r) { r.erase(r.begin() + 25), r.push_back("late.exe"); }},
        {"fewer rows than fit", [](Rows& r) { r.resize(5); }},
        {"none", [](Rows& r) { r.clear(); }},
        {"many again", [&](Rows& r) { r = many; }},
        {"scrolled to the end", [&](Rows&) { SendMessageW(list, WM_VSCROLL, SB_BOTTOM, 0); }},
        {"a row gone at the end", [](Rows& r) { r.pop_back(); }},
        {"a page up", [&](Rows&) { SendMessageW(list, WM_VSCROLL, SB_PAGEUP, 0); }},
        {"the wheel",
         [&](Rows&) { SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0); }},
        {"at the top, fewer rows than fit",
         [&](Rows& r) {
             SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
             r.resize(5);
         }},
        {"more than fit again", [&](Rows& r) { r = many; }},
    };
    for (const auto& [name, edit] : edits) {
        UpdateWindow(list);
        edit(rows);
        p.toolkit.listReplace(rows);
        p.toolkit.listRefilled();
        UpdateWindow(list);
        const std::vector<DWORD> drawn = pixelsOf(list);
        RedrawWindow(list, nullptr, nullptr,
                     RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const std::vector<DWORD> whole = pixelsOf(list);
        CHECK(drawn.size() == whole.size());
        const auto differ = std::inner_product(drawn.begin(), drawn.end(), whole.begin(), 0,
                                               std::plus<>(), std::not_equal_to<>());
        CHECK_EQ(std::string(name) + ": " + std::to_string(differ) + " pixels differ",
                 std::string(name) + ": 0 pixels differ");
        CHECK_EQ(
            std::string(name) + ": scroll bar at " + std::to_string(GetScrollPos(list, SB_VERT)),
            std::string(name) + ": scroll bar at " +
                std::to_string(SendMessageW(list, LB_GETTOPINDEX, 0, 0)));
    }
    p.click(Control::Command1);

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
    // A refresh selects the picked name again, raising no click: Text1 stays as typed.
    const std::wstring picked = p.caption(Control::Text1);
    SetWindowTextW(p.control(Control::Text1), L"typed again");
    p.click(Control::Command1);
    const LRESULT again = SendMessageW(p.control(Control::List1), LB_GETCURSEL, 0, 0);
    CHECK(again != LB_ERR);
    if (again != LB_ERR) CHECK_EQ(p.listEntry(static_cast<int>(again)), picked);
    CHECK_EQ(p.caption(Control::Text1), std::wstring(L"typed again"));
    // A typed letter picks the next row that begins with it, whatever the case.
    p.toolkit.listReplace({"alpha.exe", "beta.exe", "Bravo.exe"});
    for (const auto& [typed, picked] : {std::pair(L'b', L"beta.exe"), std::pair(L'B', L"Bravo.exe"),
                                        std::pair(L'a', L"alpha.exe")}) {
        SendMessageW(p.control(Control::List1), WM_CHAR, typed, 0);
        CHECK_EQ(p.caption(Control::Text1), std::wstring(picked));
    }

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
