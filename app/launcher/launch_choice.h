#pragma once

#include <string_view>

// Which program runs a start of lingerjob.
enum class Launch {
    Console,  // this process, with no window toolkit: every start that shows no window
    Window,   // lingerjob-window, as this process's child
};

// The window program when there is a display (DISPLAY or WAYLAND_DISPLAY set and
// not empty) and the options, read as start-up reads them (ui/arguments.h), ask
// neither for --help or --version, whose answer goes to standard output, nor for
// --no-window; the console otherwise. Options start-up would reject go to the
// window program, which shows the rejection. display and waylandDisplay are the
// variables' values, null when unset; arguments is the argument text after the
// name, the words joined by single blanks.
Launch chooseLaunch(const char* display, const char* waylandDisplay, std::string_view arguments);
