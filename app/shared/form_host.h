#pragma once

#include <functional>
#include <string>

#include "contract/control.h"

class AdapterToolkit;
class Form1;
class ProcessEndWatch;

// What every adapter does between its window's events and Form1's handlers: each
// event to its handler, one report of an error a handler lets escape, and the
// rules of a start. An adapter connects its widgets' events to these calls.
class FormHost {
  public:
    FormHost(Form1& form, AdapterToolkit& toolkit) : form_(form), toolkit_(toolkit) {}

    // Runs Form_Load. Returns false when start-up unloaded the form (rejected
    // arguments, --help, --version).
    bool load();
    // Whether the program goes on to its event loop after load(). Without a window
    // to show (headless) it does only with a watch armed, since nobody could start
    // one: otherwise it says so and unloads with the failure status. Going on, it
    // warns what note() says, if anything.
    bool goOn(bool headless, const std::function<std::string()>& note = {});
    // Whether the command line asked for no window (--no-window), after load():
    // the adapter shows none and goes on as headless.
    bool noWindow() const;

    // The window's events. click: a push button's, or the user's pick in List1;
    // no other control has a click handler.
    void click(Control control);
    void tick();  // a check, then the watch set on the ends of what it found
    void resize();
    void close();    // the user closes the window: the program ends with status 0
    void timeOut();  // --timeout ran out: the program ends with status 124

    // Runs what the toolkit's schedule has due now (a check, then the
    // deadline), then has the toolkit rearm its timer for the next.
    void wakeUp();
    // The processes the watch awaited have all ended: a check at once.
    void processesEnded();
    // Where the ends of the processes a check awaits are watched; none (the
    // beat alone) by default.
    void watchEnds(ProcessEndWatch* ends) { ends_ = ends; }

    // Runs one handler. Nothing it lets escape unwinds into the toolkit: it is
    // reported (a line on standard error and a "Run-time error:" box; for a
    // failed allocation the one line "lingerjob: out of memory") and the
    // program ends with the failure status. Events that come after the window
    // went, or in the modal loop of such a report, reach no handler.
    void dispatch(const std::function<void()>& handler);

    int exitStatus() const;

    // How the program ends when it is unloaded while a handler waits in a message
    // box's modal loop (a tick that ends the wait while "Usage" is open), for a
    // toolkit whose unload does not end that loop: the waiting handler is not
    // resumed, the program ends with the status at once. None by default.
    std::function<void(int exitStatus)> endNested;

  private:
    void endIfNested();

    Form1& form_;
    AdapterToolkit& toolkit_;
    ProcessEndWatch* ends_ = nullptr;
    int depth_ = 0;           // handlers running now: more than one means nested in a modal loop
    bool reporting_ = false;  // an error report is on screen
};
