#include "contract/design.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Design, TabOrderIsTheTableOrderAndUnique) {
    std::set<int> seen;
    int expected = 0;
    for (const auto& d : design::kControls) {
        if (d.kind == design::Kind::Timer) {
            EXPECT_EQ(d.tabIndex, -1);
            continue;
        }
        EXPECT_EQ(d.tabIndex, expected++) << d.name;
        EXPECT_TRUE(seen.insert(d.tabIndex).second);
    }
    EXPECT_EQ(expected, 13);
}

TEST(Design, ListAndLowestButtonLeaveTheSameMarginsAtTheDesignSize) {
    const auto& list = design::of(Control::List1);
    const auto& command5 = design::of(Control::Command5);
    EXPECT_EQ(list.left + list.width, design::kClientWidth - 105);
    EXPECT_EQ(list.top + list.height, design::kClientHeight - 105);
    EXPECT_EQ(command5.top + command5.height, list.top + list.height);
}

TEST(Design, OnlyTheOptionButtonsLiveInTheFrameAndExactlyOneIsSet) {
    int set = 0;
    for (const auto& d : design::kControls) {
        const bool option = d.kind == design::Kind::OptionButton;
        EXPECT_EQ(d.container == Control::Frame1, option) << d.name;
        if (option && d.value) ++set;
    }
    EXPECT_EQ(set, 1);
    EXPECT_TRUE(design::of(Control::Option1).value);
    EXPECT_FALSE(design::of(Control::Timer1).value) << "the watch starts stopped";
}

TEST(Design, FocusIsTakenByInputControlsOnly) {
    EXPECT_FALSE(design::takesFocus(design::Kind::Label));
    EXPECT_FALSE(design::takesFocus(design::Kind::Frame));
    EXPECT_FALSE(design::takesFocus(design::Kind::Timer));
    EXPECT_TRUE(design::takesFocus(design::Kind::ListBox));
    EXPECT_THROW(design::of(Control::Form1), std::runtime_error);
}

}  // namespace
