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
// Timer1 and the deadline wake the program by one Win32 timer of the form; message boxes are
// MessageBoxW with OK only, no icon and the title "Lingerjob"; the clipboard takes CF_UNICODETEXT.
class Win32Toolkit : public AdapterToolkit {
  public:
    // commandLine: the argument text (see command_line.h), UTF-8.
    Win32Toolkit(Win32Form& form, std::string commandLine);

    void setCaption(Control control, const std::string& caption) override;
    std::string text(Control control) override;
    void setText(Control control, const std::string& text) override;
    bool value(Control control) override;
    void setValue(Control control, bool value) override;
    void listClear() override;
    void listAppend(const std::string& entry) override;
    // List1's rows swapped at once; only those from the first change down are drawn again.
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

    // Sets the form's timer to the schedule's next wake (see Win32Form::kTimerId).
    void rearm() override;

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
    ListPlace place_;  // of List1 before its latest clearing
};

// The full path of the running executable.
std::wstring modulePath();
