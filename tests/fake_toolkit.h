#pragma once

#include <deque>
#include <map>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "contract/design.h"
#include "contract/toolkit.h"
#include "watch/process_enumerator.h"

// An in-memory window that starts with the design values and records what the
// handlers do to it.
struct FakeToolkit : Toolkit {
    FakeToolkit() {
        for (const auto& d : design::kControls) captions[d.id] = d.caption;
        option1 = design::of(Control::Option1).value;
    }

    std::map<Control, std::string> captions;
    std::string text1;
    bool option1 = true;
    bool timer = false;
    int timerStarts = 0;  // how often a fresh interval began
    std::uint32_t label3Color = design::kButtonFace;
    std::vector<std::string> entries;
    bool shown = true;  // whether anybody sees List1
    int selected = -1;
    float listHeight = 4935, listWidth = 2895;
    // Outer size, around the design's client area with the classic frame (the
    // title bar and borders add 405 twips in height and 120 in width).
    float height = 5400 + 405, width = 4680 + 120;
    std::vector<std::string> messages;
    std::optional<std::string> clipboard;
    std::vector<std::string> clipboardLog;  // "clear" and "set:<text>" in call order
    std::string folder = "C:\\Tools", separator = "\\", exeName = "Lingerjob";
    AppVersion appVersion{1, 0, 0};
    std::string arguments;
    std::optional<bool> given;  // argumentsGiven(), when not derived from the text
    std::vector<std::string> warnings;
    std::vector<int> unloads;  // exit status of every unload
    int interval = design::kTimerIntervalMs;
    std::optional<int> deadline;
    CommandShell shell = CommandShell::Cmd;
    std::vector<std::string> information;

    // A call with this caption text throws, to stand for a failing toolkit.
    std::string failOnCaption;

    void setCaption(Control c, const std::string& s) override {
        if (!failOnCaption.empty() && s == failOnCaption)
            throw std::runtime_error("toolkit failed");
        captions[c] = s;
    }
    std::uint32_t backColor(Control) override { return label3Color; }
    void setBackColor(Control, std::uint32_t color) override { label3Color = color; }
    std::string text(Control) override { return text1; }
    void setText(Control, const std::string& s) override { text1 = s; }
    bool value(Control c) override { return c == Control::Option1 ? option1 : !option1; }
    void setValue(Control c, bool v) override { option1 = (c == Control::Option1) == v; }
    bool timerEnabled() override { return timer; }
    void setTimerEnabled(bool on) override {
        if (on) ++timerStarts;
        timer = on;
    }
    bool listShown() override { return shown; }
    void listClear() override {
        entries.clear();
        selected = -1;
    }
    void listAppend(const std::string& s) override { entries.push_back(s); }
    int listCount() override { return static_cast<int>(entries.size()); }
    std::string listItem(int i) override { return entries.at(static_cast<std::size_t>(i)); }
    int listSelectedIndex() override { return selected; }
    void setListHeight(float t) override { listHeight = t; }
    void setListWidth(float t) override { listWidth = t; }
    float clientHeight() override { return height - 405; }
    float clientWidth() override { return width - 120; }
    void messageBox(const std::string& s) override { messages.push_back(s); }
    void clipboardClear() override {
        clipboard.reset();
        clipboardLog.push_back("clear");
    }
    void clipboardSetText(const std::string& s) override {
        clipboard = s;
        clipboardLog.push_back("set:" + s);
    }
    std::string appFolder() override { return folder; }
    std::string dirSeparator() override { return separator; }
    std::string exeBaseName() override { return exeName; }
    AppVersion version() override { return appVersion; }
    std::string commandLine() override { return arguments; }
    bool argumentsGiven() override { return given.value_or(Toolkit::argumentsGiven()); }
    void setTimerInterval(int ms) override { interval = ms; }
    void setDeadline(int ms) override { deadline = ms; }
    CommandShell commandShell() override { return shell; }
    void showInformation(const std::string& s) override { information.push_back(s); }
    void warn(const std::string& m) override { warnings.push_back(m); }
    void unload(int status) override {
        unloads.push_back(status);
        timer = false;
    }
};

// Hands out prepared enumeration results, one per call; the last one repeats.
// The processes get the ids 1, 2, ... in their order; those in lineage stand
// for the program itself and its ancestors.
struct ScriptedProcesses : ProcessEnumerator {
    using Result = std::optional<std::vector<std::string>>;
    std::deque<Result> results{Result{std::vector<std::string>{}}};
    std::vector<ProcessId> lineage;
    bool throwNext = false;
    int outOfMemory = 0;  // how many of the next calls run out of memory
    int calls = 0;
    // Command lines by process id, for --full; a process not here has none readable.
    std::map<ProcessId, std::string> commandLines;
    bool exeNames = false;                   // names as Windows gives them
    std::map<ProcessId, std::string> names;  // what nameOf tells, by process id

    void set(std::vector<std::string> names) { results = {Result{std::move(names)}}; }
    void fail() { results = {Result{}}; }

    std::optional<ProcessSnapshot> snapshot() override {
        ++calls;
        if (throwNext) throw std::runtime_error("enumeration blew up");
        if (outOfMemory > 0 && outOfMemory--) throw std::bad_alloc();
        Result r = results.front();
        if (results.size() > 1) results.pop_front();
        if (!r) return std::nullopt;
        ProcessSnapshot taken{{}, lineage};
        for (const auto& name : *r) {
            taken.processes.push_back({static_cast<ProcessId>(taken.processes.size() + 1), name});
        }
        return taken;
    }
    std::optional<std::string> nameOf(ProcessId id) override {
        const auto name = names.find(id);
        if (name == names.end()) return std::nullopt;
        return name->second;
    }
    std::optional<std::string> commandLine(ProcessId id) override {
        const auto line = commandLines.find(id);
        if (line == commandLines.end()) return std::nullopt;
        return line->second;
    }
    bool namesEndInExe() const override { return exeNames; }
};
