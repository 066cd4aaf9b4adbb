#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "app/shared/schedule.h"
#include "contract/design.h"
#include "contract/toolkit.h"

// What every adapter's toolkit does alike, so that an adapter writes only its
// widget calls: the argument text, the program's path and the platform's ways
// with it, the version, Label3's back colour (the one colour a handler sets), the
// "lingerjob: " diagnostics, information on standard output (a failed write of it
// ends the program with status 1), the unload that counts once, and Timer1 and
// the deadline on the one schedule (app/shared/schedule.h).
class AdapterToolkit : public Toolkit {
  public:
    // argumentsGiven: whether the program got any argument, also one that joins to
    // an empty commandLine (lingerjob ""). programPath: the program "Make command
    // line" names (see programPath()).
    AdapterToolkit(std::string commandLine, bool argumentsGiven, std::string programPath = {});

    std::uint32_t backColor(Control control) override;
    void setBackColor(Control control, std::uint32_t color) override;
    bool timerEnabled() override;
    void setTimerEnabled(bool enabled) override;
    void setTimerInterval(int milliseconds) override;
    void setDeadline(int milliseconds) override;
    AppVersion version() override;
    std::string commandLine() override;
    bool argumentsGiven() override;
    // The folder and the file name of programPath(), the name without the
    // extension programs have on the platform (.exe on Windows, in any case).
    std::string appFolder() override;
    std::string dirSeparator() override;
    std::string exeBaseName() override;
    CommandShell commandShell() override;  // cmd on Windows, a POSIX shell elsewhere
    void showInformation(const std::string& text) override;
    void warn(const std::string& message) override;
    // "lingerjob: out of memory" on standard error, even when no memory can be had.
    void warnOutOfMemory() noexcept;
    // The first unload decides the exit status and ends the program (endProgram);
    // later ones change nothing.
    void unload(int exitStatus) override;

    // When the checks and the deadline come. An adapter wakes at its wake() and
    // then runs what take() says is due (FormHost::wakeUp).
    Schedule& schedule() { return schedule_; }
    // The schedule changed: an adapter with a timer of its own sets it to the
    // schedule's wake(). The console loop reads wake() itself.
    virtual void rearm() {}

    bool unloaded() const { return unloaded_; }
    int exitStatus() const { return exitStatus_; }

  protected:
    // The full path of the program, as given to the constructor unless overridden.
    virtual std::string programPath() { return programPath_; }
    // Throws the run-time error of an operation on a control that lacks the
    // property: Form1, or a control whose kind is none of these.
    static void requireKind(Control control, std::initializer_list<design::Kind> kinds);

    // One line for whoever runs the program, on standard error (diagnostics,
    // message texts without a window) or standard output, written as for a
    // terminal (app/shared/terminal_text.h). Returns 0, or the error number of a
    // write that failed.
    virtual int printLine(bool toError, const std::string& text);
    // Shows Label3's new back colour; the value itself is kept here.
    virtual void paintStatusColor(std::uint32_t color) { (void)color; }
    // Stops the timer and closes the window, so the program ends with the status.
    virtual void endProgram(int exitStatus) = 0;

  private:
    std::string commandLine_;
    bool argumentsGiven_;
    std::string programPath_;
    std::uint32_t statusColor_ = design::kButtonFace;
    Schedule schedule_;
    bool unloaded_ = false;
    int exitStatus_ = 0;
};
