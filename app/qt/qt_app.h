#pragma once

#include <functional>

class Form1;
class QtForm;
class QtToolkit;

// Connects the window's events to Form1's handlers. A handler that lets an
// exception escape is reported here and ends the program with the failure
// status; nothing unwinds into Qt's event loop.
class QtApp {
  public:
    QtApp(Form1& form, QtForm& window, QtToolkit& toolkit);

    // Runs Form_Load; then shows the window unless start-up unloaded it.
    // Returns false when the program is to end without an event loop.
    bool start();

    // Runs one handler with the adapter's report of run-time errors.
    void dispatch(const std::function<void()>& handler);

  private:
    void connectEvents();

    Form1& form_;
    QtForm& window_;
    QtToolkit& toolkit_;
};
