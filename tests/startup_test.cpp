#include <gtest/gtest.h>

#include <tuple>

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

TEST(Startup, ModeOneWaitsWhileRunningAnyOtherWhileNotAndBothAreTrimmedOfBlanks) {
    const std::tuple<std::string, bool, std::string> watches[] = {
        {"/1 /calc.exe", true, "calc.exe"},
        {" /1 /calc.exe ", true, "calc.exe"},  // as the command-line builder writes it
        {"/  1  /calc.exe", true, "calc.exe"},
        {"/+1/calc.exe", true, "calc.exe"},
        {"/0/calc.exe", false, "calc.exe"},
        {"/2/calc.exe", false, "calc.exe"},
        {"/-1/calc.exe", false, "calc.exe"},
        {"/32767/calc.exe", false, "calc.exe"},
        {"/-32768/calc.exe", false, "calc.exe"},
        {"/01/calc.exe", true, "calc.exe"},
        // Mode and task trimmed of spaces and tabs, the task cut at the next slash.
        {"/1/  my task  ", true, "my task"},
        {"/\t1 \t/\t my\ttask \t", true, "my\ttask"},  // a batch line's stray tab
        {"/1/dir/calc.exe", true, "dir"},
        {"ignored /0 /Calc.EXE /more /and more", false, "Calc.EXE"},
        {"/1/", true, ""},
        {"/1/ ", true, ""},
    };
    for (const auto& [arguments, option1, task] : watches) expectWatch(arguments, option1, task);
}

TEST(Startup, TextWithoutTwoSlashesOrAModeThatIsNoSixteenBitNumberIsRejectedVerbatim) {
    for (const char* arguments : {
             "calc.exe",
             "1",
             "/1",
             "/1 calc.exe",
             " ",
             "   ",  // fewer than two slashes
             "//calc.exe",
             "/ /calc.exe",
             "/one/calc.exe",
             "/1x/calc.exe",
             "/1.0/calc.exe",
             "/32768/calc.exe",
             "/-32769/calc.exe",
             "/99999999999999999999/calc.exe",
             "/-/calc.exe",
             "/18446744073709551617/calc.exe",  // 2^64 + 1: 1 if the digits ever wrapped round
             "/1\v/calc.exe",
             "  /x  /a b/  ",
             "-platform offscreen",  // the raw text shown as it is
         }) {
        expectRejected(arguments);
    }
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

TEST(Startup, HelpFitsATerminalOrABox) {
    const auto lines = [](const std::string& text) {
        std::vector<std::string> all;
        for (std::size_t at = 0, end; at <= text.size(); at = end + 2) {
            end = std::min(text.find("\r\n", at), text.size());
            all.push_back(text.substr(at, end - at));
        }
        return all;
    };
    for (const CommandShell shell : {CommandShell::Posix, CommandShell::Cmd}) {
        for (const auto& line : lines(helpText(shell, true))) EXPECT_LE(line.size(), 79u) << line;
    }
    // lingerjob.com's: batch examples that run the console program, not the window.
    const std::string console = helpText(CommandShell::Cmd, true);
    EXPECT_NE(console.find("\r\n  lingerjob --timeout=600 /1 /setup.exe\r\n"), std::string::npos);
    EXPECT_EQ(console.find("Lingerjob.exe"), std::string::npos);
    EXPECT_EQ(console.find("./"), std::string::npos);
    // The box breaks lines itself: every line of prose ends a sentence or leads a list.
    const std::string windows = helpText(CommandShell::Cmd, false);
    for (const auto& line : lines(windows)) {
        if (line.empty() || line[0] == ' ' || line.rfind("Usage:", 0) == 0) continue;
        EXPECT_TRUE(line.back() == '.' || line.back() == ':') << line;
    }
    EXPECT_NE(windows.find("\r\n    Lingerjob.exe --timeout=600 /1 /setup.exe\r\n"),
              std::string::npos);
    EXPECT_EQ(windows.find("./"), std::string::npos);
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
    EXPECT_THROW(toInt16("18446744073709551617"), std::runtime_error);
}

}  // namespace

