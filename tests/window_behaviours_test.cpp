#include <gtest/gtest.h>

#include "contract/visible_text.h"
#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "ui/messages.h"

namespace {

struct Window {
    FakeToolkit tk;
    ScriptedProcesses processes;
    Form1 form{tk, processes};

    Window() {
        processes.set({"init", "calc.exe", "bash"});
        form.Form_Load();  // interactive start
    }
};

TEST(StartStop, TwoClicksRestoreTimerAndCaption) {
    Window w;
    EXPECT_FALSE(w.tk.timer);
    w.form.Command4_Click();
    EXPECT_TRUE(w.tk.timer);
    EXPECT_EQ(w.tk.captions[Control::Command4], "Stop Looking");
    w.form.Command4_Click();
    EXPECT_FALSE(w.tk.timer);
    EXPECT_EQ(w.tk.captions[Control::Command4], "Start Looking");
}

TEST(StartStop, DecidesByTheTimerNotByTheCaption) {
    Window w;
    w.tk.captions[Control::Command4] = "Start Looking";
    w.tk.timer = true;  // armed from the command line, say
    w.form.Command4_Click();
    EXPECT_FALSE(w.tk.timer);
    EXPECT_EQ(w.tk.captions[Control::Command4], "Start Looking");
}

TEST(StartStop, StartingChangesNeitherListNorStatusAndStoppingKeepsTheLastStatus) {
    Window w;
    const auto entries = w.tk.entries;
    const int calls = w.processes.calls;
    w.tk.option1 = false;
    w.tk.text1 = "notepad";
    w.form.Command4_Click();
    EXPECT_EQ(w.tk.entries, entries);
    EXPECT_EQ(w.processes.calls, calls);
    EXPECT_EQ(w.tk.captions[Control::Label3], "");
    EXPECT_EQ(w.tk.label3Color, design::kButtonFace);

    w.form.Timer1_Timer();
    w.form.Command4_Click();  // stop
    EXPECT_EQ(w.tk.captions[Control::Label3], "Not found.");
    EXPECT_EQ(w.tk.label3Color, design::kRed);
}

TEST(PickTask, AClickCopiesTheEntryAndKeepsModeAndWatch) {
    Window w;
    w.tk.text1 = "typed text";
    w.tk.option1 = false;
    w.tk.selected = 1;
    w.form.List1_Click();
    EXPECT_EQ(w.tk.text1, "calc.exe");
    EXPECT_FALSE(w.tk.option1);
    EXPECT_FALSE(w.tk.timer);
}

TEST(PickTask, NoSelectionLeavesText1Alone) {
    Window w;
    w.tk.text1 = "typed";
    w.tk.selected = -1;
    w.form.List1_Click();
    EXPECT_EQ(w.tk.text1, "typed");
}

TEST(PickTask, PickingWhileWatchingChangesWhatTheNextTickSeeks) {
    Window w;
    w.form.Command4_Click();  // watch "" while running: found
    w.tk.selected = 0;
    w.form.List1_Click();  // "init"
    w.processes.set({"bash"});
    w.form.Timer1_Timer();
    EXPECT_EQ(w.form.TaskName(), "init");
    EXPECT_EQ(w.tk.unloads, std::vector<int>{0});
}

TEST(PickTask, ATickClearsTheSelectionButKeepsThePickedName) {
    Window w;
    w.tk.selected = 2;
    w.form.List1_Click();
    w.form.Command4_Click();
    w.form.Timer1_Timer();
    EXPECT_EQ(w.tk.selected, -1);
    EXPECT_EQ(w.tk.text1, "bash");
}

TEST(Resize, TheListTakesTheWindowLessTheLeftColumnAndTheHeading) {
    Window w;
    w.tk.height = 6000;
    w.tk.width = 5000;
    w.form.Form_Resize();
    EXPECT_FLOAT_EQ(w.tk.listHeight, 5130);
    EXPECT_FLOAT_EQ(w.tk.listWidth, 3095);

    w.tk.height += 1500;  // grows by the same amount
    w.tk.width += 15.5f;
    w.form.Form_Resize();
    EXPECT_FLOAT_EQ(w.tk.listHeight, 6630);
    EXPECT_FLOAT_EQ(w.tk.listWidth, 3110.5f);
}

TEST(Resize, AWindowTooSmallForTheListShrinksItToNothing) {
    Window w;
    w.tk.height = 400;
    w.tk.width = 1905;
    w.form.Form_Resize();
    EXPECT_FLOAT_EQ(w.tk.listHeight, 0);
    EXPECT_FLOAT_EQ(w.tk.listWidth, 0);
}

// "Make command line" with the window as the user left it.
std::string makeCommandLine(Window& w) {
    w.tk.messages.clear();
    w.form.Command5_Click();
    EXPECT_EQ(w.tk.messages.size(), 1u);
    EXPECT_TRUE(w.tk.clipboard.has_value());
    EXPECT_EQ(w.tk.messages.at(0), visibleText(*w.tk.clipboard) + "\r\nCopied to clipboard.");
    return *w.tk.clipboard;
}

TEST(CommandLine, ModeComesFromOption1AndTheTaskIsCopiedAsTyped) {
    Window w;
    w.tk.text1 = "notepad.exe";
    EXPECT_EQ(makeCommandLine(w), "C:\\Tools\\Lingerjob /1 /notepad.exe ");
    w.tk.option1 = false;
    w.tk.text1 = "My Task/x ";
    EXPECT_EQ(makeCommandLine(w), "C:\\Tools\\Lingerjob /0 \"/My Task/x \" ");
    w.tk.text1 = "";
    EXPECT_EQ(makeCommandLine(w), "C:\\Tools\\Lingerjob /0 / ");
}

TEST(CommandLine, TheProgramPathIsJoinedAsItIsAndQuotedForTheShell) {
    Window w;
    w.tk.folder = "C:\\";
    w.tk.text1 = "a";
    EXPECT_EQ(makeCommandLine(w), "C:\\\\Lingerjob /1 /a ");
    w.tk.folder = "C:\\Program Files (x86)\\100% Tools";
    EXPECT_EQ(makeCommandLine(w), "\"C:\\Program Files (x86)\\100%% Tools\\Lingerjob\" /1 /a ");
    w.tk.shell = CommandShell::Posix;
    w.tk.folder = "/opt/Bob's tools";
    w.tk.separator = "/";
    w.tk.exeName = "lingerjob";
    EXPECT_EQ(makeCommandLine(w), "'/opt/Bob'\\''s tools/lingerjob' /1 /a ");
}

// The program as /usr/bin/lingerjob, its lines meant for sh.
void onLinux(FakeToolkit& tk) {
    tk.shell = CommandShell::Posix;
    tk.folder = "/usr/bin";
    tk.separator = "/";
    tk.exeName = "lingerjob";
}

// The task word as each shell gets it, after " /1 ", before the final blank.
TEST(CommandLine, TheTaskWordIsQuotedForEachShell) {
    struct Row {
        const char* task;
        const char* posix;
        const char* cmd;
    };
    const Row rows[] = {
        {"firefox-esr", "/firefox-esr", "/firefox-esr"},
        {"a_b.c-d+e,f:g=h@i%j", "/a_b.c-d+e,f:g=h@i%j", "\"/a_b.c-d+e,f:g=h@i%%j\""},
        {"my app", "'/my app'", "\"/my app\""},
        {"x;touch owned&", "'/x;touch owned&'", "\"/x;touch owned&\""},
        {"a|b<c>d", "'/a|b<c>d'", "\"/a|b<c>d\""},
        {"$(id)`id`", "'/$(id)`id`'", "\"/$(id)`id`\""},
        {"it's", "'/it'\\''s'", "/it's"},
        {"100%!", "'/100%!'", "/100%%!"},
        {"^x", "'/^x'", "\"/^x\""},
        {"say \"hi\" & x", "'/say \"hi\" & x'", "\"/say hi & x\""},
        {"a\nb\tc", "'/a\nb\tc'", "/a?b?c"},
        {"gr\xC3\xBC\xC3\x9F", "'/gr\xC3\xBC\xC3\x9F'", "/gr\xC3\xBC\xC3\x9F"},
    };
    for (const Row& row : rows) {
        Window w;
        w.tk.text1 = row.task;
        EXPECT_EQ(makeCommandLine(w), std::string("C:\\Tools\\Lingerjob /1 ") + row.cmd + " ");
        onLinux(w.tk);
        EXPECT_EQ(makeCommandLine(w), std::string("/usr/bin/lingerjob /1 ") + row.posix + " ");
    }
}

TEST(CommandLine, TheBoxSpellsOutWhatHidesOrActsTheClipboardHoldsIt) {
    // Controls, DEL and C1; format characters (bidi, zero-width, soft hyphen, tags);
    // bytes of no valid UTF-8 (stray, overlong, a surrogate, cut short).
    const struct {
        const char* task;
        const char* shown;
    } rows[] = {
        {"a\nb\x01", "a\\nb\\x01"},
        {"x\x7f\xc2\x9by\xc2\xad", "x\\x7f\\xc2\\x9by\\u00ad"},
        {"ab\xe2\x80\xae"
         "cod.exe",
         "ab\\u202ecod.exe"},
        {"zw\xe2\x80\x8bsp\xef\xbb\xbf", "zw\\u200bsp\\ufeff"},
        {"t\xf3\xa0\x80\x81", "t\\U000e0001"},
        {"b\xff\xc0\xaf\xed\xa0\x80\xe2\x80", "b\\xff\\xc0\\xaf\\xed\\xa0\\x80\\xe2\\x80"},
        {"\xc3\x9c \xd0\xb6 \xe4\xb8\xad", "\xc3\x9c \xd0\xb6 \xe4\xb8\xad"},
    };
    for (const auto& row : rows) {
        Window w;
        onLinux(w.tk);
        w.tk.text1 = row.task;
        EXPECT_EQ(makeCommandLine(w), std::string("/usr/bin/lingerjob /1 '/") + row.task + "' ");
        EXPECT_EQ(w.tk.messages.at(0), std::string("/usr/bin/lingerjob /1 '/") + row.shown +
                                           "' \r\nCopied to clipboard.");
    }
}

TEST(CommandLine, TheClipboardIsClearedThenSetAndNoControlChanges) {
    Window w;
    w.tk.text1 = "x";
    w.form.Command4_Click();
    const auto before = w.tk.captions;
    w.form.Command5_Click();
    EXPECT_EQ(w.tk.clipboardLog,
              (std::vector<std::string>{"clear", "set:C:\\Tools\\Lingerjob /1 /x "}));
    EXPECT_EQ(w.tk.captions, before);
    EXPECT_TRUE(w.tk.timer);
    EXPECT_EQ(w.tk.text1, "x");
}

TEST(CommandLine, ReadBackByStartUpItGivesTheSameModeAndTask) {
    // A task that holds a word start-up would take for an option gets "--" first.
    const std::pair<const char*, const char*> tasks[] = {
        {"two words.exe", "C:\\Tools\\Lingerjob /1 \"/two words.exe\" "},
        {"my --x app.exe", "C:\\Tools\\Lingerjob -- /1 \"/my --x app.exe\" "},
        {"a -h b.exe", "C:\\Tools\\Lingerjob -- /1 \"/a -h b.exe\" "},
        {"tool --timeout=1 x.exe", "C:\\Tools\\Lingerjob -- /1 \"/tool --timeout=1 x.exe\" "},
        {"a \"-V\" b", "C:\\Tools\\Lingerjob -- /1 \"/a -V b\" "},
        {"x -- y", "C:\\Tools\\Lingerjob -- /1 \"/x -- y\" "},
        {"-h", "C:\\Tools\\Lingerjob /1 /-h "},
    };
    for (const auto& [task, line] : tasks) {
        for (bool option1 : {true, false}) {
            Window w;
            w.tk.option1 = option1;
            w.tk.text1 = task;
            std::string want = line;
            if (!option1) want.replace(want.find(" /1 "), 4, " /0 ");
            EXPECT_EQ(makeCommandLine(w), want);
            FakeToolkit started;
            started.option1 = !option1;
            started.arguments = want.substr(want.find(' ') + 1);
            ScriptedProcesses none;
            Form1 again(started, none);
            again.Form_Load();
            EXPECT_TRUE(started.timer) << task;
            EXPECT_EQ(started.option1, option1);
            EXPECT_EQ(started.text1, std::string(task) == "a \"-V\" b" ? "a -V b" : task);
        }
    }
}

TEST(Messages, UsageTextIsExactAndChangesNothing) {
    Window w;
    w.form.Command4_Click();
    const auto captions = w.tk.captions;
    const auto entries = w.tk.entries;
    w.form.Command2_Click();
    w.form.Command2_Click();
    ASSERT_EQ(w.tk.messages.size(), 2u);
    EXPECT_EQ(w.tk.messages[0], w.tk.messages[1]);
    const std::string& usage = w.tk.messages[0];
    EXPECT_EQ(usage.size(), 288u);
    const std::vector<std::string> lines{"Use it in batch file or from a command (DOS) prompt.",
                                         "Usage: LINGERJOB /0|1 /TASK",
                                         "0|1 means 0 or 1.",
                                         "If 1 it waits if TASK is running.",
                                         "If 0 it waits if TASK is not running.",
                                         "COMMAND must exist (Use full path!).",
                                         "e.g.:lingerjob /0 /calc.exe",
                                         "This means wait if the calculator is running."};
    std::string joined = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) joined += "\r\n" + lines[i];
    EXPECT_EQ(usage, joined);
    EXPECT_EQ(w.tk.captions, captions);
    EXPECT_EQ(w.tk.entries, entries);
    EXPECT_TRUE(w.tk.timer);
    EXPECT_EQ(w.tk.timerStarts, 1) << "the running watch was not restarted";
}

