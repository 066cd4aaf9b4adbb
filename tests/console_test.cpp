// The console adapter: the controls kept in memory, message texts on standard
// error, and the timer as sleeps between ticks, driving Form1 as the program does.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>

#include "app/console/console_app.h"
#include "app/console/console_toolkit.h"
#include "app/shared/schedule.h"
#include "contract/design.h"
#include "contract/runtime_error.h"
#include "tests/fake_toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Console {
    std::ostringstream out, err;
    ScriptedProcesses processes;
    ConsoleToolkit toolkit;
    Form1 form{toolkit, processes};
    ConsoleApp app{form, toolkit};

    explicit Console(const std::string& arguments,
                     const std::string& program = "/usr/bin/lingerjob")
        : toolkit(arguments, !arguments.empty(), program, out, err) {
        processes.set({"init", "bash"});
    }
};

TEST(Console, ControlsKeepTheDesignValuesAndWhatHandlersSet) {
    Console c("");
    ConsoleToolkit& tk = c.toolkit;
    EXPECT_EQ(tk.caption(Control::Command5), "cmdline");
    EXPECT_TRUE(tk.value(Control::Option1));
    EXPECT_EQ(tk.backColor(Control::Label3), design::kButtonFace);
    EXPECT_EQ(tk.listWidth(), 2895);
    EXPECT_EQ(tk.clientHeight(), 5400);
    tk.setValue(Control::Option2, true);
    EXPECT_FALSE(tk.value(Control::Option1));
    EXPECT_TRUE(tk.value(Control::Option2));
    tk.setText(Control::Text1, "task");
    EXPECT_EQ(tk.text(Control::Text1), "task");
    tk.listAppend("a");
    EXPECT_EQ(tk.listItem(0), "a");
    EXPECT_THROW(tk.listItem(1), RuntimeError);
    EXPECT_THROW(tk.setBackColor(Control::Label2, design::kRed), RuntimeError);
    EXPECT_THROW(tk.setCaption(Control::Text1, "x"), RuntimeError);
    EXPECT_EQ(tk.listSelectedIndex(), -1);
    EXPECT_TRUE(ConsoleToolkit("", true, "/x/lingerjob").argumentsGiven());
}

TEST(Console, MakeCommandLineNamesTheProgramByItsWholeFileName) {
    Console c("", "/opt/apps/Lingerjob-1.0-x86_64.AppImage");
    c.form.Command5_Click();
    EXPECT_EQ(c.toolkit.clipboard(), "/opt/apps/Lingerjob-1.0-x86_64.AppImage /1 / ");
    EXPECT_EQ(c.err.str(), c.toolkit.clipboard() + "\nCopied to clipboard.\n");
    c.toolkit.showInformation("a\r\nb");
    c.toolkit.warn("careful");
    EXPECT_EQ(c.out.str(), "a\nb\n");
    EXPECT_NE(c.err.str().find("\nlingerjob: careful\n"), std::string::npos);
}

TEST(Console, StartsThatCannotWaitEndAtOnce) {
    Console rejected("/x");
    EXPECT_FALSE(rejected.app.start());
    EXPECT_EQ(rejected.app.exitStatus(), 2);
    // On standard error the rejection ends with the form expected.
    const std::string usage = "lingerjob: " + expectedForm() + "\n";
    EXPECT_EQ(rejected.err.str(), "your arguments are not right\n/x\n" + usage);

    // Control characters of the text shown visibly, the message's own line breaks kept.
    Console escapes("/1 /\xc3\x9c\n --\x1b[2Jz\xc2\x9b\x7f\xe2\x80\xae\xff");
    EXPECT_FALSE(escapes.app.start());
    EXPECT_EQ(
        escapes.err.str(),
        "your arguments are not right\n/1 /\xc3\x9c\\n --\\x1b[2Jz\\xc2\\x9b\\x7f\\u202e\\xff\n"
        "unknown option --\\x1b[2Jz\\xc2\\x9b\\x7f\\u202e\\xff (see --help)\n" +
            usage);

    Console unwritable("--version");  // a full disk, a closed standard output
    unwritable.out.setstate(std::ios::badbit);
    EXPECT_FALSE(unwritable.app.start());
    EXPECT_EQ(unwritable.app.exitStatus(), 1);
    EXPECT_EQ(unwritable.err.str().rfind("lingerjob: write error: ", 0), 0u);

    Console interactive("");
    EXPECT_FALSE(interactive.app.start());
    EXPECT_EQ(interactive.app.exitStatus(), 1);
    EXPECT_EQ(interactive.err.str().rfind("lingerjob: no display", 0), 0u);
}