namespace {

// What Form_Load makes of the argument text, in one line: "watch 1 [task]",
// "window", "info <first line>" or "rejected <raw> | <what is wrong>", then the
// interval and the deadline when given, and the status when it ended.
std::string outcome(const std::string& arguments, CommandShell shell = CommandShell::Cmd,
                    bool given = true) {
    Started s;
    s.tk.shell = shell;
    s.tk.given = given;
    load(s, arguments);
    const std::string rejection = "your arguments are not right\r\n";
    std::string r =
        s.tk.timer ? std::string("watch ") + (s.tk.option1 ? "1" : "0") + " [" + s.tk.text1 + "]"
                   : "window";
    if (!s.tk.information.empty()) r = "info " + s.tk.information[0].substr(0, 40);
    if (!s.tk.messages.empty()) r = "rejected " + s.tk.messages[0].substr(rejection.size());
    for (std::size_t at; (at = r.find("\r\n")) != std::string::npos;) r.replace(at, 2, " | ");
    if (s.tk.interval != 3000) r += " interval=" + std::to_string(s.tk.interval);
    if (s.tk.deadline) r += " deadline=" + std::to_string(*s.tk.deadline);
    for (const int status : s.tk.unloads) r += " status=" + std::to_string(status);
    return r;
}

TEST(Startup, OptionsAnywhereAreTakenOutAndTheRestKeepsItsMeaning) {
    const std::pair<const char*, const char*> cases[] = {
        {"--timeout=60 /1 /setup", "watch 1 [setup] deadline=60000"},
        {"/1 /setup --timeout=60", "watch 1 [setup] deadline=60000"},
        {"/0 /my --interval=0.2 task", "watch 0 [my task] interval=200"},
        {"--timeout=1 --timeout=2.25 /0/x", "watch 0 [x] deadline=2250"},
        {"--timeout=0.0019 --interval=3600 /1/x", "watch 1 [x] interval=3600000 deadline=1"},
        {"--timeout=0.0001 /1/x", "watch 1 [x] deadline=1"},  // above 0: at least 1 ms
        {"/1 /--x /-h- -v -H", "watch 1 [--x]"},
        {" --interval=1  --timeout=60 ", "window interval=1000 deadline=60000"},
        {"/1 /x -V -h", "info Usage: lingerjob [OPTION]... /MODE /TASK status=0"},
        {"--version /0 /x", "info lingerjob 1.0.0 status=0"},
        {"--bogus /1 /x", "rejected --bogus /1 /x | unknown option --bogus (see --help) status=2"},
        // after the word "--" no word is an option, wherever it stands
        {"--interval=1 -- /1 /my --x -h app", "watch 1 [my --x -h app] interval=1000"},
        {"/0 /a -- --timeout=1 -- b", "watch 0 [a --timeout=1 -- b]"},
        {"/1 / --", "watch 1 []"},
        {"--", "rejected -- status=2"},
        {"-- --help", "rejected -- --help status=2"},
        // cmd hands on its quotes; they go before the text is cut
        {"\"/1 /setup tool.exe\"", "watch 1 [setup tool.exe]"},
        {"/0 /\"x.exe\"", "watch 0 [x.exe]"},
        {"\"/1\" \"/x\" \"--interval=1\"", "watch 1 [x] interval=1000"},
        {"\"/1\"", "rejected \"/1\" status=2"},
        {"\"\"", "rejected \"\" status=2"},
    };
    for (const auto& [arguments, expected] : cases) EXPECT_EQ(outcome(arguments), expected);
    for (const std::string bad :
         {"--timeout", "--timeout=0", "--timeout=.0000", "--timeout=1,5", "--timeout=1e3",
          "--timeout=2147484", "--interval=.099", "--interval=3600.001"}) {
        const std::string got = outcome("/1 /x " + bad);
        EXPECT_EQ(got.rfind("rejected /1 /x " + bad + " | bad value in " + bad + ":", 0), 0u)
            << got;
    }
    EXPECT_EQ(outcome("/1 /\"x\"", CommandShell::Posix), "watch 1 [\"x\"]");
    EXPECT_EQ(outcome("--exact /1 /x --full --no-window"), "watch 1 [x]");
    EXPECT_EQ(outcome("--full"), "window");
    EXPECT_EQ(outcome("", CommandShell::Posix, false), "window");
    EXPECT_EQ(outcome("", CommandShell::Posix, true), "rejected  status=2");  // lingerjob ""
}

}  // namespace

namespace {

// --exact and --full reach the watch and the built line; the task after a path's
// next "/" is named in a warning; a rejection's last line on stderr is the form.
TEST(Startup, MatchingOptionsReachTheWatchAndTheBuiltLine) {
    const auto run = [](const std::string& arguments, std::vector<std::string> names) {
        Started s;
        s.tk.arguments = arguments;
        s.processes.set(std::move(names));
        Form1 form(s.tk, s.processes);
        form.Form_Load();
        form.Command5_Click();
        std::string r = *s.tk.clipboard + "|" + (form.NoWindow() ? "no window|" : "");
        form.Timer1_Timer();
        r += s.tk.unloads.empty() ? "waits" : "over";
        for (const auto& w : s.tk.warnings) r += "|" + w;
        return r;
    };
    const std::string program = "C:\\Tools\\Lingerjob";
    EXPECT_EQ(run("/1 /sh", {"bash"}), program + " /1 /sh |waits");
    EXPECT_EQ(run("--exact /1 /sh", {"bash"}), program + " --exact /1 /sh |over");
    EXPECT_EQ(run("--full --exact --no-window -- /1 /a -h", {"bash"}),
              program + " --exact --full -- /1 \"/a -h\" |no window|over");
    EXPECT_EQ(run("/1 /tmp/x/ sleeper", {"sleeper"}),
              program +
                  " /1 /tmp |over|the task sought is \"tmp\"; \"x/ sleeper\" after the next "
                  "\"/\" is ignored. Give the program's name alone, e.g. /1 /sleeper");
    EXPECT_EQ(run("/0 /./build.sh", {"x.y"}).find("|the task sought is \".\"; \"build.sh\""),
              std::string(program + " /0 /. |over").size());
    EXPECT_EQ(run("/1 /x/ / ", {"x"}), program + " /1 /x |waits");  // no text after the task
    Started s;
    load(s, "/1 zebraquux");
    EXPECT_EQ(s.tk.warnings, std::vector<std::string>{expectedForm()});
}

}  // namespace
