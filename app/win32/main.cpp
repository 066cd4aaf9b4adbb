// Lingerjob.exe: waits while (mode 1) or until (mode 0) a process whose
// executable name contains the task name runs; without arguments, an
// interactive window. The native Windows build of the same ui/ and watch/ code.
#include <windows.h>

#include <exception>
#include <string>

#include "app/win32/command_line.h"
#include "app/win32/text.h"
#include "app/win32/win32_app.h"
#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "contract/exit_status.h"
#include "ui/form1.h"
#include "watch/windows/handle_watch.h"
#include "watch/windows/toolhelp_enumerator.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        const std::string arguments = toUtf8(argumentText(GetCommandLineW()));
        ToolhelpEnumerator processes;
        Win32Form window(instance);
        Win32Toolkit toolkit(window, arguments);
        Form1 form(toolkit, processes);
        Win32App app(form, window, toolkit);
        HandleWatch ends;
        app.watchEnds(&ends);  // from the first check on, which may come in start()
        if (!app.start(showCommand)) return toolkit.exitStatus();
        return app.run(&ends);
    } catch (const std::exception& e) {  // the window could not be built
        MessageBoxW(nullptr, toWide(e.what()).c_str(), L"Lingerjob", MB_OK);
        return exit_status::kFailure;
    }
}
