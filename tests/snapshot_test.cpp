#include <gtest/gtest.h>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "watch/lineage.h"
#include "watch/lower_case.h"

namespace {

TEST(Snapshot, KeepsPlatformOrderAndDuplicatesAndLowerCases) {
    FakeToolkit tk;
    ScriptedProcesses processes;
    processes.set({"Zeta.EXE", "alpha", "svchost.exe", "SVCHOST.exe", "Été.exe"});
    Form1 form(tk, processes);
    form.Command1_Click();
    EXPECT_EQ(tk.entries, (std::vector<std::string>{"zeta.exe", "alpha", "svchost.exe",
                                                    "svchost.exe", "été.exe"}));
}

TEST(Snapshot, LeavesOutTheProgramAndItsAncestorsOnly) {
    FakeToolkit tk;
    ScriptedProcesses processes;
    processes.set({"init", "setup-wait.sh", "setup", "lingerjob", "lingerjob"});
    processes.lineage = {4, 2, 1};  // this copy, the script that runs it, init
    Form1 form(tk, processes);
    form.Command1_Click();
    EXPECT_EQ(tk.entries, (std::vector<std::string>{"setup", "lingerjob"}));
}

TEST(Lineage, WalksUpToTheFirstProcessAndNeverLoops) {
    const std::map<ProcessId, ProcessId> parents{{9, 5}, {5, 1}, {1, 0}, {7, 8}, {8, 7}, {6, 6}};
    const auto parentOf = [&](ProcessId id) -> std::optional<ProcessId> {
        const auto found = parents.find(id);
        if (found == parents.end()) return std::nullopt;
        return found->second;
    };
    EXPECT_EQ(lineageOf(9, parentOf), (std::vector<ProcessId>{9, 5, 1}));
    EXPECT_EQ(lineageOf(7, parentOf), (std::vector<ProcessId>{7, 8}));
    EXPECT_EQ(lineageOf(6, parentOf), std::vector<ProcessId>{6});
    EXPECT_EQ(lineageOf(3, parentOf), std::vector<ProcessId>{3});  // parent unknown
}

TEST(Snapshot, EachRefreshReplacesTheListAndClearsTheSelectionButKeepsText1) {
    FakeToolkit tk;
    ScriptedProcesses processes;
    processes.results = {std::vector<std::string>{"a", "b", "c"}, std::vector<std::string>{"d"}};
    Form1 form(tk, processes);
    form.Command1_Click();
    tk.selected = 2;
    tk.text1 = "typed";
    form.Command1_Click();
    EXPECT_EQ(tk.entries, std::vector<std::string>{"d"});
    EXPECT_EQ(tk.selected, -1);
    EXPECT_EQ(tk.text1, "typed");
}

TEST(Snapshot, AFailedEnumerationLeavesTheListEmptyWithoutAMessage) {
    FakeToolkit tk;
    ScriptedProcesses processes;
    tk.entries = {"old"};
    processes.fail();
    Form1 form(tk, processes);
    form.Command1_Click();
    EXPECT_TRUE(tk.entries.empty());
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_TRUE(tk.unloads.empty());
}

TEST(Snapshot, AnEnumerationErrorReachesTheCallerOfAClick) {
    FakeToolkit tk;
    ScriptedProcesses processes;
    processes.throwNext = true;
    Form1 form(tk, processes);
    EXPECT_THROW(form.Command1_Click(), std::runtime_error);
}

TEST(LowerCase, MapsNonAsciiLettersToo) {
    EXPECT_EQ(toLowerUtf8("ÉTÉ ÀÖØÞ"), "été àöøþ");
    EXPECT_EQ(toLowerUtf8("ΣΑΣ ДОМ ĀĞŁ"), "σασ дом āğł");
    EXPECT_EQ(toLowerUtf8("İ"), "i");
    EXPECT_EQ(toLowerUtf8("ＡＢＣ 𐐀"), "ａｂｃ 𐐨");  // fullwidth and Deseret (4-byte)
    EXPECT_EQ(toLowerUtf8("already lower 123 ß ñ"), "already lower 123 ß ñ");
}

TEST(LowerCase, ChecksTheTableAtItsSeams) {
    EXPECT_EQ(toLowerCodePoint(U'@'), U'@');
    EXPECT_EQ(toLowerCodePoint(U'['), U'[');
    EXPECT_EQ(toLowerCodePoint(0xD7), 0xD7u);    // multiplication sign between letter runs
    EXPECT_EQ(toLowerCodePoint(0x100), 0x101u);  // alternating upper/lower pairs
    EXPECT_EQ(toLowerCodePoint(0x101), 0x101u);
    EXPECT_EQ(toLowerCodePoint(0x10FFFF), 0x10FFFFu);
    EXPECT_EQ(toLowerCodePoint(0x1E921), 0x1E943u);  // last letter of Adlam
}

TEST(LowerCase, BrokenUtf8BecomesReplacementCharactersWithoutEatingNeighbours) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(toLowerUtf8("A\xFF"
                          "B"),
              "a" + replacement + "b");
    EXPECT_EQ(toLowerUtf8("\xC3"), replacement);  // truncated sequence
    EXPECT_EQ(toLowerUtf8("\xC3"
                          "A"),
              replacement + "a");                                   // bad continuation
    EXPECT_EQ(toLowerUtf8("\xC0\xAF"), replacement + replacement);  // overlong "/"
    EXPECT_EQ(toLowerUtf8("\xED\xA0\x80"), replacement + replacement + replacement);  // surrogate
    EXPECT_EQ(toLowerUtf8(std::string("a\0B", 3)), std::string("a\0b", 3));
}

}  // namespace
