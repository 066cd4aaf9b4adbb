#include <gtest/gtest.h>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "watch/lower_case.h"
#include "watch/task_match.h"

namespace {

// A window whose watch runs on a scripted process list.
struct Watch {
    FakeToolkit tk;
    ScriptedProcesses processes;
    Form1 form{tk, processes};

    Watch(bool isRunningMode, const std::string& task, std::vector<std::string> names) {
        tk.option1 = isRunningMode;
        tk.text1 = task;
        tk.timer = true;
        processes.set(std::move(names));
    }
    bool ended() const { return !tk.unloads.empty(); }
    std::string status() { return tk.captions[Control::Label3]; }
};

const std::vector<std::string> kRunning{"init", "bash", "calc.exe", "sleep"};

TEST(WatchTick, TheFourOutcomes) {
    const struct {
        bool isRunningMode;
        const char* task;
        bool ends;
        const char* status;  // what Label3 says after the tick
    } cases[] = {
        {true, "calc", false, "Found."},          // waiting while it runs, and it runs
        {true, "notepad", true, ""},              // waiting while it runs, and it does not
        {false, "calc", true, ""},                // waiting until it runs, and it runs
        {false, "notepad", false, "Not found."},  // waiting until it runs, and it does not
    };
    for (const auto& c : cases) {
        Watch w(c.isRunningMode, c.task, kRunning);
        w.form.Timer1_Timer();
        EXPECT_EQ(w.tk.unloads, c.ends ? std::vector<int>{0} : std::vector<int>{}) << c.task;
        EXPECT_EQ(w.status(), c.status) << "the end of the wait writes no status";
        EXPECT_EQ(w.tk.timer, !c.ends);
        EXPECT_TRUE(w.tk.messages.empty());
        const bool found = std::string(c.task) == "calc";
        EXPECT_EQ(waitIsOver(c.isRunningMode, !c.isRunningMode, found), c.ends);
    }
    EXPECT_FALSE(waitIsOver(false, false, true)) << "no option set: nothing to wait for ends it";
    EXPECT_FALSE(waitIsOver(false, false, false));
}

// --exact and --full: which of these processes (ids 1..4) a task finds. Process 4's
// command line cannot be read, so --full goes by its name.
TEST(WatchTick, ExactAndFullMatching) {
    const struct {
        TaskMatch how;
        bool windowsNames;
        const char* task;
        bool found;
    } cases[] = {
        {{false, false}, false, "sh", true},  // a part of bash
        {{true, false}, false, "sh", false},
        {{true, false}, false, "BASH", true},
        {{true, false}, false, "setup", false},
        {{true, false}, true, "setup", true},  // Windows: ".exe" may be left off
        {{true, false}, true, "setup.exe", true},
        {{true, false}, true, "setu", false},
        {{true, false}, false, "", false},  // no name is empty
        {{false, true}, false, "http.server", true},
        {{false, true}, false, "-m http", true},  // arguments joined by one blank
        {{false, true}, false, "bash", false},    // its command line is "sh -c make"
        {{false, true}, false, "sleeper", true},  // unreadable: its name stands in
        {{true, true}, false, "python3 -m http.server 8000", true},
        {{true, true}, false, "python3 -m http.server", false},
        {{true, true}, true, "setup", false},  // no ".exe" leeway in a command line
    };
    for (const auto& c : cases) {
        ScriptedProcesses processes;
        processes.set({"bash", "python3", "setup.exe", "sleeper"});
        processes.commandLines = {
            {1, "sh -c make"}, {2, "Python3 -m http.server 8000"}, {3, "setup.exe /s"}};
        processes.exeNames = c.windowsNames;
        auto listed = *processes.listed();
        for (auto& p : listed) p.name = toLowerUtf8(p.name);
        EXPECT_EQ(!matchingProcesses(listed, toLowerUtf8(c.task), c.how, processes).empty(),
                  c.found)
            << c.task << " exact=" << c.how.exact << " full=" << c.how.full;
    }
}

TEST(WatchTick, SearchIsAnExactSubstringOfTheLowerCasedEntriesInAnyCase) {
    for (const char* part : {"calc", ".exe", "c.e", "calc.exe", "Calc", "CALC.EXE", "ÉTÉ"}) {
        Watch w(true, part, {"Calc.EXE", "Été"});
        w.form.Timer1_Timer();
        EXPECT_FALSE(w.ended()) << part;
        EXPECT_EQ(w.form.TaskName(), part) << "TaskName keeps Text1's text";
    }
    for (const char* miss : {" calc", "calc.exe ", "calc.exe.x", "ETE"}) {
        Watch w(true, miss, {"Calc.EXE", "Été"});
        w.form.Timer1_Timer();
        EXPECT_TRUE(w.ended()) << miss;
    }
}

// Their ends are watched; the program's own lineage is never awaited.
TEST(WatchTick, AWaitWhileRunningAwaitsTheMatchingProcessesItListed) {
    Watch w(true, "calc", {"calc", "bash", "CALC.exe", "calc"});
    w.processes.lineage = {4};
    w.form.Timer1_Timer();
    EXPECT_EQ(w.form.AwaitedProcesses(), (std::vector<ProcessId>{1, 3}));
    Watch until(false, "calc", {"bash"});
    until.form.Timer1_Timer();
    EXPECT_EQ(until.status(), "Not found.");
    EXPECT_TRUE(until.form.AwaitedProcesses().empty());

    // Where nobody sees the list, the next tick reads the awaited processes alone
    // while one of them still matches; a window reads every process each tick.
    for (const bool shown : {true, false}) {
        Watch one(true, "calc", {"calc", "bash", "calc"});
        one.tk.shown = shown;
        one.form.Timer1_Timer();
        one.processes.names = {{1, "Calc"}, {3, "calc"}};
        one.form.Timer1_Timer();
        EXPECT_EQ(one.processes.calls, shown ? 2 : 1);
        EXPECT_EQ(one.status(), "Found.");
        one.processes.names = {{1, "bash"}};  // 1 became another program, 3 ended
        one.processes.set({"bash", "bash"});
        one.form.Timer1_Timer();
        EXPECT_EQ(one.processes.calls, shown ? 3 : 2);
        EXPECT_EQ(one.tk.unloads, std::vector<int>{0});
    }
}

// --verbose: a line when the matching set changes (five named at most), one at the end.
TEST(WatchTick, AVerboseWatchSaysWhatMatchesWhenItChangesAndWhyTheWaitIsOver) {
    for (const char* arguments : {"/1 /calc", "-v /1 /calc"}) {
        Watch w(true, "", {});
        w.tk.arguments = arguments;
        w.form.Form_Load();
        using Result = ScriptedProcesses::Result;
        w.processes.results = {Result{{"calc", "bash"}}, Result{{"calc", "bash"}},
                               Result{{"calc1", "calc2", "calc", "calc3", "calc4", "calc5", "x"}},
                               Result{{"x"}}};
        for (int i = 0; i < 4; ++i) w.form.Timer1_Timer();
        EXPECT_EQ(w.tk.unloads, std::vector<int>{0});
        const std::vector<std::string> said{
            "matching: 1 calc", "matching: 1 calc1, 2 calc2, 3 calc, 4 calc3, 5 calc4 and 1 more",
            "the wait is over: no matching process runs"};
        EXPECT_EQ(w.tk.warnings, arguments[0] == '-' ? said : std::vector<std::string>{});
    }
}

TEST(WatchTick, AnEmptyTaskNameIsFoundInAnyEntry) {
    Watch waitWhileRunning(true, "", kRunning);
    waitWhileRunning.form.Timer1_Timer();
    EXPECT_EQ(waitWhileRunning.status(), "Found.");

    Watch waitUntilRunning(false, "", kRunning);
    waitUntilRunning.form.Timer1_Timer();
    EXPECT_TRUE(waitUntilRunning.ended());
}

TEST(WatchTick, AnEmptySnapshotIsNotFoundButAFailedOneDecidesNothing) {
    Watch empty(true, "calc", {});
    empty.form.Timer1_Timer();
    EXPECT_EQ(empty.tk.unloads, std::vector<int>{0});

    Watch failed(true, "calc", kRunning);
    failed.processes.fail();
    failed.tk.entries = {"stale"};
    for (int i = 0; i < 3; ++i) failed.form.Timer1_Timer();
    EXPECT_FALSE(failed.ended());
    EXPECT_TRUE(failed.tk.entries.empty());
    EXPECT_EQ(failed.status(), "") << "no status is written without a snapshot";
    EXPECT_EQ(failed.tk.label3Color, design::kRed) << "the label still blinks";
    EXPECT_EQ(failed.tk.warnings.size(), 1u) << "reported once, not on every tick";

    // Once processes can be read again the watch decides as usual.
    failed.processes.set({"bash"});
    failed.form.Timer1_Timer();
    EXPECT_EQ(failed.tk.unloads, std::vector<int>{0});
}

TEST(WatchTick, AFailureAfterRecoveryIsReportedAgain) {
    Watch w(false, "calc", {"bash"});
    w.processes.results = {std::nullopt, std::vector<std::string>{"bash"}, std::nullopt};
    for (int i = 0; i < 3; ++i) w.form.Timer1_Timer();
    EXPECT_FALSE(w.ended());
    EXPECT_EQ(w.tk.warnings.size(), 2u);
}

TEST(WatchTick, BlinksOnEveryTickIncludingTheLast) {
    Watch w(false, "calc", {"bash"});
    const std::vector<std::uint32_t> expected{design::kRed, design::kButtonFace, design::kRed};
    for (std::uint32_t colour : expected) {
        w.form.Timer1_Timer();
        EXPECT_EQ(w.tk.label3Color, colour);
    }
    w.processes.set({"calc"});
    w.form.Timer1_Timer();
    EXPECT_TRUE(w.ended());
    EXPECT_EQ(w.tk.label3Color, design::kButtonFace);

    Watch odd(true, "bash", {"bash"});
    odd.tk.label3Color = 0x00FF00;
    odd.form.Timer1_Timer();
    EXPECT_EQ(odd.tk.label3Color, design::kButtonFace);
}

TEST(WatchTick, TaskNameIsReadUnchangedAfreshAtEveryTick) {
    Watch w(true, " bash ", {"bash", "my bash job"});
    w.form.Timer1_Timer();
    EXPECT_EQ(w.form.TaskName(), " bash ");
    EXPECT_EQ(w.status(), "Found.") << "only the entry with the spaces around it holds it";
}

TEST(WatchTick, SpacesAroundATypedTaskNameMustOccurInTheEntry) {
    Watch w(true, " bash", {"bash", "sh"});
    w.form.Timer1_Timer();
    EXPECT_TRUE(w.ended());
}

TEST(WatchTick, SeveralMatchesCountAsOneAndEveryEntryIsSearched) {
    Watch w(false, "sleep", {"sleep", "bash", "sleep", "sleep"});
    w.form.Timer1_Timer();
    EXPECT_EQ(w.tk.unloads, std::vector<int>{0});
}

TEST(WatchTick, ChangesBetweenTicksTakeEffectAtTheNextTick) {
    Watch w(true, "calc", kRunning);
    w.form.Timer1_Timer();
    EXPECT_EQ(w.status(), "Found.");
    w.tk.text1 = "notepad";
    w.tk.option1 = false;  // now: wait until notepad runs
    w.form.Timer1_Timer();
    EXPECT_FALSE(w.ended());
    EXPECT_EQ(w.status(), "Not found.");
    EXPECT_EQ(w.form.TaskName(), "notepad");
    w.tk.option1 = true;  // wait while notepad runs: it does not
    w.form.Timer1_Timer();
    EXPECT_EQ(w.tk.unloads, std::vector<int>{0});
}

TEST(WatchTick, AnErrorDuringATickEndsTheProgramWithTheFailureStatus) {
    Watch w(false, "calc", kRunning);
    w.processes.throwNext = true;
    EXPECT_NO_THROW(w.form.Timer1_Timer());
    EXPECT_EQ(w.tk.unloads, std::vector<int>{1});
    EXPECT_TRUE(w.tk.messages.empty()) << "silently";

    // Memory that runs short is a list that could not be read: one warning, no end.
    Watch low(false, "calc", kRunning);
    low.processes.outOfMemory = 2;
    low.form.Timer1_Timer();
    low.form.Timer1_Timer();
    EXPECT_FALSE(low.ended());
    EXPECT_EQ(low.tk.warnings.size(), 1u);
    low.form.Timer1_Timer();
    EXPECT_EQ(low.tk.unloads, std::vector<int>{0});
}

TEST(WatchTick, ListsLongerThanSixteenBitsAreSearchedToTheEnd) {
    std::vector<std::string> many(40000, "idle");
    many.back() = "calc";
    Watch w(true, "calc", many);
    w.form.Timer1_Timer();
    EXPECT_FALSE(w.ended());
    EXPECT_EQ(w.status(), "Found.");
}

}  // namespace
