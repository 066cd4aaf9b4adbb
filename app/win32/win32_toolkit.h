#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/shared/adapter_toolkit.h"
#include "app/shared/list_place.h"

class Win32Form;

// The toolkit operations on a Win32Form, with the Unicode window APIs.
// Timer1 is a Win32 timer of the form; message boxes are MessageBoxW with OK
// only, no icon and the title "Lingerjob"; the clipboard takes CF_UNICODETEXT.
class Win32Toolkit : public AdapterToolkit {
  public:
    // commandLine: the argument text (see command_line.h), UTF-8.
    Win32Toolkit(Win32Form& form, std::string commandLine);

    void setCaption(Control control, const std::string& caption) override;
    std::string text(Control control) override;
    void setText(Control control, const std::string& text) override;
    bool value(Control control) override;
    void setValue(Control control, bool value) override;
    bool timerEnabled() override;
    void setTimerEnabled(bool enabled) override;
    void setTimerInterval(int milliseconds) override;
    void setDeadline(int milliseconds) override;
    void listClear() override;
    void listAppend(const std::string& entry) override;
    // Only the entries that changed, with List1's drawing off, then drawn once.
    void listReplace(const std::vector<std::string>& entries) override;
    int listCount() override;
    std::string listItem(int index) override;
    int listSelectedIndex() override;
    void listRefilled() override;
    void setListHeight(float twips) override;
    void setListWidth(float twips) override;
    float clientHeight() override;
    float clientWidth() override;
    void messageBox(const std::string& text) override;
    void clipboardClear() override;
    void clipboardSetText(const std::string& text) override;
    // In a message box: a GUI program has no standard output of its own.
    void showInformation(const std::string& text) override;

    // Whether Timer1 runs and its next tick is due within this many ms of now
    // (before or after: Windows raises timers up to a clock tick late).
    bool tickDueWithin(int milliseconds) const;

  protected:
    std::string programPath() override;  // this executable's
    void paintStatusColor(std::uint32_t color) override;
    // Hides the window, stops the timer and posts WM_QUIT with the status, which
    // also ends a message box's modal loop; Win32App ends the program.
    void endProgram(int exitStatus) override;

  private:
    HWND windowWith(Control control, std::initializer_list<design::Kind> kinds) const;
    void openClipboard();
    // Notes List1's scroll position and selected name before its entries change.
    void keepPlace();

    Win32Form& form_;
    std::vector<std::string> listEntries_;  // List1's entries as appended (it shows them visibly)
    ListPlace place_;                       // of List1 before its latest clearing
    bool timerEnabled_ = false;
    int timerIntervalMs_;
    ULONGLONG timerStartedMs_ = 0;  // when the running timer began, GetTickCount64
};

// The full path of the running executable.
std::wstring modulePath();
