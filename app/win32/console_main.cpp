// lingerjob.com: the console companion of Lingerjob.exe, from the same core on
// the console adapter. Every caller waits for a console program (PowerShell, the
// cmd prompt, CI runners, SSH sessions, services) and gets its exit status; it
// shows no window and no box: message texts go to standard error, --help and
// --version to standard output. A start for the window (no arguments, or options
// alone) starts Lingerjob.exe beside it, with the same arguments, and ends.
#include <windows.h>

#include <string>

#include "app/console/console_app.h"
#include "app/console/console_toolkit.h"
#include "app/win32/command_line.h"
#include "app/win32/console_stream.h"
#include "app/win32/text.h"
#include "app/win32/win32_toolkit.h"
#include "contract/exit_status.h"
#include "contract/runtime_error.h"
#include "ui/form1.h"
#include "watch/windows/handle_watch.h"
#include "watch/windows/toolhelp_enumerator.h"

namespace {

constexpr const wchar_t* kWindowProgram = L"Lingerjob.exe";

std::wstring ownPath() {
    try {
        return modulePath();
    } catch (const RuntimeError&) {
        return L"lingerjob.com";
    }
}

// Starts the window program from this program's folder; does not wait for it.
int startWindow(const std::wstring& self, const std::wstring& arguments, TextStream& err) {
    const std::wstring window = self.substr(0, self.find_last_of(L"\\/") + 1) + kWindowProgram;
    std::wstring line = L"\"" + window + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(window.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        const DWORD error = GetLastError();
        err.writeLine("lingerjob: cannot start " + toUtf8(window) + " (Windows error " +
                      std::to_string(error) + ")");
        return exit_status::kFailure;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return exit_status::kWaitOver;
}

}  // namespace

int main() {
    ConsoleStream out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    const std::wstring self = ownPath();
    const std::wstring arguments = argumentText(GetCommandLineW());
    if (arguments.empty()) return startWindow(self, arguments, err);

    ToolhelpEnumerator processes;
    ConsoleToolkit toolkit(toUtf8(arguments), true, toUtf8(self), out, err);
    Form1 form(toolkit, processes);
    HandleWatch ends;
    ConsoleApp app(form, toolkit, &ends);
    if (!app.load()) return app.exitStatus();
    // Options alone ask for the window, with those options, unless one is --no-window.
    if (!toolkit.timerEnabled() && !app.noWindow()) return startWindow(self, arguments, err);
    if (!app.goOn(true)) return app.exitStatus();
    return app.run();
}
