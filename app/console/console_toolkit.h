#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console/text_stream.h"
#include "app/shared/adapter_toolkit.h"
#include "watch/name_pool.h"

// The toolkit without a window: the controls' state is kept in memory, message
// box texts go to standard error and ConsoleApp sleeps on the schedule. Plain C++, so any
// platform's entry can use it.
class ConsoleToolkit : public AdapterToolkit {
  public:
    using Clock = std::chrono::steady_clock;

    // programPath: the full path of the running program, which "Make command
    // line" names; argumentsGiven: whether the program got any argument at all.
    ConsoleToolkit(std::string commandLine, bool argumentsGiven, std::string programPath);
    // The same, writing to the given streams instead of stdout and stderr.
    ConsoleToolkit(std::string commandLine, bool argumentsGiven, std::string programPath,
                   TextStream& out, TextStream& err);
    // The same on C++ streams (app/console/ostream_text.cpp).
    ConsoleToolkit(std::string commandLine, bool argumentsGiven, std::string programPath,
                   std::ostream& out, std::ostream& err);

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
    void setListHeight(float twips) override;
    void setListWidth(float twips) override;
    float clientHeight() override;
    float clientWidth() override;
    void messageBox(const std::string& text) override;
    bool informationInColumns() override { return true; }  // on standard output
    bool listShown() override { return false; }
    void clipboardClear() override;
    void clipboardSetText(const std::string& text) override;

    // What the controls hold that the interface has no getter for.
    const std::string& caption(Control control) const;
    const std::string& clipboard() const { return clipboard_; }
    float listHeight() const { return listHeight_; }
    float listWidth() const { return listWidth_; }

    // The moment the beat and the deadline count from: the program's start (by
    // default, when this toolkit was made).
    void scheduleFrom(Clock::time_point started) { schedule().startFrom(started); }
    // When the next check is due (none while Timer1 is off) and when the
    // deadline ends the program (none unless one was set).
    std::optional<Clock::time_point> nextTick() { return schedule().nextCheck(); }
    std::optional<Clock::time_point> deadline() { return schedule().deadline(); }

  protected:
    int printLine(bool toError, const std::string& text) override;
    void endProgram(int exitStatus) override;

  private:
    TextStream* out_ = nullptr;  // none: the C library's stdout and stderr
    TextStream* err_ = nullptr;
    std::unique_ptr<TextStream> ownedOut_, ownedErr_;

    std::array<std::string, 15> captions_;  // indexed by Control
    std::string text1_;
    bool option1_;
    // List1, which nobody sees: each entry an id in a pool of the names, since a
    // wait on a busy machine lists tens of thousands of processes under a few names.
    std::vector<NamePool::Id> entries_;
    NamePool entryNames_;
    float listHeight_;
    float listWidth_;
    std::string clipboard_;
};
