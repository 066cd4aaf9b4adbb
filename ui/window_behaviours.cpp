// Working the window by hand: start and stop the watch, pick a task, keep the
// list fitted to the window.
#include <algorithm>

#include "contract/toolkit.h"
#include "ui/form1.h"

namespace {
// Client area the list does not get: its left and top (1680, 360) and the 105
// twips the design leaves to the right and below it. On the classic frame the
// design was drawn for (405 twips of title bar and borders in height, 120 in
// width) this is the same list size as outer height less 870 and outer width
// less 1905; on a thicker frame the list still stays inside the window.
constexpr float kHeightNotForList = 465.0f;
constexpr float kWidthNotForList = 1785.0f;
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
    toolkit_.setListHeight(std::max(0.0f, toolkit_.clientHeight() - kHeightNotForList));
    toolkit_.setListWidth(std::max(0.0f, toolkit_.clientWidth() - kWidthNotForList));
}
