// Lingerjob.exe as a whole, started as its own process under wine:
//   ProgramTest.exe <path of Lingerjob.exe> <path of ljprobe.exe>
// Exit statuses, the raw argument text from real command lines, the watch
// ending the program (also while a message box is open), non-ASCII names.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/win32/text.h"
#include "app/win32/win32_form.h"
#include "tests/win32/check.h"
#include "tests/win32/test_util.h"
#include "ui/messages.h"
#include "watch/lower_case.h"
#include "watch/windows/toolhelp_enumerator.h"

using namespace testutil;

namespace {

std::wstring g_exe;                                              // Lingerjob.exe
std::wstring g_probe;                                            // ljprobe.exe
const std::wstring kOwnName = lowerCase(fileNameOf(ownPath()));  // "programtest.exe"

constexpr DWORD kTimedOut = 0xFFFFFFFF;

struct Process {
    PROCESS_INFORMATION pi{};
    DWORD started = 0;
    bool ok = false;

    explicit Process(std::wstring commandLine) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started = GetTickCount();
        ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi) != 0;
    }
    ~Process() {
        if (!ok) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    bool running() const { return ok && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or kTimedOut.
    DWORD waitExit(DWORD ms) const {
        if (!ok || WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return kTimedOut;
        DWORD code = kTimedOut;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    DWORD elapsed() const { return GetTickCount() - started; }
};

struct Search {
    DWORD pid;
    const wchar_t* cls;
    bool visibleOnly;
    HWND found = nullptr;
};

BOOL CALLBACK searchTop(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == s->pid && className(window) == s->cls &&
        (!s->visibleOnly || IsWindowVisible(window))) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findTop(const Process& p, const wchar_t* cls, bool visibleOnly = true) {
    Search s{p.pi.dwProcessId, cls, visibleOnly};
    EnumWindows(searchTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND waitTop(const Process& p, const wchar_t* cls, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = findTop(p, cls)) return w;
        if (GetTickCount() - start > ms || !p.running()) return nullptr;
        Sleep(20);
    }
}

HWND item(HWND form, Control id) {
    return GetDlgItem(form, Win32Form::kControlIdBase + static_cast<int>(id));
}

std::wstring quotedExe() {
    return L"\"" + g_exe + L"\"";
}

void testInteractive() {
    check::section("no arguments: the window with the list; closing it ends with 0");
    Process p(quotedExe());
    CHECK(p.ok);
    HWND form = waitTop(p, Win32Form::kClassName, 10000);
    CHECK(form != nullptr);
    if (!form) return;
    CHECK_EQ(windowText(form), std::wstring(L"Lingerjob"));
    CHECK(SendMessageW(item(form, Control::List1), LB_GETCOUNT, 0, 0) >= 3);
    CHECK_EQ(controlText(item(form, Control::Command4)), std::wstring(L"Start Looking"));
    CHECK_EQ(controlText(item(form, Control::Label1)), std::wstring(L"Task List:"));
    RECT client{};
    GetClientRect(form, &client);
    CHECK_EQ(client.right, 312);  // 4680 x 5400 twips at 96 dpi
    CHECK_EQ(client.bottom, 360);
    PostMessageW(form, WM_CLOSE, 0, 0);
    CHECK_EQ(p.waitExit(10000), 0u);
}

// A box before any window; OK ends the program with the status.
void expectBox(const std::wstring& commandLine, const std::wstring& text, DWORD status) {
    Process p(commandLine);
    CHECK(p.ok);
    HWND box = waitTop(p, L"#32770", 10000);
    CHECK(box != nullptr);
    if (!box) return;
    const Box b = readBox(box);
    CHECK_EQ(b.text, text);
    CHECK_EQ(b.caption, std::wstring(L"Lingerjob"));
    CHECK_EQ(b.visibleButtons, 1);
    CHECK(!b.hasIcon);
    CHECK(findTop(p, Win32Form::kClassName) == nullptr);  // the window is never shown
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK_EQ(p.waitExit(10000), status);
}

void expectRejected(const std::wstring& commandLine, const std::wstring& shown) {
    expectBox(commandLine, L"your arguments are not right\r\n" + shown, 2);
}

void testRejections() {
    check::section("bad arguments: the raw text on the second line, status 2");
    expectRejected(quotedExe() + L" /x", L"/x");
    expectRejected(g_exe + L" /x", L"/x");          // unquoted name
    expectRejected(quotedExe() + L"  /x", L" /x");  // only the first blank goes
    expectRejected(quotedExe() + L"   ", L"  ");    // blanks only are not empty
    expectRejected(quotedExe() + L" calc.exe", L"calc.exe");
    expectRejected(quotedExe() + L" /1", L"/1");
    expectRejected(quotedExe() + L" /a /calc.exe", L"/a /calc.exe");
    expectRejected(quotedExe() + L" /70000 /calc.exe", L"/70000 /calc.exe");
    expectRejected(quotedExe() + L" //calc.exe", L"//calc.exe");
    expectRejected(quotedExe() + L" \"\"", L"\"\"");
    expectRejected(quotedExe() + L" --opt \"/1 /x\"",
                   L"--opt \"/1 /x\"\r\nunknown option --opt (see --help)");
}

void testInformation() {
    check::section("--help and --version: their text in a box, status 0");
    expectBox(quotedExe() + L" --help", toWide(helpText(CommandShell::Cmd, false)), 0);
    expectBox(quotedExe() + L" /1 /x -V", L"lingerjob 1.0.0", 0);
}

std::wstring probeLine(const wchar_t* ms) {
    return L"\"" + g_probe + L"\" " + ms;
}

void testModeZeroOver() {
    check::section("/0 with the task running: the wait is over at the first tick, status 0");
    Process probe(probeLine(L"9000"));
    Process p(quotedExe() + L" /0 /ljprobe.exe");
    CHECK_EQ(p.waitExit(10000), 0u);
    CHECK(p.elapsed() >= 2500 && p.elapsed() <= 8000);
    check::section("/1 on the program that started it (this test): not counted, over at once");
    Process child(quotedExe() + L" /1 /" + kOwnName);
    CHECK_EQ(child.waitExit(10000), 0u);
    CHECK(child.elapsed() >= 2500 && child.elapsed() <= 8000);
}

void testModeOneWaits() {
    check::section("/1 with the task running: it waits, shows Found., closing ends with 0");
    Process probe(probeLine(L"30000"));
    Process p(quotedExe() + L" /1 /LJPROBE.exe ");
    HWND form = waitTop(p, Win32Form::kClassName, 10000);
    CHECK(form != nullptr);
    if (!form) return;
    Sleep(4500);
    CHECK(p.running());
    CHECK_EQ(controlText(item(form, Control::Label3)), std::wstring(L"Found."));
    CHECK_EQ(controlText(item(form, Control::Text1)), std::wstring(L"LJPROBE.exe"));
    CHECK_EQ(controlText(item(form, Control::Command4)), std::wstring(L"Stop Looking"));
    CHECK_EQ(SendMessageW(item(form, Control::Option1), BM_GETCHECK, 0, 0), BST_CHECKED);
    CHECK(SendMessageW(item(form, Control::List1), LB_GETCOUNT, 0, 0) >= 3);
    PostMessageW(form, WM_CLOSE, 0, 0);
    CHECK_EQ(p.waitExit(10000), 0u);
}

void testStopLooking() {
    check::section("Stop Looking after a start from the command line: it keeps running");
    Process p(quotedExe() + L" /1 /no-such-task-zz");
    HWND form = waitTop(p, Win32Form::kClassName, 10000);
    CHECK(form != nullptr);
    if (!form) return;
    SendMessageW(item(form, Control::Command4), BM_CLICK, 0, 0);
    CHECK_EQ(controlText(item(form, Control::Command4)), std::wstring(L"Start Looking"));
    Sleep(4000);
    CHECK(p.running());
    SendMessageW(item(form, Control::Command4), BM_CLICK, 0,
                 0);  // start again: over at its first tick
    CHECK_EQ(p.waitExit(8000), 0u);
}

// The box opens as soon as the window shows; the check or the deadline that ends
// the program comes seconds later, so that a loaded machine opens the box first.
void testEndWithBoxOpen(const wchar_t* arguments, DWORD status, DWORD earliest) {
    check::section("the wait or the time-out ends while the Usage box is open: the program ends");
    Process p(quotedExe() + arguments);
    HWND form = waitTop(p, Win32Form::kClassName, 10000);
    CHECK(form != nullptr);
    if (!form) return;
    PostMessageW(item(form, Control::Command2), BM_CLICK, 0, 0);
    HWND box = waitTop(p, L"#32770", 2000);
    CHECK(box != nullptr);
    if (box) CHECK_EQ(readBox(box).text.substr(0, 20), std::wstring(L"Use it in batch file"));
    // Nobody closes the box; the first check finds no such task, or the time-out
    // runs out (a minute is the safety net).
    bool boxWasOpen = false;
    while (p.running() && p.elapsed() < 60000) {
        boxWasOpen = box && IsWindow(box) && IsWindowVisible(box);
        Sleep(20);
    }
    CHECK(boxWasOpen);  // the box stood until the process ended
    CHECK_EQ(p.waitExit(1000), status);
    CHECK(p.elapsed() >= earliest);
}

void testNonAsciiNames() {
    check::section("names within and outside the ANSI code page: listed in UTF-8, waited on");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // "LjPrÖbe" fits Windows-1252, "ПРОБА" no single-byte code page of the West.
    for (const std::wstring name : {L"LjPr\u00D6be", L"\u041F\u0420\u041E\u0411\u0410"}) {
        const std::wstring copy = std::wstring(temp) + name + L".exe";
        CHECK(CopyFileW(g_probe.c_str(), copy.c_str(), FALSE));
        Process probe(L"\"" + copy + L"\" 6000");
        CHECK(probe.ok);
        Sleep(300);
        const std::string want = toLowerUtf8(toUtf8(name)) + ".exe";
        ToolhelpEnumerator enumerator;
        auto names = enumerator.enumerate();
        CHECK(names.has_value());
        if (names) {
            for (auto& n : *names) n = toLowerUtf8(n);
            CHECK(std::find(names->begin(), names->end(), want) != names->end());
        }
        // Mode 1 on the lower-cased name waits until the probe has ended.
        Process p(quotedExe() + L" /1 /" + toWide(want.substr(0, want.size() - 4)));
        CHECK_EQ(p.waitExit(15000), 0u);
        CHECK(p.elapsed() >= 5500);
        std::printf("   %s: the wait took %lu ms\n", want.c_str(), p.elapsed());
        probe.waitExit(5000);
        DeleteFileW(copy.c_str());
    }
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::printf("usage: ProgramTest.exe <Lingerjob.exe> <ljprobe.exe>\n");
        return 2;
    }
    wchar_t full[MAX_PATH * 2];
    GetFullPathNameW(argv[1], MAX_PATH * 2, full, nullptr);
    g_exe = full;
    GetFullPathNameW(argv[2], MAX_PATH * 2, full, nullptr);
    g_probe = full;

    testInteractive();
    testRejections();
    testModeZeroOver();
    testModeOneWaits();
    testStopLooking();
    testInformation();
    testEndWithBoxOpen(L" --interval=6 /1 /no-such-task-zz", 0, 5500);
    testEndWithBoxOpen(L" --timeout=6 /0 /no-such-task-zz", 124, 5500);
    testNonAsciiNames();
    return check::summary();
}
