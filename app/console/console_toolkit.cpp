#include "app/console/console_toolkit.h"

#include <algorithm>
#include <iostream>

#include "app/shared/line_breaks.h"
#include "contract/design.h"
#include "contract/runtime_error.h"
#include "ui/app_info.h"

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparators = "/";
constexpr const char* kSeparator = "/";
#endif

design::Kind kindOf(Control control) {
    if (control == Control::Form1) throw RuntimeError("the form has no such property");
    return design::of(control).kind;
}

void require(bool allowed) {
    if (!allowed) throw RuntimeError("this control does not have that property");
}

std::size_t nameStart(const std::string& path) {
    const std::size_t cut = path.find_last_of(kSeparators);
    return cut == std::string::npos ? 0 : cut + 1;
}

}  // namespace

ConsoleToolkit::ConsoleToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath)
    : ConsoleToolkit(std::move(commandLine), argumentsGiven, std::move(programPath), std::cout,
                     std::cerr) {}

ConsoleToolkit::ConsoleToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath, std::ostream& out, std::ostream& err)
    : commandLine_(std::move(commandLine)),
      argumentsGiven_(argumentsGiven),
      programPath_(std::move(programPath)),
      out_(out),
      err_(err),
      option1_(design::of(Control::Option1).value),
      label3Color_(design::kButtonFace),
      listHeight_(static_cast<float>(design::of(Control::List1).height)),
      listWidth_(static_cast<float>(design::of(Control::List1).width)),
      interval_(design::kTimerIntervalMs),
      runningInterval_(design::kTimerIntervalMs) {
    for (const auto& d : design::kControls) {
        captions_[static_cast<std::size_t>(d.id)] = d.caption;
    }
    text1_ = design::of(Control::Text1).caption;
}

std::string& ConsoleToolkit::captionOf(Control control) {
    const design::Kind kind = kindOf(control);
    require(kind == design::Kind::PushButton || kind == design::Kind::Label ||
            kind == design::Kind::OptionButton);
    return captions_[static_cast<std::size_t>(control)];
}

const std::string& ConsoleToolkit::caption(Control control) const {
    return captions_.at(static_cast<std::size_t>(control));
}

void ConsoleToolkit::setCaption(Control control, const std::string& caption) {
    captionOf(control) = caption;
}

std::uint32_t ConsoleToolkit::backColor(Control control) {
    if (control != Control::Label3) throw RuntimeError("only Label3's back colour is kept");
    return label3Color_;
}

void ConsoleToolkit::setBackColor(Control control, std::uint32_t color) {
    if (control != Control::Label3) throw RuntimeError("only Label3's back colour is kept");
    label3Color_ = color;
}

std::string ConsoleToolkit::text(Control control) {
    require(kindOf(control) == design::Kind::TextBox);
    return text1_;
}

void ConsoleToolkit::setText(Control control, const std::string& text) {
    require(kindOf(control) == design::Kind::TextBox);
    text1_ = text;
}

bool ConsoleToolkit::value(Control control) {
    require(kindOf(control) == design::Kind::OptionButton);
    return (control == Control::Option1) == option1_;
}

// One of the two is always set: setting one clears the other, clearing one sets the other.
void ConsoleToolkit::setValue(Control control, bool value) {
    require(kindOf(control) == design::Kind::OptionButton);
    option1_ = (control == Control::Option1) == value;
}

bool ConsoleToolkit::timerEnabled() {
    return nextTick_.has_value();
}

void ConsoleToolkit::setTimerEnabled(bool enabled) {
    if (enabled) {
        runningInterval_ = interval_;
        nextTick_ = Clock::now() + std::chrono::milliseconds(runningInterval_);
    } else {
        nextTick_.reset();
    }
}

void ConsoleToolkit::setTimerInterval(int milliseconds) {
    interval_ = milliseconds;
}

void ConsoleToolkit::setDeadline(int milliseconds) {
    deadline_ = Clock::now() + std::chrono::milliseconds(milliseconds);
}

void ConsoleToolkit::tickRaised(Clock::time_point now) {
    if (!nextTick_) return;
    const auto interval = std::chrono::milliseconds(runningInterval_);
    *nextTick_ += interval;
    // After a stall (a suspended process, a slow tick) go on from now rather
    // than raise the missed ticks one after another.
    if (*nextTick_ <= now) *nextTick_ = now + interval;
}

void ConsoleToolkit::listClear() {
    entries_.clear();
}

void ConsoleToolkit::listAppend(const std::string& entry) {
    entries_.push_back(entry);
}

int ConsoleToolkit::listCount() {
    return static_cast<int>(entries_.size());
}

std::string ConsoleToolkit::listItem(int index) {
    if (index < 0 || index >= listCount()) throw RuntimeError("invalid list index");
    return entries_[static_cast<std::size_t>(index)];
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
    err_ << withUnixLineBreaks(text) << std::endl;
}

void ConsoleToolkit::clipboardClear() {
    clipboard_.clear();
}

void ConsoleToolkit::clipboardSetText(const std::string& text) {
    clipboard_ = text;
}

std::string ConsoleToolkit::appFolder() {
    const std::size_t start = nameStart(programPath_);
    return start == 0 ? std::string(".") : programPath_.substr(0, start - 1);
}

std::string ConsoleToolkit::dirSeparator() {
    return kSeparator;
}

std::string ConsoleToolkit::exeBaseName() {
    std::string name = programPath_.substr(nameStart(programPath_));
#ifdef _WIN32
    const std::string extension = ".exe";
    if (name.size() > extension.size()) {
        std::string tail = name.substr(name.size() - extension.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        if (tail == extension) name.resize(name.size() - extension.size());
    }
#endif
    return name;
}

AppVersion ConsoleToolkit::version() {
    return app_info::kVersion;
}

std::string ConsoleToolkit::commandLine() {
    return commandLine_;
}

bool ConsoleToolkit::argumentsGiven() {
    return argumentsGiven_;
}

CommandShell ConsoleToolkit::commandShell() {
#ifdef _WIN32
    return CommandShell::Cmd;
#else
    return CommandShell::Posix;
#endif
}

void ConsoleToolkit::showInformation(const std::string& text) {
    out_ << withUnixLineBreaks(text) << std::endl;
}

void ConsoleToolkit::warn(const std::string& message) {
    err_ << "lingerjob: " << message << std::endl;
}

void ConsoleToolkit::unload(int exitStatus) {
    if (unloaded_) return;
    unloaded_ = true;
    exitStatus_ = exitStatus;
    nextTick_.reset();
}
