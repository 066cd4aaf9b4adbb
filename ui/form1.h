#pragma once

#include <string>

#include "watch/watch_tick.h"

class Toolkit;
class ProcessEnumerator;

// The program's one window. Its state lives in the controls, reached through the
// toolkit; the adapter calls one handler per event.
class Form1 {
  public:
    Form1(Toolkit& toolkit, ProcessEnumerator& processes);

    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void List1_Click();
    void Timer1_Timer();

    // The task name the latest tick looked for.
    const std::string& TaskName() const { return tick_.taskName(); }
    // The processes whose ends the latest tick waits for (see WatchTick::awaited).
    const std::vector<ProcessId>& AwaitedProcesses() const { return tick_.awaited(); }
    // Whether the watch says on standard error what it sees (--verbose).
    bool Verbose() const { return tick_.verbose(); }

    // Whether the command line asked for no window (--no-window): the adapter
    // shows none, and runs as it would without a display.
    bool NoWindow() const { return noWindow_; }

  private:
    std::string BuildArgs();

    Toolkit& toolkit_;
    ProcessEnumerator& processes_;
    WatchTick tick_;
    bool noWindow_ = false;
};
