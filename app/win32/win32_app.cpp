#include "app/win32/win32_app.h"

#include <windows.h>

#include <cstdio>

#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"

Win32App::Win32App(Form1& form, Win32Form& window, Win32Toolkit& toolkit)
    : FormHost(form, toolkit), window_(window), toolkit_(toolkit) {
    endNested = [](int exitStatus) {
        std::fflush(stderr);
        ExitProcess(static_cast<UINT>(exitStatus));
    };
    window_.onClick = [this](Control id) { click(id); };
    window_.onTimer = [this] { tick(); };
    window_.onDeadline = [this] {
        // A check due at the same moment as the deadline runs first: the wait
        // may be over by then. Windows timers are a clock tick (about 16 ms)
        // coarse, so "the same moment" is that wide; the deadline waits once.
        constexpr int kSameMomentMs = 32;
        if (!deadlinePutOff_ && toolkit_.tickDueWithin(kSameMomentMs)) {
            deadlinePutOff_ = true;
            toolkit_.setDeadline(2 * kSameMomentMs);
            return;
        }
        timeOut();
    };
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
