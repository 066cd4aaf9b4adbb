#include <gtest/gtest.h>

#include "tests/fake_toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"

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
