#pragma once

// What a start without arguments says when there is no display to show the
// window on; the program then ends with exit_status::kFailure.
constexpr const char* kNoDisplayMessage =
    "no display, so the window cannot be used; "
    "to wait from a script give a mode and a task, e.g. lingerjob /1 /task";
