#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/control.h"

// Version numbers the application reports about itself.
struct AppVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The command interpreter a built command line is meant for, which also decides
// how the program's own argument text arrives: a POSIX shell has already removed
// its quotes, cmd passes them on.
enum class CommandShell { Posix, Cmd };

// What the form's handlers need from a window toolkit, and nothing more.
// Every string is UTF-8. A failing operation throws (see runtime_error.h).
// Sizes are in twips; truth values are plain bools.
class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // Buttons and labels.
    virtual void setCaption(Control control, const std::string& caption) = 0;
    // Label3's back colour, as a 32-bit colour value (system colours have the top bit set).
    virtual std::uint32_t backColor(Control control) = 0;
    virtual void setBackColor(Control control, std::uint32_t color) = 0;

    // Text1.
    virtual std::string text(Control control) = 0;
    virtual void setText(Control control, const std::string& text) = 0;

    // Option1 and Option2: setting one clears the other.
    virtual bool value(Control control) = 0;
    virtual void setValue(Control control, bool value) = 0;

    // Timer1: enabling starts a fresh interval.
    virtual bool timerEnabled() = 0;
    virtual void setTimerEnabled(bool enabled) = 0;
    // Timer1's interval; takes effect from the next time the timer is enabled.
    virtual void setTimerInterval(int milliseconds) = 0;
    // Ends the program with exit_status::kTimedOut this long from now, at that
    // moment (not at the next tick), unless it has ended before.
    virtual void setDeadline(int milliseconds) = 0;

    // List1. Clearing and appending never raise List1's click. An entry is shown
    // with what could hide or deceive spelled out (contract/visible_text.h), but
    // listItem gives it back as it was appended.
    virtual void listClear() = 0;
    virtual void listAppend(const std::string& entry) = 0;
    // Makes the entries these: as listClear, then listAppend of each, does. A
    // toolkit may keep the entries that stay the same (drawing only the change).
    virtual void listReplace(const std::vector<std::string>& entries) {
        listClear();
        for (const std::string& entry : entries) listAppend(entry);
    }
    virtual int listCount() = 0;
    virtual std::string listItem(int index) = 0;
    virtual int listSelectedIndex() = 0;  // -1 when nothing is selected
    // Called once the list has been cleared and filled again: the adapter may
    // bring back the scroll position and select again the name selected before,
    // raising no click.
    virtual void listRefilled() {}
    // Whether anybody sees List1. A toolkit without a window says no, and a check
    // may then leave the list as it was when the check can tell its answer
    // without reading every process (see WatchTick).
    virtual bool listShown() { return true; }
    virtual void setListHeight(float twips) = 0;
    virtual void setListWidth(float twips) = 0;

    // Form1's client area: the window less its frame and title bar.
    virtual float clientHeight() = 0;
    virtual float clientWidth() = 0;

    // Modal box with one OK button, no icon, the application title as caption.
    // Line breaks in the text are CR LF.
    virtual void messageBox(const std::string& text) = 0;

    virtual void clipboardClear() = 0;
    virtual void clipboardSetText(const std::string& text) = 0;

    // Facts about the running application.
    virtual std::string appFolder() = 0;  // folder of the executable, no trailing separator added
    virtual std::string dirSeparator() = 0;  // what goes between a folder and a file name
    virtual std::string exeBaseName() = 0;   // file name of the executable without extension
    virtual AppVersion version() = 0;
    // The argument text after the program's name; empty when there are no arguments.
    virtual std::string commandLine() = 0;
    // Whether the program was given arguments at all: on a platform that passes a
    // list, arguments that join to an empty text still count.
    virtual bool argumentsGiven() { return !commandLine().empty(); }
    // The shell a built command line is pasted into (see CommandShell).
    virtual CommandShell commandShell() = 0;
    // Information the user asked for (--help, --version): standard output where
    // there is one, otherwise a message box.
    virtual void showInformation(const std::string& text) = 0;
    // Whether showInformation writes to a terminal's columns rather than into a
    // message box, which breaks long lines itself.
    virtual bool informationInColumns() { return commandShell() == CommandShell::Posix; }

    // A diagnostic for whoever runs the program (standard error), not a dialog.
    virtual void warn(const std::string& message) = 0;

    // Closes Form1. When the running handler returns the program ends with this status.
    virtual void unload(int exitStatus) = 0;
};