TEST(Console, TheFirstTickComesOneIntervalAfterTheStartAndEndsTheWait) {
    // Taken no later than the toolkit's start, which the beat counts from.
    const auto started = Clock::now();
    Console c("/1 /no-such-task");
    c.toolkit.setTimerInterval(50);  // used from the next enabling: start-up's
    ASSERT_TRUE(c.app.start());
    EXPECT_EQ(c.app.run(), 0);
    EXPECT_GE(Clock::now() - started, milliseconds(50));
    EXPECT_EQ(c.processes.calls, 1);
    EXPECT_EQ(c.err.str(), "");
}

TEST(Console, ACheckDueWithTheDeadlineRunsFirst) {
    Console c("/1 /no-such-task --timeout=0.1 --interval=0.1");
    ASSERT_TRUE(c.app.start());
    EXPECT_EQ(c.app.run(), 0);
    EXPECT_EQ(c.processes.calls, 1);
}

// The beat is the program's start plus whole intervals: a late check neither
// shifts it nor makes up for the checks a stall missed; an early check leaves it.
TEST(Schedule, ChecksKeepTheBeatOfTheStartAndComeBeforeTheirDeadline) {
    auto now = Clock::now();
    const auto started = now - milliseconds(2500);  // a window ran until now
    Schedule schedule([&now] { return now; });
    schedule.startFrom(started);
    schedule.setInterval(1000);
    schedule.setDeadline(10000);
    schedule.setEnabled(true);
    EXPECT_EQ(*schedule.wake(), started + milliseconds(3000));
    const std::pair<int, int> takenThenNext[] = {
        {3300, 4000}, {4000, 5000}, {7800, 8000}, {10000, 11000}};
    for (const auto& [taken, next] : takenThenNext) {
        now = started + milliseconds(taken);
        const Schedule::Due due = schedule.take();
        EXPECT_TRUE(due.check) << "at " << taken;
        EXPECT_EQ(due.timeOut, taken == 10000) << "a check at the deadline comes first";
        EXPECT_EQ(*schedule.nextCheck(), started + milliseconds(next)) << "at " << taken;
        if (taken == 7800) {
            schedule.checkEarly();
            EXPECT_EQ(*schedule.wake(), now);
            EXPECT_TRUE(schedule.take().check);
            EXPECT_FALSE(schedule.take().check);
            EXPECT_EQ(*schedule.wake(), started + milliseconds(8000)) << "the beat stays";
        }
    }
    schedule.setEnabled(false);
    schedule.checkEarly();
    EXPECT_FALSE(schedule.wake()) << "no early check while Timer1 is off";
    schedule.endStartUp();
    schedule.setEnabled(true);
    EXPECT_EQ(*schedule.wake(), now + milliseconds(1000)) << "the user's start: a fresh interval";
}

// Awaited processes that end 1 s after the check that found them (when ending),
// on a clock that the sleeps move on.
struct FakeEnds : ProcessEndWatch {
    Clock::time_point& now;
    const Clock::time_point start = now;
    bool ending;
    std::optional<Clock::time_point> endAt;
    std::vector<int> woke;  // ms after the start
    std::vector<std::vector<ProcessId>> watched;

    FakeEnds(Clock::time_point& clock, bool ending) : now(clock), ending(ending) {}
    void watch(const std::vector<ProcessId>& ids) override {
        watched.push_back(ids);
        endAt.reset();
        if (ending && !ids.empty()) endAt = now + milliseconds(1000);
    }
    bool allEnded() const override { return endAt && now >= *endAt; }
    bool sleepUntil(TimePoint until) override {
        now = endAt ? std::min(until, *endAt) : until;
        woke.push_back(static_cast<int>((now - start) / milliseconds(1)));
        return allEnded();
    }
};

