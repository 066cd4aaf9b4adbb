#include "app/win32/win32_app.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "contract/exit_status.h"
#include "ui/form1.h"

Win32App::Win32App(Form1& form, Win32Form& window, Win32Toolkit& toolkit)
    : form_(form), window_(window), toolkit_(toolkit) {
    endNested = [](int exitStatus) {
        std::fflush(stderr);
        ExitProcess(static_cast<UINT>(exitStatus));
    };
    connectEvents();
}

void Win32App::dispatch(const std::function<void()>& handler) {
    // Events still queued after the window went, or coming in the modal loop of
    // an error report, reach no handler.
    if (toolkit_.unloaded() || reporting_) return;
    ++depth_;
    std::string error;
    bool failed = false;
    try {
        handler();
    } catch (const std::exception& e) {
        error = e.what();
        failed = true;
    } catch (...) {
        error = "unknown error";
        failed = true;
    }
    if (failed && !toolkit_.unloaded()) {
        reporting_ = true;
        try {
            toolkit_.warn("run-time error: " + error);
            toolkit_.messageBox("Run-time error:\r\n" + error);
        } catch (...) {
            // The report itself failed; the program ends all the same.
        }
        reporting_ = false;
        toolkit_.unload(exit_status::kFailure);
    }
    --depth_;
    // The window went while an outer handler still waits in a message box:
    // the program ends now, not when somebody closes that box.
    if (toolkit_.unloaded() && depth_ > 0 && endNested) endNested(toolkit_.exitStatus());
}

void Win32App::connectEvents() {
    window_.onClick = [this](Control id) {
        void (Form1::*handler)() = nullptr;
        switch (id) {
            case Control::Command1:
                handler = &Form1::Command1_Click;
                break;
            case Control::Command2:
                handler = &Form1::Command2_Click;
                break;
            case Control::Command3:
                handler = &Form1::Command3_Click;
                break;
            case Control::Command4:
                handler = &Form1::Command4_Click;
                break;
            case Control::Command5:
                handler = &Form1::Command5_Click;
                break;
            case Control::List1:
                handler = &Form1::List1_Click;
                break;
            default:
                return;  // no other control has a click handler
        }
        dispatch([this, handler] { (form_.*handler)(); });
    };
    window_.onTimer = [this] { dispatch([this] { form_.Timer1_Timer(); }); };
    window_.onDeadline = [this] {
        if (toolkit_.unloaded()) return;
        toolkit_.unload(exit_status::kTimedOut);
        if (depth_ > 0 && endNested) endNested(toolkit_.exitStatus());
    };
    window_.onResize = [this] {
        if (shown_) dispatch([this] { form_.Form_Resize(); });
    };
    window_.onClose = [this] {
        if (!reporting_) dispatch([this] { toolkit_.unload(exit_status::kWaitOver); });
    };
}

bool Win32App::start(int showCommand) {
    dispatch([this] { form_.Form_Load(); });
    if (toolkit_.unloaded()) return false;
    // Resize comes with the first show: once for the window's starting size,
    // again from WM_SIZE if the show changes it (a start maximised).
    shown_ = true;
    dispatch([this] { form_.Form_Resize(); });
    if (toolkit_.unloaded()) return false;
    window_.show(showCommand);
    return !toolkit_.unloaded();
}

int Win32App::run() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;  // WM_QUIT, posted by unload
        if (IsDialogMessageW(window_.window(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return toolkit_.exitStatus();
}
