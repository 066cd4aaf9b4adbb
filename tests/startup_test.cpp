#include <gtest/gtest.h>

#include "tests/fake_toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"
#include "ui/messages.h"

namespace {

struct Started {
    FakeToolkit tk;
    ScriptedProcesses processes;
};

// Runs Form_Load with the given argument text.
void load(Started& s, const std::string& arguments) {
    s.tk.arguments = arguments;
    s.processes.set({"Init", "Bash"});
    Form1 form(s.tk, s.processes);
    form.Form_Load();
}

void expectRejected(const std::string& arguments) {
    Started s;
    load(s, arguments);
    ASSERT_EQ(s.tk.messages.size(), 1u) << arguments;
    EXPECT_EQ(s.tk.messages[0], "your arguments are not right\r\n" + arguments);
    EXPECT_EQ(s.tk.unloads, std::vector<int>{2});
    EXPECT_FALSE(s.tk.timer);
}

void expectWatch(const std::string& arguments, bool option1, const std::string& task) {
    Started s;
    load(s, arguments);
    EXPECT_TRUE(s.tk.messages.empty()) << arguments;
    EXPECT_TRUE(s.tk.unloads.empty()) << arguments;
    EXPECT_TRUE(s.tk.timer) << arguments;
    EXPECT_EQ(s.tk.option1, option1) << arguments;
    EXPECT_EQ(s.tk.text1, task) << arguments;
    EXPECT_EQ(s.tk.captions[Control::Command4], "Stop Looking");
    EXPECT_TRUE(s.tk.entries.empty()) << "the list waits for the first tick";
    EXPECT_EQ(s.processes.calls, 0);
}

TEST(Startup, NoArgumentsFillsTheListAndLeavesTheWatchStopped) {
    Started s;
    load(s, "");
    EXPECT_TRUE(s.tk.messages.empty());
    EXPECT_TRUE(s.tk.unloads.empty());
    EXPECT_FALSE(s.tk.timer);
    EXPECT_EQ(s.tk.entries, (std::vector<std::string>{"init", "bash"}));
    EXPECT_TRUE(s.tk.option1);
    EXPECT_EQ(s.tk.text1, "");
    EXPECT_EQ(s.tk.label3Color, design::kButtonFace);
    EXPECT_EQ(s.tk.captions[Control::Label3], "");
    EXPECT_EQ(s.tk.captions[Control::Command1], "Update task list");
    EXPECT_EQ(s.tk.captions[Control::Command2], "Usage");
    EXPECT_EQ(s.tk.captions[Control::Command3], "About...");
    EXPECT_EQ(s.tk.captions[Control::Command4], "Start Looking");
    EXPECT_EQ(s.tk.captions[Control::Command5], "Make command line");
    EXPECT_EQ(s.tk.captions[Control::Label1], "Task List:");
    EXPECT_EQ(s.tk.captions[Control::Label2], "Wait if task name:");
}

TEST(Startup, ModeOneSelectsIsRunningAndAnyOtherNumberIsNotRunning) {
    expectWatch("/1 /calc.exe", true, "calc.exe");
    expectWatch(" /1 /calc.exe ", true, "calc.exe");  // as the command-line builder writes it
    expectWatch("/  1  /calc.exe", true, "calc.exe");
    expectWatch("/+1/calc.exe", true, "calc.exe");
    for (const char* mode : {"0", "2", "-1", "32767", "-32768", "01"}) {
        expectWatch(std::string("/") + mode + "/calc.exe", std::string(mode) == "01", "calc.exe");
    }
}

TEST(Startup, TaskNameIsTrimmedOfSpacesOnlyAndCutAtTheNextSlash) {
    expectWatch("/1/  my task  ", true, "my task");
    expectWatch("/1/\tx\t", true, "\tx\t");  // tabs are not spaces
    expectWatch("/1/dir/calc.exe", true, "dir");
    expectWatch("ignored /0 /Calc.EXE /more /and more", false, "Calc.EXE");
    expectWatch("/1/", true, "");
    expectWatch("/1/ ", true, "");
}

TEST(Startup, TextWithoutTwoSlashesIsRejected) {
    expectRejected("calc.exe");
    expectRejected("1");
    expectRejected("/1");
    expectRejected("/1 calc.exe");
    expectRejected(" ");
    expectRejected("   ");
}

TEST(Startup, ModeThatIsNoSixteenBitNumberIsRejected) {
    expectRejected("//calc.exe");
    expectRejected("/ /calc.exe");
    expectRejected("/one/calc.exe");
    expectRejected("/1x/calc.exe");
    expectRejected("/1.0/calc.exe");
    expectRejected("/32768/calc.exe");
    expectRejected("/-32769/calc.exe");
    expectRejected("/99999999999999999999/calc.exe");
    expectRejected("/-/calc.exe");
    expectRejected("/\t1/calc.exe");
}

TEST(Startup, ARejectionShowsTheRawTextVerbatim) {
    expectRejected("  /x  /a b/  ");
    expectRejected("-platform offscreen");
}

TEST(Startup, AFailingToolkitDuringStartUpIsARejection) {
    Started s;
    s.tk.failOnCaption = "About...";
    load(s, "/1/calc");
    EXPECT_EQ(s.tk.messages, std::vector<std::string>{"your arguments are not right\r\n/1/calc"});
    EXPECT_EQ(s.tk.unloads, std::vector<int>{2});
    EXPECT_FALSE(s.tk.timer);
}

TEST(Startup, AFailingSnapshotOnTheInteractivePathIsARejectionWithAnEmptySecondLine) {
    Started s;
    s.tk.arguments = "";
    s.processes.throwNext = true;
    Form1 form(s.tk, s.processes);
    form.Form_Load();
    EXPECT_EQ(s.tk.messages, std::vector<std::string>{"your arguments are not right\r\n"});
    EXPECT_EQ(s.tk.unloads, std::vector<int>{2});
}

TEST(Arguments, SplitKeepsEveryPiece) {
    EXPECT_EQ(splitAll("", '/'), std::vector<std::string>{""});
    EXPECT_EQ(splitAll("/", '/'), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(splitAll("a//b/", '/'), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(Arguments, SixteenBitConversionBounds) {
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_EQ(toInt16("-0"), 0);
    EXPECT_EQ(toInt16("00000000000000000001"), 1);
    EXPECT_THROW(toInt16(""), std::runtime_error);
    EXPECT_THROW(toInt16("+"), std::runtime_error);
    EXPECT_THROW(toInt16("1 "), std::runtime_error);
    EXPECT_THROW(toInt16("0x1"), std::runtime_error);
}

}  // namespace

namespace {

// One row: the argument text, then what takeOptions makes of it.
struct OptionCase {
    const char* text;
    const char* rest;  // nullptr: rejected with an error that names `problem`
    bool help, version;
    std::optional<int> timeoutMs, intervalMs;
    const char* problem = "";
};

TEST(Options, AreTakenOutAnywhereAndTheRestKeepsItsMeaning) {
    const std::optional<int> none;
    const OptionCase cases[] = {
        {"/1 /setup", "/1 /setup", false, false, none, none},
        {"--timeout=60 /1 /setup", "/1 /setup", false, false, 60000, none},
        {"/1 /setup --timeout=60", "/1 /setup", false, false, 60000, none},
        {"/1 --interval=0.2 /my task", "/1 /my task", false, false, none, 200},
        {"/1 /my --interval=1 task", "/1 /my task", false, false, none, 1000},
        {"--help", "", true, false, none, none},
        {"-h /1 /x", "/1 /x", true, false, none, none},
        {"/0 /x -V", "/0 /x", false, true, none, none},
        {"--version --interval=3600 --timeout=.5", "", false, true, 500, 3600000},
        {"--timeout=1 --timeout=2.25 /0/x", "/0/x", false, false, 2250, none},  // the last wins
        {"--timeout=0.0019 /1/x", "/1/x", false, false, 1, none},               // cut to 1 ms
        {"--timeout=2147483.647 /1/x", "/1/x", false, false, 2147483647, none},
        {"/1 /--x /-h- -v -H", "/1 /--x /-h- -v -H", false, false, none, none},  // no option words
        {"/1\t--timeout=5\t/x", "/1\t/x", false, false, 5000, none},
        {"--bogus /1 /x", nullptr, false, false, none, none, "unknown option --bogus"},
        {"/1 / --", nullptr, false, false, none, none, "unknown option --"},
        {"--timeouts=5", nullptr, false, false, none, none, "unknown option --timeouts=5"},
        {"--help=1", nullptr, false, false, none, none, "unknown option --help=1"},
        {"--timeout", nullptr, false, false, none, none, "--timeout"},
        {"--timeout=0", nullptr, false, false, none, none, "--timeout=0"},
        {"--timeout=0.0001", nullptr, false, false, none, none, "--timeout=0.0001"},
        {"--timeout=-5", nullptr, false, false, none, none, "--timeout=-5"},
        {"--timeout=1,5", nullptr, false, false, none, none, "--timeout=1,5"},
        {"--timeout=1.5s", nullptr, false, false, none, none, "--timeout=1.5s"},
        {"--timeout=.", nullptr, false, false, none, none, "--timeout=."},
        {"--timeout=2147484", nullptr, false, false, none, none, "--timeout=2147484"},
        {"--timeout=1e3", nullptr, false, false, none, none, "--timeout=1e3"},
        {"--interval=0.099", nullptr, false, false, none, none, "--interval=0.099"},
        {"--interval=3600.001", nullptr, false, false, none, none, "--interval=3600.001"},
        {"--interval=", nullptr, false, false, none, none, "--interval="},
    };
    for (const auto& c : cases) {
        if (c.rest == nullptr) {
            try {
                takeOptions(c.text);
                ADD_FAILURE() << c.text << ": accepted";
            } catch (const OptionError& e) {
                EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("--help"), std::string::npos) << e.what();
            }
            continue;
        }
        const SplitArguments split = takeOptions(c.text);
        EXPECT_EQ(split.rest, c.rest) << c.text;
        EXPECT_EQ(split.options.help, c.help) << c.text;
        EXPECT_EQ(split.options.version, c.version) << c.text;
        EXPECT_EQ(split.options.timeoutMs, c.timeoutMs) << c.text;
        EXPECT_EQ(split.options.intervalMs, c.intervalMs) << c.text;
        EXPECT_EQ(split.options.given, std::string(c.text) != c.rest) << c.text;
    }
}

TEST(Startup, HelpAndVersionShowTheirTextAndEndWithStatusZero) {
    for (const char* arguments : {"--help", "/1 /x -h", "-V", "--version /0 /x", "-V -h"}) {
        Started s;
        load(s, arguments);
        ASSERT_EQ(s.tk.information.size(), 1u) << arguments;
        const bool help = std::string(arguments).find('h') != std::string::npos;
        EXPECT_EQ(s.tk.information[0], help ? helpText() : "lingerjob 1.0.0") << arguments;
        EXPECT_EQ(s.tk.unloads, std::vector<int>{0}) << arguments;
        EXPECT_FALSE(s.tk.timer) << arguments;
        EXPECT_TRUE(s.tk.messages.empty()) << arguments;
    }
    for (const char* needed : {"--timeout=", "--interval=", "--version", "124", "Lingerjob.exe"}) {
        EXPECT_NE(helpText().find(needed), std::string::npos) << needed;
    }
}

TEST(Startup, OptionsGoToTheToolkitOnTheWatchAndTheInteractivePaths) {
    Started watch;
    load(watch, "--interval=0.2 /0 /calc.exe --timeout=1.5");
    EXPECT_TRUE(watch.tk.timer);
    EXPECT_EQ(watch.tk.interval, 200);
    EXPECT_EQ(watch.tk.deadline, 1500);
    EXPECT_EQ(watch.tk.text1, "calc.exe");

    Started plain;  // without options nothing changes
    load(plain, "/0 /calc.exe");
    EXPECT_EQ(plain.tk.interval, 3000);
    EXPECT_FALSE(plain.tk.deadline.has_value());

    Started interactive;  // options alone: the window, with the options applied
    load(interactive, " --timeout=60  --interval=1 ");
    EXPECT_TRUE(interactive.tk.messages.empty());
    EXPECT_FALSE(interactive.tk.timer);
    EXPECT_EQ(interactive.tk.captions[Control::Command4], "Start Looking");
    EXPECT_EQ(interactive.tk.entries.size(), 2u);
    EXPECT_EQ(interactive.tk.interval, 1000);
    EXPECT_EQ(interactive.tk.deadline, 60000);
}

TEST(Startup, ABadOptionIsRejectedWithTheRawTextAndALineOnTheProblem) {
    Started s;
    load(s, "/1 /x --timout=5");
    EXPECT_EQ(s.tk.messages, std::vector<std::string>{"your arguments are not right\r\n/1 /x "
                                                      "--timout=5\r\nunknown option --timout=5 "
                                                      "(see --help)"});
    EXPECT_EQ(s.tk.unloads, std::vector<int>{2});
    EXPECT_FALSE(s.tk.deadline.has_value());
}

TEST(Startup, ArgumentsThatJoinToNothingAreRejectedNotInteractive) {
    for (const char* arguments : {"", " ", "\t"}) {
        Started s;
        s.tk.given = true;  // lingerjob "" : given, but empty once joined
        load(s, arguments);
        EXPECT_EQ(s.tk.messages, std::vector<std::string>{
                                     std::string("your arguments are not right\r\n") + arguments});
        EXPECT_EQ(s.tk.unloads, std::vector<int>{2});
        EXPECT_EQ(s.processes.calls, 0);
    }
}

TEST(Startup, UnderCmdQuotesAreRemovedBeforeTheTextIsCutButShownInARejection) {
    expectWatch("\"/1 /setup tool.exe\"", true, "setup tool.exe");
    expectWatch("/0 /\"x.exe\"", false, "x.exe");
    expectWatch("\"/1\" \"/x\"", true, "x");
    expectWatch("\"--interval=1\" /1 /x", true, "x");
    expectRejected("\"\"");
    expectRejected("\"/1\"");
    Started posix;  // a POSIX shell has removed its quotes already: the rest are the user's
    posix.tk.shell = CommandShell::Posix;
    load(posix, "/1 /\"x\"");
    EXPECT_EQ(posix.tk.text1, "\"x\"");
}

}  // namespace