// Two beats, or a check at once each time the awaited processes have ended.
TEST(Console, TheLoopChecksOnTheBeatAndAtOnceWhenTheAwaitedProcessesEnd) {
    using Result = ScriptedProcesses::Result;
    for (const bool ending : {false, true}) {
        Console c("/1 /task --timeout=9");
        auto now = Clock::now();
        c.toolkit.schedule().useClock([&now] { return now; });
        FakeEnds ends(now, ending);
        ConsoleApp app(c.form, c.toolkit, &ends);
        c.processes.results = {Result{{"init", "task"}}, Result{{"init", "task", "task"}},
                               Result{{"init"}}};
        ASSERT_TRUE(app.start());
        EXPECT_EQ(app.run(), 0) << "a check due with the deadline runs first";
        const std::vector<int> woke =
            ending ? std::vector<int>{3000, 4000, 5000} : std::vector<int>{3000, 6000, 9000};
        EXPECT_EQ(ends.woke, woke);
        EXPECT_EQ(ends.watched, (std::vector<std::vector<ProcessId>>{{2}, {2, 3}}));
        EXPECT_EQ(c.processes.calls, 3);
    }
}

TEST(Console, TheDeadlineEndsAWaitBetweenTicksWithStatus124) {
    Console c("/0 /no-such-task");
    ASSERT_TRUE(c.app.start());
    c.toolkit.setDeadline(30);
    const auto started = Clock::now();
    EXPECT_EQ(c.app.run(), 124);
    EXPECT_LT(Clock::now() - started, milliseconds(2500)) << "it waited for the tick";
    EXPECT_EQ(c.processes.calls, 0);
}

// A toolkit whose message boxes fail: the rejection's box escapes Form_Load.
struct FailingBoxes : ConsoleToolkit {
    using ConsoleToolkit::ConsoleToolkit;
    void messageBox(const std::string&) override { throw RuntimeError("stderr is gone"); }
};

TEST(Console, AnErrorEscapingAHandlerIsReportedAndEndsWithStatusOne) {
    std::ostringstream out, err;
    ScriptedProcesses processes;
    FailingBoxes toolkit("/x", true, "/usr/bin/lingerjob", out, err);
    Form1 form(toolkit, processes);
    ConsoleApp app(form, toolkit);
    EXPECT_FALSE(app.start());
    EXPECT_EQ(app.exitStatus(), 1);
    EXPECT_EQ(err.str(), "lingerjob: run-time error: stderr is gone\n");
}

// A toolkit whose message boxes run a modal loop that delivers an event.
struct ModalBoxes : ConsoleToolkit {
    using ConsoleToolkit::ConsoleToolkit;
    std::function<void()> inTheLoop;
    void messageBox(const std::string& text) override {
        if (inTheLoop) inTheLoop();
        ConsoleToolkit::messageBox(text);
    }
};

TEST(Console, NoHandlerRunsWhileAnErrorIsReportedAndNoErrorIsReportedAfterTheUnload) {
    std::ostringstream out, err;
    ScriptedProcesses processes;
    ModalBoxes toolkit("", false, "/usr/bin/lingerjob", out, err);
    Form1 form(toolkit, processes);
    FormHost host(form, toolkit);
    bool ranInTheLoop = false;
    toolkit.inTheLoop = [&] { host.dispatch([&] { ranInTheLoop = true; }); };
    host.dispatch([] { throw RuntimeError("broken"); });
    EXPECT_FALSE(ranInTheLoop);
    EXPECT_EQ(host.exitStatus(), 1);

    std::ostringstream out2, err2;
    ModalBoxes closed("", false, "/usr/bin/lingerjob", out2, err2);
    Form1 form2(closed, processes);
    FormHost host2(form2, closed);
    host2.dispatch([&] {
        closed.unload(0);  // the window went; what fails after it is nobody's to see
        throw RuntimeError("late");
    });
    EXPECT_EQ(host2.exitStatus(), 0);
    EXPECT_EQ(err2.str(), "");
}

}  // namespace
