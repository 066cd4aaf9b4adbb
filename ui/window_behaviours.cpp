// Working the window by hand: start and stop the watch, pick a task, keep the
// list fitted to the window.
#include <algorithm>

#include "ui/form1.h"
#include "contract/toolkit.h"

namespace {
// Outer size of the window that the list does not get.
constexpr float kHeightNotForList = 870.0f;
constexpr float kWidthNotForList = 1905.0f;
}  // namespace

void Form1::Command4_Click() {
    if (toolkit_.timerEnabled()) {
        toolkit_.setTimerEnabled(false);
        toolkit_.setCaption(Control::Command4, "Start Looking");
    } else {
        toolkit_.setTimerEnabled(true);
        toolkit_.setCaption(Control::Command4, "Stop Looking");
    }
}

void Form1::List1_Click() {
    const int index = toolkit_.listSelectedIndex();
    if (index < 0) return;  // nothing selected: keep what Text1 holds
    toolkit_.setText(Control::Text1, toolkit_.listItem(index));
}

void Form1::Form_Resize() {
    // A minimised or tiny window leaves no room for the list: it shrinks to nothing.
    toolkit_.setListHeight(std::max(0.0f, toolkit_.outerHeight() - kHeightNotForList));
    toolkit_.setListWidth(std::max(0.0f, toolkit_.outerWidth() - kWidthNotForList));
}
