#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/shared/adapter_toolkit.h"
#include "app/shared/list_place.h"

class QtForm;

// The toolkit operations on a QtForm. Without a display (Qt's offscreen
// platform) a message box cannot be seen, so its text goes to standard error
// and the box returns at once, as if OK had been clicked.
class QtToolkit : public AdapterToolkit {
  public:
    // programPath: the program "Make command line" names, when it is not this
    // executable (the launcher that started us); empty for this executable.
    QtToolkit(QtForm& form, std::string commandLine, bool headless, bool argumentsGiven,
              std::string programPath = {});

    void setCaption(Control control, const std::string& caption) override;
    std::string text(Control control) override;
    void setText(Control control, const std::string& text) override;
    bool value(Control control) override;
    void setValue(Control control, bool value) override;
    void listClear() override;
    void listAppend(const std::string& entry) override;
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

    // Sets the form's timer, one shot, to the schedule's next wake.
    void rearm() override;

    bool headless() const { return headless_; }

    // Where message box texts go instead of a dialog, when set (used by tests).
    std::function<void(const std::string&)> messageSink;

  protected:
    void paintStatusColor(std::uint32_t color) override;
    void endProgram(int exitStatus) override;

  private:
    QtForm& form_;
    bool headless_;
    ListPlace place_;  // of List1 before its latest clearing
};
