#include <gtest/gtest.h>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#include "watch/lineage.h"
#include "watch/lower_case.h"

namespace {

// A window whose task list is refreshed from scripted processes.
struct Listing {
    FakeToolkit tk;
    ScriptedProcesses processes;
    Form1 form{tk, processes};
};

// The task list after one refresh; lineage as in ScriptedProcesses.
std::vector<std::string> listed(std::vector<std::string> names,
                                std::vector<ProcessId> lineage = {}) {
    Listing l;
    l.processes.set(std::move(names));
    l.processes.lineage = std::move(lineage);
    l.form.Command1_Click();
    return l.tk.entries;
}

TEST(Snapshot, KeepsPlatformOrderAndDuplicatesAndLowerCases) {
    EXPECT_EQ(
        listed({"Zeta.EXE", "alpha", "svchost.exe", "SVCHOST.exe", "Été.exe"}),
        (std::vector<std::string>{"zeta.exe", "alpha", "svchost.exe", "svchost.exe", "été.exe"}));
}

TEST(Snapshot, LeavesOutTheProgramAndItsAncestorsOnly) {
    // This copy, the script that runs it, init.
    EXPECT_EQ(listed({"init", "setup-wait.sh", "setup", "lingerjob", "lingerjob"}, {4, 2, 1}),
              (std::vector<std::string>{"setup", "lingerjob"}));
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
    Listing l;
    l.processes.results = {std::vector<std::string>{"a", "b", "c"}, std::vector<std::string>{"d"}};
    l.form.Command1_Click();
    l.tk.selected = 2;
    l.tk.text1 = "typed";
    l.form.Command1_Click();
    EXPECT_EQ(l.tk.entries, std::vector<std::string>{"d"});
    EXPECT_EQ(l.tk.selected, -1);
    EXPECT_EQ(l.tk.text1, "typed");
}

TEST(Snapshot, AFailedEnumerationLeavesTheListEmptyWithoutAMessage) {
    Listing l;
    l.tk.entries = {"old"};
    l.processes.fail();
    l.form.Command1_Click();
    EXPECT_TRUE(l.tk.entries.empty());
    EXPECT_TRUE(l.tk.messages.empty());
    EXPECT_TRUE(l.tk.unloads.empty());
}

TEST(Snapshot, AnEnumerationErrorReachesTheCallerOfAClick) {
    Listing l;
    l.processes.throwNext = true;
    EXPECT_THROW(l.form.Command1_Click(), std::runtime_error);
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
