#include "app/win32/win32_app.h"

#include <windows.h>

#include <cstdio>

#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "watch/windows/handle_watch.h"

Win32App::Win32App(Form1& form, Win32Form& window, Win32Toolkit& toolkit)
    : FormHost(form, toolkit), window_(window), toolkit_(toolkit) {
    endNested = [](int exitStatus) {
        std::fflush(stderr);
        ExitProcess(static_cast<UINT>(exitStatus));
    };
    window_.onClick = [this](Control id) { click(id); };
    window_.onTimer = [this] { wakeUp(); };
    window_.onResize = [this] {
        if (shown_) resize();
    };
    window_.onClose = [this] { close(); };
}

bool Win32App::start(int showCommand) {
    if (!load()) return false;
    // The watch runs on the hidden window's timers, as without a display.
    if (noWindow()) return goOn(true);
    // Resize comes with the first show: once for the window's starting size,
    // again from WM_SIZE if the show changes it (a start maximised).
    shown_ = true;
    resize();
    if (toolkit_.unloaded()) return false;
    window_.show(showCommand);
    return !toolkit_.unloaded();
}

int Win32App::run(HandleWatch* ends) {
    MSG msg;
    for (;;) {
        // Waits for a message, or for an awaited process to end.
        const DWORD count = ends ? static_cast<DWORD>(ends->handles().size()) : 0;
        const DWORD got =
            MsgWaitForMultipleObjectsEx(count, count ? ends->handles().data() : nullptr, INFINITE,
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (got < WAIT_OBJECT_0 + count) {
            if (ends->ended(got - WAIT_OBJECT_0)) processesEnded();
        } else if (got == WAIT_FAILED) {
            if (ends) ends->watch({});  // the beat alone
            WaitMessage();
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return toolkit_.exitStatus();  // posted by unload
            if (IsDialogMessageW(window_.window(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
