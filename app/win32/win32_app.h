#pragma once

#include <functional>

class Form1;
class Win32Form;
class Win32Toolkit;

// Connects the window's events to Form1's handlers and runs the message loop.
// A handler that lets an exception escape is reported here (standard error and a
// message box) and ends the program with the failure status; nothing unwinds
// into the system's window procedure frames.
class Win32App {
  public:
    Win32App(Form1& form, Win32Form& window, Win32Toolkit& toolkit);

    // Runs Form_Load; then shows the window unless start-up unloaded it.
    // Returns false when the program is to end without a message loop.
    bool start(int showCommand);

    // The message loop, with the dialog keys (Tab, arrows) of the form. Returns
    // the exit status once the window has been unloaded.
    int run();

    // Runs one handler with the adapter's report of run-time errors.
    void dispatch(const std::function<void()>& handler);

    // How the program ends when a handler unloads the window while another
    // handler waits in a message box's modal loop (a tick that ends the wait
    // while "Usage" is open): the waiting handler is not resumed, the program
    // ends with the status at once. Tests replace it.
    std::function<void(int exitStatus)> endNested;

  private:
    void connectEvents();

    Form1& form_;
    Win32Form& window_;
    Win32Toolkit& toolkit_;
    int depth_ = 0;           // handlers running now: more than one means nested in a modal loop
    bool reporting_ = false;  // an error report is on screen: no more events
    bool shown_ = false;      // resize events count from the first show on
};