TEST(Messages, AboutShowsTheVersionAndTheAddressOnTwoLines) {
    Window w;
    w.form.Command3_Click();
    w.tk.appVersion = {2, 10, 37};
    w.tk.exeName = "renamed";
    w.form.Command3_Click();
    ASSERT_EQ(w.tk.messages.size(), 2u);
    for (const auto& text : w.tk.messages) {
        const auto lineBreak = text.find("\r\n");
        ASSERT_NE(lineBreak, std::string::npos);
        EXPECT_EQ(text.find("\r\n", lineBreak + 1), std::string::npos) << "exactly one break";
        EXPECT_NE(text.back(), '\n');
        EXPECT_EQ(text.find('\n'), lineBreak + 1);
    }
    const std::string first = w.tk.messages[0].substr(0, w.tk.messages[0].find("\r\n"));
    const std::string second = w.tk.messages[1].substr(0, w.tk.messages[1].find("\r\n"));
    EXPECT_EQ(first.substr(first.size() - 14), " version:1.0.0");
    EXPECT_EQ(second.substr(second.size() - 16), " version:2.10.37");
    EXPECT_EQ(first.substr(0, first.size() - 14), second.substr(0, second.size() - 16));
    EXPECT_EQ(aboutText({1, 0, -3}).find(" version:1.0.-3\r\n") != std::string::npos, true);
    EXPECT_FALSE(w.tk.timer);
}

}  // namespace
