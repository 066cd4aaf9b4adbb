#include "app/console/console_toolkit.h"

#include "app/console/text_stream.h"
#include "app/shared/terminal_text.h"
#include "contract/design.h"
#include "contract/runtime_error.h"

using design::Kind;

ConsoleToolkit::ConsoleToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath)
    : AdapterToolkit(std::move(commandLine), argumentsGiven, std::move(programPath)),
      option1_(design::of(Control::Option1).value),
      listHeight_(static_cast<float>(design::of(Control::List1).height)),
      listWidth_(static_cast<float>(design::of(Control::List1).width)) {
    for (const auto& d : design::kControls) {
        captions_[static_cast<std::size_t>(d.id)] = d.caption;
    }
    text1_ = design::of(Control::Text1).caption;
}

ConsoleToolkit::ConsoleToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath, TextStream& out, TextStream& err)
    : ConsoleToolkit(std::move(commandLine), argumentsGiven, std::move(programPath)) {
    out_ = &out;
    err_ = &err;
}

const std::string& ConsoleToolkit::caption(Control control) const {
    return captions_.at(static_cast<std::size_t>(control));
}

void ConsoleToolkit::setCaption(Control control, const std::string& caption) {
    requireKind(control, {Kind::PushButton, Kind::Label, Kind::OptionButton});
    captions_[static_cast<std::size_t>(control)] = caption;
}

std::string ConsoleToolkit::text(Control control) {
    requireKind(control, {Kind::TextBox});
    return text1_;
}

void ConsoleToolkit::setText(Control control, const std::string& text) {
    requireKind(control, {Kind::TextBox});
    text1_ = text;
}

bool ConsoleToolkit::value(Control control) {
    requireKind(control, {Kind::OptionButton});
    return (control == Control::Option1) == option1_;
}

// One of the two is always set: setting one clears the other, clearing one sets the other.
void ConsoleToolkit::setValue(Control control, bool value) {
    requireKind(control, {Kind::OptionButton});
    option1_ = (control == Control::Option1) == value;
}

void ConsoleToolkit::listClear() {
    entries_.clear();
    entryNames_.clear();
}

void ConsoleToolkit::listAppend(const std::string& entry) {
    entries_.push_back(entryNames_.intern(entry));
}

int ConsoleToolkit::listCount() {
    return static_cast<int>(entries_.size());
}

std::string ConsoleToolkit::listItem(int index) {
    if (index < 0 || index >= listCount()) throw RuntimeError("invalid list index");
    return std::string(entryNames_.at(entries_[static_cast<std::size_t>(index)]));
}

int ConsoleToolkit::listSelectedIndex() {
    return -1;  // nobody can select an entry
}

void ConsoleToolkit::setListHeight(float twips) {
    listHeight_ = twips;
}

void ConsoleToolkit::setListWidth(float twips) {
    listWidth_ = twips;
}

float ConsoleToolkit::clientHeight() {
    return static_cast<float>(design::kClientHeight);
}

float ConsoleToolkit::clientWidth() {
    return static_cast<float>(design::kClientWidth);
}

// Nobody could click OK: the text goes to standard error and the box returns at once.
void ConsoleToolkit::messageBox(const std::string& text) {
    printLine(true, text);
}

void ConsoleToolkit::clipboardClear() {
    clipboard_.clear();
}

void ConsoleToolkit::clipboardSetText(const std::string& text) {
    clipboard_ = text;
}

int ConsoleToolkit::printLine(bool toError, const std::string& text) {
    TextStream* stream = toError ? err_ : out_;
    if (stream == nullptr) return AdapterToolkit::printLine(toError, text);
    std::string line;
    writeForTerminal(text, [&line](std::string_view piece) { line += piece; });
    return stream->writeLine(line);
}

void ConsoleToolkit::endProgram(int) {}
