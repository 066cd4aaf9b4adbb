#pragma once

#include <string_view>
#include <vector>

// Which program runs a start of lingerjob.
enum class Launch {
    Console,  // this process, with no window toolkit: every start that shows no window
    Window,   // lingerjob-window, as this process's child
};

// The window program when there is a display (DISPLAY or WAYLAND_DISPLAY set and
// not empty) and no word before a lone -- is a lone --help, -h, --version or -V,
// whose answer goes to standard output; the console otherwise. display and
// waylandDisplay are the variables' values, null when unset; words are the
// arguments after the name.
Launch chooseLaunch(const char* display, const char* waylandDisplay,
                    const std::vector<std::string_view>& words);
