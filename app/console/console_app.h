#pragma once

#include <functional>

class ConsoleToolkit;
class Form1;

// Runs Form1 without a window: Form_Load, then the watch's ticks one interval
// apart, sleeping in between, until the form is unloaded or the deadline comes.
// A handler that lets an exception escape is reported here and ends the program
// with the failure status.
class ConsoleApp {
  public:
    ConsoleApp(Form1& form, ConsoleToolkit& toolkit) : form_(form), toolkit_(toolkit) {}

    // Runs Form_Load. Returns false when the program is to end at once: start-up
    // unloaded the form, or it started no watch, which without a window nobody
    // could ever start.
    bool start();

    // Raises the ticks until the program ends; returns its exit status.
    int run();

    // Runs one handler with the adapter's report of run-time errors.
    void dispatch(const std::function<void()>& handler);

    int exitStatus() const;

  private:
    Form1& form_;
    ConsoleToolkit& toolkit_;
};
