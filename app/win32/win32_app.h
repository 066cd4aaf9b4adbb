#pragma once

#include "app/shared/form_host.h"

class HandleWatch;
class Win32Form;
class Win32Toolkit;

// Connects the window's events to Form1's handlers (see FormHost) and runs the
// message loop. Nothing a handler lets escape unwinds into the system's window
// procedure frames. Unloading posts WM_QUIT, which ends no handler waiting in a
// message box's loop: endNested ends the program then (tests replace it).
class Win32App : public FormHost {
  public:
    Win32App(Form1& form, Win32Form& window, Win32Toolkit& toolkit);

    // Runs Form_Load; then shows the window unless start-up unloaded it or
    // asked for none (--no-window), which goes on as headless.
    // Returns false when the program is to end without a message loop.
    bool start(int showCommand);

    // The message loop, with the dialog keys (Tab, arrows) of the form, waiting
    // beside the messages on the ends the watch awaits (the one given to
    // watchEnds; none: the beat alone).
    // Returns the exit status once the window has been unloaded.
    int run(HandleWatch* ends = nullptr);

  private:
    Win32Form& window_;
    Win32Toolkit& toolkit_;
    bool shown_ = false;  // resize events count from the first show on
};
